// The dialog in which the user arranges a toolbar: items of the allowed set
// are added, removed and reordered, the default set restored and the display
// mode chosen. Every change shows at once, in every toolbar of the same
// identifier, and is saved.
#pragma once

#include <QDialog>
#include <QPointer>

class QComboBox;
class QListWidget;
class QPushButton;

namespace cogbook {

class Toolbar;

class ToolbarCustomizationDialog : public QDialog {
    Q_OBJECT
public:
    explicit ToolbarCustomizationDialog(Toolbar* toolbar);

    QListWidget* availableList() const { return available_; }
    QListWidget* toolbarList() const { return current_; }
    QComboBox* displayModeChooser() const { return mode_; }

    // What the buttons do.
    // Puts the chosen available item after the toolbar's current item (at
    // the end with none); beeps for an item that is there already and may be
    // there only once.
    void addChosenItem();
    void removeChosenItem();
    void moveChosenItem(int by);
    void restoreDefaultSet();

private:
    void refresh();
    void apply(const QStringList& identifiers, int currentRow);
    QStringList toolbarIdentifiers() const;

    QPointer<Toolbar> toolbar_;
    QListWidget* available_ = nullptr;
    QListWidget* current_ = nullptr;
    QComboBox* mode_ = nullptr;
};

} // namespace cogbook
