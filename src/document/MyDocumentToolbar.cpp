// The document window's toolbar: the add commands, Expand All and Collapse
// All, and the search field. The document is the toolbar's delegate.
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>

#include "document/MyDocument.h"
#include "document/ZRSWDocumentNames.h"
#include "foundation/hooks.h"
#include "platform/application.h"
#include "platform/images.h"

namespace cogbook {
namespace {

struct ButtonItem {
    const char* identifier;
    const char* label;
    const char* toolTip;
    const char* image;
    const char* action;
};

constexpr ButtonItem kButtonItems[] = {
    {AddPartToolbarItemIdentifier, "Add Part", "Create a new part for the bike.", "BikePartIconLarge.tiff", "addPart:"},
    {AddSubpartToolbarItemIdentifier, "Add Subpart", "Create a subpart of the selected part.", "Subpart.tiff",
     "addSubpart:"},
    {AddBikeEntryToolbarItemIdentifier, "Add Entry for Bike", "Create a service entry for the bike.", "Hand32.tiff",
     "addEntryForBike:"},
    {AddPartEntryToolbarItemIdentifier, "Add Entry for Part", "Create a service entry for the selected part.",
     "PencilChain.tiff", "addEntryForPart:"},
    {ExpandAllToolbarItemIdentifier, "Expand All", "Open all reveal triangles in the view.", "ExpandAll.tiff",
     "expandAll:"},
    {CollapseAllToolbarItemIdentifier, "Collapse All", "Close all reveal triangles in the view.", "CollapseAll.tiff",
     "collapseAll:"},
};

constexpr int kSearchFieldMinimumWidth = 30;
constexpr int kSearchFieldMaximumWidth = 400;

} // namespace

void MyDocument::installToolbarCommands() {
    addCommand("runToolbarCustomizationPalette:", [this](QAction*) {
        if (toolbar_) toolbar_->runCustomizationPalette();
    });
}

void MyDocument::setupToolbar() {
    DocumentWindow* window = documentWindow();
    if (window == nullptr || toolbar_) return;
    if (toolbarSearchField_) {
        toolbarSearchField_->setAccessibleName(tr("Search"));
        if (auto image = imageNamed(QStringLiteral("Search"))) {
            toolbarSearchField_->addAction(image->icon(), QLineEdit::LeadingPosition);
        }
    }
    toolbar_ = new Toolbar(QLatin1String(MyDocToolbarIdentifier), window);
    toolbar_->setAllowsUserCustomization(true);
    toolbar_->setAutosavesConfiguration(true);
    toolbar_->setDisplayMode(ToolbarDisplayMode::IconAndLabel);
    window->addToolBar(Qt::TopToolBarArea, toolbar_);
    toolbar_->setDelegate(this, this);
    // The keyboard's way into the search field, while the toolbar shows it.
    auto* focusSearch = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), window);
    connect(focusSearch, &QShortcut::activated, this, [this] {
        if (!activeSearchItem_ || !toolbarSearchField_ || !toolbarSearchField_->isVisible()) {
            beep();
            return;
        }
        toolbarSearchField_->setFocus(Qt::ShortcutFocusReason);
        toolbarSearchField_->selectAll();
    });
    // A window that outlives its document keeps a toolbar that asks no one.
    connect(this, &QObject::destroyed, toolbar_, [toolbar = toolbar_] {
        if (toolbar) toolbar->setDelegate(nullptr);
    });
}

std::unique_ptr<ToolbarItem> MyDocument::toolbarItemForItemIdentifierWillBeInsertedIntoToolbar(
    Toolbar*, const QString& identifier, bool) {
    auto item = std::make_unique<ToolbarItem>(identifier);
    for (const ButtonItem& button : kButtonItems) {
        if (identifier != QLatin1String(button.identifier)) continue;
        item->setLabel(tr(button.label));
        item->setPaletteLabel(tr(button.label));
        item->setToolTip(tr(button.toolTip));
        item->setImage(imageNamed(QLatin1String(button.image)));
        item->setTarget(this);
        item->setAction(button.action);
        return item;
    }
    if (identifier == QLatin1String(SearchDocToolbarItemIdentifier)) {
        item->setLabel(tr("Search"));
        item->setPaletteLabel(tr("Search"));
        item->setToolTip(tr("Search Your Document"));
        item->setImage(imageNamed(QStringLiteral("Search")));
        if (toolbarSearchField_) {
            const int height = toolbarSearchField_->sizeHint().height();
            item->setView(toolbarSearchField_.get());
            item->setMinSize(QSize(kSearchFieldMinimumWidth, height));
            item->setMaxSize(QSize(kSearchFieldMaximumWidth, height));
        }
        // Shown when the toolbar shows text only.
        auto menu = std::make_unique<QMenu>(tr("Search"));
        QAction* panel = menu->addAction(tr("Search Panel"));
        QPointer<MyDocument> self(this);
        connect(panel, &QAction::triggered, this, [self] {
            Application::performGuarded([self] {
                if (self) self->searchUsingSearchPanel();
            });
        });
        item->setMenuFormRepresentation(std::move(menu));
        return item;
    }
    return nullptr;
}

QStringList MyDocument::toolbarDefaultItemIdentifiers(Toolbar*) {
    return {QLatin1String(AddPartEntryToolbarItemIdentifier), QLatin1String(AddSubpartToolbarItemIdentifier),
            QLatin1String(ExpandAllToolbarItemIdentifier),    QLatin1String(CollapseAllToolbarItemIdentifier),
            QLatin1String(AddBikeEntryToolbarItemIdentifier), QLatin1String(AddPartToolbarItemIdentifier),
            QLatin1String(SearchDocToolbarItemIdentifier)};
}

QStringList MyDocument::toolbarAllowedItemIdentifiers(Toolbar*) {
    // The print item joins the list, after the search item, once the
    // document prints.
    return {QLatin1String(AddPartToolbarItemIdentifier),
            QLatin1String(AddSubpartToolbarItemIdentifier),
            QLatin1String(AddPartEntryToolbarItemIdentifier),
            QLatin1String(AddBikeEntryToolbarItemIdentifier),
            QLatin1String(SearchDocToolbarItemIdentifier),
            QLatin1String(NSToolbarCustomizeToolbarItemIdentifier),
            QLatin1String(NSToolbarFlexibleSpaceItemIdentifier),
            QLatin1String(NSToolbarSpaceItemIdentifier),
            QLatin1String(NSToolbarSeparatorItemIdentifier),
            QLatin1String(ExpandAllToolbarItemIdentifier),
            QLatin1String(CollapseAllToolbarItemIdentifier)};
}

void MyDocument::toolbarWillAddItem(Toolbar*, ToolbarItem* item) {
    if (item == nullptr || item->itemIdentifier() != QLatin1String(SearchDocToolbarItemIdentifier)) return;
    activeSearchItem_ = item;
    item->setTarget(this);
    item->setAction("searchUsingToolbarTextField:");
}

void MyDocument::toolbarDidRemoveItem(Toolbar*, ToolbarItem* item) {
    if (item != nullptr && item == activeSearchItem_) activeSearchItem_ = nullptr;
}

bool MyDocument::validateToolbarItem(ToolbarItem* item) {
    const QString& identifier = item->itemIdentifier();
    if (identifier == QLatin1String(AddSubpartToolbarItemIdentifier) ||
        identifier == QLatin1String(AddPartEntryToolbarItemIdentifier)) {
        return bikeTable_ && bikeTable_->numberOfSelectedRows() == 1;
    }
    return true;
}

} // namespace cogbook
