// The application's one find panel: the search string, the ignore-case and
// direction settings, and the document searched (the one whose window was
// last key). Find next and previous step through that document with its
// searcher and select the item found; find all hands the string to the
// document's search report.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

#include "model/ZRBicycleList.h"
#include "search/ZRSWSearchableDocument.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace Ui {
class ZRSWFindPanel;
}

namespace cogbook {

inline constexpr const char* _findNextTitle = "Find Next";
inline constexpr const char* _findPreviousTitle = "Find Previous";

class ZRSWFindManager : public QObject {
    Q_OBJECT
public:
    // The one manager, made on first use. It ends (later) when the last open
    // document goes; the next use makes a new one.
    static ZRSWFindManager* sharedFindManager();
    // The manager if there is one now, without making one.
    static ZRSWFindManager* existingFindManager();
    ~ZRSWFindManager() override;

    // Loads the panel on first use, makes DOCUMENT the one searched, and shows
    // the panel with the current find string.
    void runFindPanelForBikeDocument(ZRSWSearchableDocument* document);

    ZRSWSearchableDocument* currentDocument() const { return currentDocument_; }
    void setCurrentDocument(ZRSWSearchableDocument* document);

    const std::optional<QString>& searchString() const { return searchString_; }
    // With a string: keeps it and publishes it as the find string. Without:
    // takes the published find string, if there is one.
    void setSearchString(const std::optional<QString>& string);

    bool ignoreCase() const { return ignoreCase_; }
    bool searchBackward() const { return searchBackward_; }
    void setSearchBackward(bool backward);

    // One find step in the current document from the selected row lowest on
    // screen. Past the last match it beeps once and starts again from the top
    // (bottom, searching backward). Answers the item found and selected.
    ZRBicycleListPtr nextItem();

    // The panel's actions.
    void findNext();
    void findAll();
    void changeIgnoreCase();
    void changeSearchBackward();
    void loadSearchString();

    // The panel and its controls, null until the panel is first loaded.
    QWidget* findPanel() const { return findPanel_.get(); }
    QLabel* findCaptionField() const;
    QLineEdit* findStringField() const;
    QPushButton* findNextButton() const;
    QPushButton* findAllButton() const;
    QCheckBox* ignoreCaseSwitch() const;
    QCheckBox* searchBackwardSwitch() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ZRSWFindManager();
    void loadPanel();
    void bikeDocumentWillDealloc(const void* document);

    std::unique_ptr<QWidget> findPanel_;
    std::unique_ptr<Ui::ZRSWFindPanel> ui_;
    std::optional<QString> searchString_;
    bool ignoreCase_ = false;
    bool searchBackward_ = false;
    ZRSWSearchableDocument* currentDocument_ = nullptr;
    bool ending_ = false;
};

} // namespace cogbook
