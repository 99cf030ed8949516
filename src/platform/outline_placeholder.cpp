// The hint an outline shows while it has no rows.
#include <QEvent>
#include <QLabel>

#include "platform/legible_colors.h"
#include "platform/outline_item_model.h"
#include "platform/outline_view.h"

namespace cogbook {

// Centred over the rows' area, in the palette's placeholder colour kept
// legible; clicks go through to the view.
class OutlineView::Placeholder : public QLabel {
public:
    explicit Placeholder(QWidget* area) : QLabel(area) {
        setObjectName(QStringLiteral("outlinePlaceholder"));
        setAlignment(Qt::AlignCenter);
        setWordWrap(true);
        setMargin(24);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        keepPlaceholderLegible(this, QPalette::WindowText);
        area->installEventFilter(this);
        setGeometry(area->rect());
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
        return false;
    }
};

void OutlineView::setPlaceholderText(const QString& text) {
    if (!placeholder_) {
        placeholder_ = new Placeholder(viewport());
        const auto update = [this] { updatePlaceholder(); };
        connect(model_.get(), &QAbstractItemModel::rowsInserted, placeholder_.data(), update);
        connect(model_.get(), &QAbstractItemModel::rowsRemoved, placeholder_.data(), update);
        connect(model_.get(), &QAbstractItemModel::modelReset, placeholder_.data(), update);
        connect(model_.get(), &QAbstractItemModel::layoutChanged, placeholder_.data(), update);
    }
    placeholder_->setText(text);
    placeholder_->setAccessibleName(text);
    updatePlaceholder();
}

QString OutlineView::placeholderText() const { return placeholder_ ? placeholder_->text() : QString(); }

QWidget* OutlineView::visiblePlaceholder() const {
    return placeholder_ && !placeholder_->isHidden() ? placeholder_.data() : nullptr;
}

void OutlineView::updatePlaceholder() {
    if (!placeholder_) return;
    const bool show = !placeholder_->text().isEmpty() && model_->rowCount(QModelIndex()) == 0;
    placeholder_->setVisible(show);
}

} // namespace cogbook
