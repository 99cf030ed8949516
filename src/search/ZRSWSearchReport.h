// A document's find-all result: a window listing every item that holds a
// string, in outline order. Choosing a row focuses the document's outline on
// that item. One report per open document, kept in a process-wide registry;
// it closes and ends with its document.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTableView>

#include <cstddef>
#include <memory>

#include "search/ZRSWSearchableDocument.h"

class QWidget;

namespace cogbook {

class SearchResultsModel;

class ZRSWSearchReport : public QObject {
    Q_OBJECT
public:
    // The document's report, made and registered on first use. The registry
    // owns it. Null for no document.
    static ZRSWSearchReport* searchReportForDocument(ZRSWSearchableDocument* document);
    static std::size_t registeredReportCount();
    ~ZRSWSearchReport() override;

    ZRSWSearchableDocument* theBikeDocument() const { return theBikeDocument_; }

    // Lists every item holding STRING (none for an empty string) and brings
    // the report to the front, titled after the string and the bike. Answers
    // null, doing nothing, without a document or its bike.
    ZRSWSearchReport* showSearchResultsForStringIgnoreCase(const QString& string, bool ignoreCase);

    // The window and its table, null until first shown.
    QWidget* searchReportPanel() const { return searchReportPanel_.get(); }
    QTableView* searchReportTV() const { return searchReportTV_; }
    SearchResultsModel* foundItems() const { return model_; }

    // Focuses the document on the item of ROW; a row whose item is no longer
    // in the document's tree only beeps.
    void tableViewSelectionDidChange(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ZRSWSearchReport(ZRSWSearchableDocument* document);
    void loadPanel();
    void bikeDocumentWillDealloc(const void* document);

    ZRSWSearchableDocument* theBikeDocument_ = nullptr;
    const void* documentKey_ = nullptr;
    std::unique_ptr<QWidget> searchReportPanel_;
    QPointer<QTableView> searchReportTV_;
    SearchResultsModel* model_ = nullptr;
};

} // namespace cogbook
