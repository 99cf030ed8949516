#include "document/ImageAndTextCell.h"

#include <QPainter>
#include <QWidget>

#include <cmath>

namespace cogbook {

std::pair<QRectF, QRectF> divideRectAtLeftEdge(const QRectF& rect, qreal amount) {
    const qreal slice = std::clamp<qreal>(amount, 0, rect.width());
    return {QRectF(rect.x(), rect.y(), slice, rect.height()),
            QRectF(rect.x() + slice, rect.y(), rect.width() - slice, rect.height())};
}

QRectF imageFrameForCellFrame(const QRectF& cellFrame, const QSizeF& imageSize) {
    if (imageSize.isEmpty()) return {};
    return QRectF(cellFrame.x() + kImageAndTextCellPadding,
                  cellFrame.y() + std::ceil((cellFrame.height() - imageSize.height()) / 2), imageSize.width(),
                  imageSize.height());
}

QPointF imagePointForCellFrame(const QRectF& frame, const QSizeF& imageSize, bool flipped) {
    const qreal h = imageSize.height();
    const qreal offset = flipped ? std::ceil((frame.height() + h) / 2) : std::ceil((frame.height() - h) / 2);
    return {frame.x() + kImageAndTextCellPadding, frame.y() + offset};
}

QRectF drawingTextFrame(const QRectF& frame, const QSizeF& imageSize) {
    if (imageSize.isEmpty()) return frame;
    return divideRectAtLeftEdge(frame, imageSize.width() + kImageAndTextCellPadding).second;
}

QRectF editingTextFrame(const QRectF& frame, const QSizeF& imageSize) {
    const qreal width = imageSize.isEmpty() ? 0 : std::trunc(imageSize.width());
    return divideRectAtLeftEdge(frame, width + kImageAndTextCellPadding).second;
}

QSizeF imageAndTextCellSize(const QSizeF& textCellSize, const QSizeF& imageSize) {
    const qreal extra = imageSize.isEmpty() ? kImageAndTextCellPadding : imageSize.width() + kImageAndTextCellPadding;
    return {textCellSize.width() + extra, textCellSize.height()};
}

ImageAndTextCell::ImageAndTextCell(QObject* parent) : TextFieldCell(parent) {}

void ImageAndTextCell::setImage(std::shared_ptr<const Image> image) {
    if (image != image_) image_ = std::move(image);
}

namespace {

QSizeF sizeOf(const std::shared_ptr<const Image>& image) {
    return image ? image->size() : QSizeF();
}

} // namespace

std::shared_ptr<const Image> ImageAndTextCell::imageFor(const QModelIndex& index) const {
    return imageForIndex_ ? imageForIndex_(index) : image_;
}

QRectF ImageAndTextCell::imageFrameForCellFrame(const QRectF& cellFrame) const {
    return cogbook::imageFrameForCellFrame(cellFrame, sizeOf(image_));
}

void ImageAndTextCell::drawWithFrameInView(const QRectF& frame, QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    const std::shared_ptr<const Image> image = imageFor(index);
    if (!image) {
        TextFieldCell::drawWithFrameInView(frame, painter, option, index);
        return;
    }
    const QSizeF size = image->size();
    const auto [slice, textFrame] = divideRectAtLeftEdge(frame, size.width() + kImageAndTextCellPadding);
    // Item views are flipped (y grows downwards): the point is the image's
    // lower-left corner, from which its top follows.
    const QPointF corner = imagePointForCellFrame(slice, size, true);
    image->drawInRect(painter, QRectF(QPointF(corner.x(), corner.y() - size.height()), size));
    drawText(textFrame, painter, option, index);
}

QSizeF ImageAndTextCell::cellSize(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return imageAndTextCellSize(TextFieldCell::cellSize(option, index), sizeOf(imageFor(index)));
}

void ImageAndTextCell::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    editor->setGeometry(editingTextFrame(QRectF(option.rect), sizeOf(imageFor(index))).toAlignedRect());
}

QRectF ImageAndTextCell::textFrameForCellFrame(const QRectF& frame, const QModelIndex& index) const {
    return drawingTextFrame(frame, sizeOf(imageFor(index)));
}

QString ImageAndTextCell::toolTipForCell(const QStyleOptionViewItem& option, const QModelIndex& index,
                                         const QPoint& point) const {
    const QSizeF size = sizeOf(imageFor(index));
    // The image's slice of the cell, its padding included, the full row high.
    const QRectF slice = divideRectAtLeftEdge(QRectF(option.rect), size.width() + kImageAndTextCellPadding).first;
    if (imageToolTipForIndex_ && !size.isEmpty() && slice.contains(point)) {
        if (QString tip = imageToolTipForIndex_(index); !tip.isEmpty()) return tip;
    }
    return TextFieldCell::toolTipForCell(option, index, point);
}

} // namespace cogbook
