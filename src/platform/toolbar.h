// A window's customisable toolbar. Its delegate names the items it may hold
// and the default set, and makes each item; the user rearranges them in a
// customisation dialog and picks a display mode from the context menu. The
// arrangement and display mode are kept in the user defaults under the
// toolbar's identifier, shared by every toolbar of that identifier: a change
// in one window shows at once in all of them.
#pragma once

#include <QMenu>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <QToolBar>

#include <memory>
#include <string>
#include <vector>

#include "platform/images.h"

class QWidgetAction;

namespace cogbook {

class Responder;
class Toolbar;
class ToolbarCustomizationDialog;

// The items every toolbar knows of itself.
inline constexpr const char* NSToolbarPrintItemIdentifier = "NSToolbarPrintItem";
inline constexpr const char* NSToolbarCustomizeToolbarItemIdentifier = "NSToolbarCustomizeToolbarItem";
inline constexpr const char* NSToolbarFlexibleSpaceItemIdentifier = "NSToolbarFlexibleSpaceItem";
inline constexpr const char* NSToolbarSpaceItemIdentifier = "NSToolbarSpaceItem";
inline constexpr const char* NSToolbarSeparatorItemIdentifier = "NSToolbarSeparatorItem";

enum class ToolbarDisplayMode { Default = 0, IconAndLabel = 1, IconOnly = 2, LabelOnly = 3 };

class ToolbarItem {
public:
    explicit ToolbarItem(QString identifier);
    ~ToolbarItem();
    ToolbarItem(const ToolbarItem&) = delete;
    ToolbarItem& operator=(const ToolbarItem&) = delete;

    const QString& itemIdentifier() const { return identifier_; }
    const QString& label() const { return label_; }
    void setLabel(const QString& label);
    const QString& paletteLabel() const { return paletteLabel_; }
    void setPaletteLabel(const QString& label) { paletteLabel_ = label; }
    const QString& toolTip() const { return toolTip_; }
    void setToolTip(const QString& toolTip);
    const std::shared_ptr<const Image>& image() const { return image_; }
    void setImage(std::shared_ptr<const Image> image);

    // What choosing the item does: ACTION sent to TARGET. For an item shown
    // as a view (a line edit), the view sends it on Return.
    Responder* target() const { return target_; }
    void setTarget(Responder* target) { target_ = target; }
    const std::string& action() const { return action_; }
    void setAction(std::string action) { action_ = std::move(action); }
    // Sends the action to the target (guarded; nothing without either).
    void sendAction();

    // A widget shown in place of a button; not owned, and handed back to its
    // owner (unparented) when the item leaves the toolbar.
    QWidget* view() const { return view_; }
    void setView(QWidget* view) { view_ = view; }
    QSize minSize() const { return minSize_; }
    void setMinSize(QSize size) { minSize_ = size; }
    QSize maxSize() const { return maxSize_; }
    void setMaxSize(QSize size) { maxSize_ = size; }
    // The menu shown, under the label, in place of the view when the toolbar
    // shows text only.
    QMenu* menuFormRepresentation() const { return menuForm_.get(); }
    void setMenuFormRepresentation(std::unique_ptr<QMenu> menu) { menuForm_ = std::move(menu); }

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // The button's action as placed in the toolbar (null for views and spaces).
    QAction* buttonAction() const { return button_.get(); }

private:
    friend class Toolbar;
    QString identifier_;
    QString label_;
    QString paletteLabel_;
    QString toolTip_;
    std::shared_ptr<const Image> image_;
    Responder* target_ = nullptr;
    std::string action_;
    QPointer<QWidget> view_;
    QSize minSize_;
    QSize maxSize_;
    std::unique_ptr<QMenu> menuForm_;
    std::unique_ptr<QAction> button_;
    bool enabled_ = true;
};

class ToolbarDelegate {
public:
    virtual ~ToolbarDelegate() = default;
    // A new item for IDENTIFIER, or null for one the delegate does not know.
    // WILLBEINSERTED is false for the customisation dialog's copies.
    virtual std::unique_ptr<ToolbarItem> toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(
        Toolbar* toolbar, const QString& identifier, bool willBeInserted) = 0;
    virtual QStringList toolbarDefaultItemIdentifiers(Toolbar* toolbar) = 0;
    virtual QStringList toolbarAllowedItemIdentifiers(Toolbar* toolbar) = 0;
    // An item enters or leaves the toolbar.
    virtual void toolbarWillAddItem(Toolbar*, ToolbarItem*) {}
    virtual void toolbarDidRemoveItem(Toolbar*, ToolbarItem*) {}
    // Whether an item whose target is the delegate is enabled now.
    virtual bool validateToolbarItem(ToolbarItem*) { return true; }
};

class Toolbar : public QToolBar {
    Q_OBJECT
public:
    explicit Toolbar(const QString& identifier, QWidget* parent = nullptr);
    ~Toolbar() override;

    const QString& identifier() const { return identifier_; }
    bool allowsUserCustomization() const { return allowsUserCustomization_; }
    void setAllowsUserCustomization(bool allows) { allowsUserCustomization_ = allows; }
    bool autosavesConfiguration() const { return autosaves_; }
    void setAutosavesConfiguration(bool autosaves) { autosaves_ = autosaves; }
    ToolbarDisplayMode displayMode() const { return displayMode_; }
    void setDisplayMode(ToolbarDisplayMode mode);

    // Takes the saved arrangement (or the delegate's default set) and shows it.
    // A delegate of null detaches the toolbar from its delegate for good.
    void setDelegate(ToolbarDelegate* delegate, Responder* delegateResponder = nullptr);
    ToolbarDelegate* delegate() const { return delegate_; }

    QStringList itemIdentifiers() const;
    const std::vector<std::unique_ptr<ToolbarItem>>& items() const { return items_; }
    // Rearranges as the user asked: saved, and shown in every toolbar of this
    // identifier. Identifiers the delegate does not allow are dropped.
    void setItemIdentifiersByUser(const QStringList& identifiers);
    void setDisplayModeByUser(ToolbarDisplayMode mode);

    // Enables each item the delegate is the target of, as it says.
    void validateVisibleItems();
    // Opens (or brings forward) the customisation dialog.
    ToolbarCustomizationDialog* runCustomizationPalette();
    // A copy of IDENTIFIER's item for showing in the dialog (not inserted).
    std::unique_ptr<ToolbarItem> paletteItem(const QString& identifier);
    QStringList allowedItemIdentifiers();
    QStringList defaultItemIdentifiers();

    // The context menu: display modes and the customisation dialog.
    QMenu* makeContextMenu(QWidget* parent);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::unique_ptr<ToolbarItem> makeItem(const QString& identifier, bool willBeInserted);
    QStringList savedOrDefaultIdentifiers();
    QStringList sanitized(const QStringList& identifiers);
    void applyItemIdentifiers(const QStringList& identifiers);
    void layOutItems();
    void clearLayout();
    void saveConfiguration() const;
    void applyConfigurationToSiblings();

    QString identifier_;
    bool allowsUserCustomization_ = false;
    bool autosaves_ = false;
    ToolbarDisplayMode displayMode_ = ToolbarDisplayMode::IconAndLabel;
    ToolbarDelegate* delegate_ = nullptr;
    Responder* delegateResponder_ = nullptr;
    std::vector<std::unique_ptr<ToolbarItem>> items_;
    std::vector<QAction*> layoutActions_;
    QPointer<ToolbarCustomizationDialog> customization_;
};

} // namespace cogbook
