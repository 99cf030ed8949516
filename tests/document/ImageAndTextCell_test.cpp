// The icon cell: where icon and text go, with a per-row icon in each use.
#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStandardItemModel>

#include "document/ImageAndTextCell.h"

namespace cogbook {
namespace {

TEST(ImageAndTextCellGeometry, TheImageIsCentredWithItsOffsetRoundedUp) {
    const QSizeF icon(16, 16);
    EXPECT_EQ(imagePointForCellFrame(QRectF(10, 100, 200, 20), icon, false), QPointF(13, 102));
    EXPECT_EQ(imagePointForCellFrame(QRectF(10, 100, 200, 20), icon, true), QPointF(13, 118));
    EXPECT_EQ(imagePointForCellFrame(QRectF(10, 100, 200, 21), icon, false), QPointF(13, 103));
    EXPECT_EQ(imagePointForCellFrame(QRectF(10, 100, 200, 21), icon, true), QPointF(13, 119));

    EXPECT_EQ(imageFrameForCellFrame(QRectF(0, 0, 100, 21), icon), QRectF(3, 3, 16, 16));
    EXPECT_TRUE(imageFrameForCellFrame(QRectF(0, 0, 100, 21), QSizeF()).isNull());
}

TEST(ImageAndTextCellGeometry, TextStartsAfterTheImageSlice) {
    const QRectF frame(0, 0, 100, 20);
    const QSizeF wide(16.5, 16);
    EXPECT_DOUBLE_EQ(drawingTextFrame(frame, wide).x(), 19.5);
    EXPECT_DOUBLE_EQ(editingTextFrame(frame, wide).x(), 19.0);
    // Without an image drawing uses the whole frame, editing starts 3 in.
    EXPECT_EQ(drawingTextFrame(frame, QSizeF()), frame);
    EXPECT_DOUBLE_EQ(editingTextFrame(frame, QSizeF()).x(), 3.0);
    EXPECT_DOUBLE_EQ(editingTextFrame(frame, QSizeF()).width(), 97.0);

    EXPECT_EQ(imageAndTextCellSize(QSizeF(50, 18), QSizeF()), QSizeF(53, 18));
    EXPECT_EQ(imageAndTextCellSize(QSizeF(50, 18), QSizeF(16, 16)), QSizeF(69, 18));
    // A frame narrower than the slice gives an empty text frame, not a negative one.
    EXPECT_DOUBLE_EQ(drawingTextFrame(QRectF(0, 0, 10, 20), wide).width(), 0.0);
}

TEST(ImageAndTextCellRows, EachRowIsMeasuredDrawnAndEditedWithItsOwnImage) {
    QStandardItemModel model;
    model.appendRow(new QStandardItem(QStringLiteral("Chain")));
    model.appendRow(new QStandardItem(QStringLiteral("Chain")));
    const QModelIndex marked = model.index(0, 0);
    const QModelIndex plain = model.index(1, 0);
    const auto image = imageNamed(QStringLiteral("hand"));
    ASSERT_NE(image, nullptr);

    ImageAndTextCell cell;
    cell.setImageForIndex([&](const QModelIndex& index) { return index == marked ? image : nullptr; });
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 200, 20);
    EXPECT_DOUBLE_EQ(cell.cellSize(option, marked).width() - cell.cellSize(option, plain).width(),
                     image->size().width());

    // Drawing the marked row last leaves nothing behind for the plain one.
    QImage canvas(200, 20, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&canvas);
        cell.drawWithFrameInView(QRectF(option.rect), &painter, option, marked);
    }
    EXPECT_EQ(cell.image(), nullptr) << "drawing sets nothing on the cell";
    QLineEdit editor;
    cell.updateEditorGeometry(&editor, option, plain);
    EXPECT_EQ(editor.geometry().x(), 3);
    cell.updateEditorGeometry(&editor, option, marked);
    EXPECT_EQ(editor.geometry().x(), 3 + static_cast<int>(image->size().width()));
}

} // namespace
} // namespace cogbook
