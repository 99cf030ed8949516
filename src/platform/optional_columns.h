// Columns of an outline the user may show or hide. They start hidden; the
// user's choice is offered in the header's context menu and in any menu
// given, and kept in the user defaults, so a new window shows what the last
// choice showed; the other open outlines that keep theirs under the same key
// follow the choice at once.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <string>

class QMenu;

namespace cogbook {

class OutlineView;

class OptionalColumns : public QObject {
    Q_OBJECT
public:
    // IDENTIFIERS name columns of VIEW; the ones shown are kept under KEY.
    OptionalColumns(OutlineView* view, QStringList identifiers, std::string key);
    ~OptionalColumns() override;

    const QStringList& identifiers() const { return identifiers_; }
    // The logical indexes of the columns, for a header state that may keep
    // them hidden.
    QSet<int> logicalIndexes() const;

    // Shows the columns the user defaults name and hides the others.
    void applyKeptChoice();
    bool isColumnShown(const QString& identifier) const;
    // Shows or hides the column and keeps the choice. A column shown for the
    // first time is made wide enough for its title.
    void setColumnShown(const QString& identifier, bool shown);

    // Adds a checkable item per column (titled as the column) to MENU; each
    // shows or hides its column. The checks follow the columns as the menu
    // opens.
    void addItemsToMenu(QMenu* menu);

signals:
    void columnShownChanged(const QString& identifier, bool shown);

private:
    QSet<QString> keptChoice() const;
    // Shows or hides the column on the screen only.
    void showColumn(const QString& identifier, bool shown);
    // Takes the choice another outline has just kept.
    void followKeptChoice();
    void showHeaderMenu(const QPoint& point);
    std::string changeNotificationName() const;

    QPointer<OutlineView> view_;
    QStringList identifiers_;
    std::string key_;
};

} // namespace cogbook
