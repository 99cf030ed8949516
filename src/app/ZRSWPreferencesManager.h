// The preferences panel: the templates new bikes start from, which of them is
// the default, their removal, and new templates made from open bikes. The
// panel edits working copies; OK stores them and rebuilds the template menu,
// Cancel (or closing the panel) drops them.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/plist.h"

namespace cogbook {

class MyDocument;
class ZRSWTemplateTitleSheetManager;

class ZRSWPreferencesManager : public QObject {
    Q_OBJECT
public:
    ZRSWPreferencesManager();
    ~ZRSWPreferencesManager() override;

    // Opens the panel on the stored templates and preferred index.
    void runPreferences();

    void okayChanges();
    void cancelChanges();
    void removeTemplates();
    void makeNewTemplate();
    void makeDefault();
    void tableViewSelectionDidChange();

    void _setTemplatesListFromArray(const PlistArray& array);

    // The working copies.
    const PlistArray& templatesList() const { return templatesList_; }
    std::uint32_t indexOfDefaultTemplate() const { return indexOfDefaultTemplate_; }

    // The panel and its controls, loaded on first opening.
    QDialog* preferencesPanel() const { return preferencesPanel_; }
    QTableWidget* templatesTableView() const { return templatesTableView_; }
    QComboBox* bikesPopUp() const { return bikesPopUp_; }
    QPushButton* okayButton() const { return okayButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QPushButton* removeTemplatesButton() const { return removeTemplatesButton_; }
    QPushButton* newTemplateButton() const { return newTemplateButton_; }
    QCheckBox* defaultSwitch() const { return defaultSwitch_; }
    // Made on the first new template.
    ZRSWTemplateTitleSheetManager* templateTitleSheetManager() const { return templateTitleSheetManager_.get(); }
    // The document behind each pop-up entry, in the pop-up's order.
    std::vector<MyDocument*> popUpDocuments() const;

    // Makes template titles unique; counts up for the whole run.
    static int titleCounter() { return n; }

private:
    void loadPanel();
    void reloadTable();
    void selectDefaultTemplate();
    void bikeDocumentDidLoad(const void* object);
    void bikeDocumentWillDealloc(const void* object);
    void addPopUpEntry(MyDocument* document);
    // Titles every entry with its document's name, and the folder where two
    // names are the same.
    void retitlePopUp();
    std::string uniqueTemplateTitle(std::string name) const;

    QPointer<QDialog> preferencesPanel_;
    QPointer<QTableWidget> templatesTableView_;
    QPointer<QComboBox> bikesPopUp_;
    QPointer<QPushButton> okayButton_;
    QPointer<QPushButton> cancelButton_;
    QPointer<QPushButton> removeTemplatesButton_;
    QPointer<QPushButton> newTemplateButton_;
    QPointer<QCheckBox> defaultSwitch_;
    PlistArray templatesList_;
    std::uint32_t indexOfDefaultTemplate_;
    std::unique_ptr<ZRSWTemplateTitleSheetManager> templateTitleSheetManager_;
    struct PopUpEntry {
        const void* identity; // as the document's notifications name it
        QPointer<MyDocument> document;
    };
    std::vector<PopUpEntry> popUpEntries_;

    static int n;
};

} // namespace cogbook
