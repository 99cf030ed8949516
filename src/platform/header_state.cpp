#include "platform/header_state.h"

#include <QByteArray>
#include <QEvent>
#include <QHeaderView>
#include <QPointer>
#include <QTreeView>

#include <algorithm>
#include <string>

#include "foundation/user_defaults.h"

namespace cogbook {
namespace {

// Every column is still there, shown (unless it may be hidden) and wide
// enough to be grabbed.
bool usable(const QHeaderView& header, int count, const QSet<int>& hideable) {
    if (header.count() != count) return false;
    for (int logical = 0; logical < count; ++logical) {
        if (header.isSectionHidden(logical)) {
            if (!hideable.contains(logical)) return false;
        } else if (header.sectionSize(logical) < header.minimumSectionSize()) {
            return false;
        }
    }
    return true;
}

void sizeColumnToContents(QTreeView* view, int logical, double largestShare) {
    QHeaderView* header = view->header();
    if (logical < 0 || logical >= header->count()) return;
    const int largest = static_cast<int>(view->viewport()->width() * largestShare);
    const int smallest = header->sectionSizeHint(logical);
    // Public as an item view's; the tree view's own counts the rows' indentation.
    const int wanted = static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(logical);
    header->resizeSection(logical, std::max(smallest, std::min(wanted, largest)));
}

// Sizes the column at the view's first show, then goes.
class FirstShowSizer : public QObject {
public:
    FirstShowSizer(QTreeView* view, int logical, double largestShare)
        : QObject(view), view_(view), logical_(logical), largestShare_(largestShare) {
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == view_ && event->type() == QEvent::Show) {
            view_->removeEventFilter(this);
            sizeColumnToContents(view_, logical_, largestShare_);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QTreeView> view_;
    int logical_;
    double largestShare_;
};

} // namespace

void saveHeaderStateForKey(const QHeaderView& header, std::string_view key) {
    const QByteArray state = header.saveState();
    UserDefaults::standardUserDefaults().setObjectForKey(PlistValue(PlistData(state.begin(), state.end())), key);
}

bool restoreHeaderStateForKey(QHeaderView& header, std::string_view key, const QSet<int>& hideable) {
    const PlistValue* kept = UserDefaults::standardUserDefaults().objectForKey(key);
    if (kept == nullptr || !kept->isData() || kept->data().empty()) return false;
    const PlistData& bytes = kept->data();
    const QByteArray before = header.saveState();
    const int count = header.count();
    if (header.restoreState(QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))) &&
        usable(header, count, hideable)) {
        return true;
    }
    header.restoreState(before);
    return false;
}

void sizeColumnToContentsWhenShown(QTreeView* view, int logical, double largestShare) {
    if (view->isVisible()) {
        sizeColumnToContents(view, logical, largestShare);
    } else {
        new FirstShowSizer(view, logical, largestShare);
    }
}

} // namespace cogbook
