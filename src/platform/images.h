// Pictures looked up by name. A program may ask for them by names that end in
// bitmap extensions ("Arrow16.tif"); the pictures themselves are SVG drawings
// built into the executable, so they are sharp at every size and device
// pixel ratio.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;
class QRectF;
class QSvgRenderer;

namespace cogbook {

// One drawing, always held by a shared pointer: its icons keep it alive.
class Image : public std::enable_shared_from_this<Image> {
public:
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // The natural size in device-independent points: the drawing's width and
    // height, or its view box when it gives none.
    QSizeF size() const;
    // Draws the whole image scaled to fill RECT, as vectors.
    void drawInRect(QPainter* painter, const QRectF& rect) const;
    // The image rendered at SIZE points for a screen of DEVICEPIXELRATIO
    // pixels per point; the result carries that ratio. Renderings are cached.
    // An empty size, or one past 8192 pixels a side, answers a null pixmap.
    QPixmap pixmap(QSizeF size, qreal devicePixelRatio) const;
    // An icon that renders the drawing at whatever size is asked of it.
    QIcon icon() const;
    // The base name, without extension: "Arrow16" for "Arrow16.tif".
    const QString& name() const { return name_; }

private:
    Image(QString name, std::unique_ptr<QSvgRenderer> renderer);
    friend std::shared_ptr<const Image> readImage(const QString& name, const QString& path);

    QString name_;
    std::unique_ptr<QSvgRenderer> renderer_;
    QString cacheKey_;
};

// The image registered under NAME, or null when there is none. The extension
// of NAME is ignored (".tiff", ".tif", ".png", none): the image is the SVG
// with the same base name. Names with path separators or ".." answer null.
// Answers the same shared Image for the same base name; a drawing that cannot
// be read answers null and is reported in the log once. Main thread only.
std::shared_ptr<const Image> imageNamed(const QString& name);

// Lets NAME (its extension ignored) stand for the drawing DRAWING (a base
// name), for a program whose names for its pictures are older than the
// drawings. Takes effect for names not yet looked up. Main thread only.
void setImageAlias(const QString& name, const QString& drawing);

// Reads the SVG at PATH (a file or a ":/" resource) as an image called NAME.
// Answers null, with one line in the log, when it cannot be read, is not SVG
// or has no size.
std::shared_ptr<const Image> readImage(const QString& name, const QString& path);

} // namespace cogbook
