// A text cell that draws an icon to the left of its text.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <memory>
#include <utility>

#include "platform/images.h"
#include "platform/outline_view.h"

namespace cogbook {

// The cell's geometry, in points, apart from any drawing.
inline constexpr qreal kImageAndTextCellPadding = 3;

// Splits RECT at its left edge into a slice AMOUNT wide and the remainder.
std::pair<QRectF, QRectF> divideRectAtLeftEdge(const QRectF& rect, qreal amount);
// Where the image goes in a cell frame: x + 3, y + ceil((H - h) / 2), the
// image's size; an empty rectangle when there is no image (an empty size).
QRectF imageFrameForCellFrame(const QRectF& cellFrame, const QSizeF& imageSize);
// The point the image is drawn at when drawing in FRAME: in a flipped view
// (y grows downwards) the image's lower-left corner, y + ceil((H + h) / 2);
// otherwise y + ceil((H - h) / 2). Either way the image is centred.
QPointF imagePointForCellFrame(const QRectF& frame, const QSizeF& imageSize, bool flipped);
// The text's frame while drawing: the remainder after a slice of w + 3, or
// the whole frame without an image.
QRectF drawingTextFrame(const QRectF& frame, const QSizeF& imageSize);
// The text's frame while editing: after a slice of trunc(w) + 3, so edited
// text starts 3 points in even without an image.
QRectF editingTextFrame(const QRectF& frame, const QSizeF& imageSize);
// The cell's size from the plain text cell's: wider by w + 3, or by 3.
QSizeF imageAndTextCellSize(const QSizeF& textCellSize, const QSizeF& imageSize);

class ImageAndTextCell : public TextFieldCell {
    Q_OBJECT
public:
    explicit ImageAndTextCell(QObject* parent = nullptr);

    void setImage(std::shared_ptr<const Image> image);
    const std::shared_ptr<const Image>& image() const { return image_; }

    // For a cell whose image differs by row: asked for the image of each
    // index as it is drawn, measured or edited, in place of the one set. No
    // row's image is then ever set on the cell while the view paints, and a
    // row is measured and edited with its own image, not the one painted last.
    using ImageForIndex = std::function<std::shared_ptr<const Image>(const QModelIndex&)>;
    void setImageForIndex(ImageForIndex imageForIndex) { imageForIndex_ = std::move(imageForIndex); }
    // What the image of an index means, shown as the tool tip over it.
    using ImageToolTipForIndex = std::function<QString(const QModelIndex&)>;
    void setImageToolTipForIndex(ImageToolTipForIndex toolTip) { imageToolTipForIndex_ = std::move(toolTip); }

    QRectF imageFrameForCellFrame(const QRectF& cellFrame) const;

    void drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const override;
    QSizeF cellSize(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    QRectF textFrameForCellFrame(const QRectF& frame, const QModelIndex& index) const override;
    // Over the image, what it means; over the text, what the plain cell says.
    QString toolTipForCell(const QStyleOptionViewItem& option, const QModelIndex& index,
                           const QPoint& point) const override;

private:
    std::shared_ptr<const Image> imageFor(const QModelIndex& index) const;
    std::shared_ptr<const Image> image_;
    ImageForIndex imageForIndex_;
    ImageToolTipForIndex imageToolTipForIndex_;
};

} // namespace cogbook
