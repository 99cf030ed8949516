// How the document's window comes back: where it goes on the screen, its
// columns, and for a file the rows that were expanded and selected.
#include "document/MyDocument.h"

#include <QHeaderView>

#include "document/ZRSWDefaultsKeys.h"
#include "document/document_support.h"
#include "document/service_columns.h"
#include "platform/file_states.h"
#include "platform/header_state.h"
#include "platform/view_state.h"
#include "platform/window_frame.h"
#include "platform/window_placement.h"

namespace cogbook {

using namespace document_support;

namespace {

// All document windows share the one frame: a new window takes the frame
// last saved by any.
constexpr const char* kWindowFrameName = "MyDocumentWindow";
// The part names may take up to this share of the outline; the description
// takes the rest.
constexpr double kLargestPartNameShare = 0.5;
// Room beside a date's text.
constexpr int kDateColumnPadding = 16;

} // namespace

void MyDocument::restoreViewState() {
    DocumentWindow* window = documentWindow();
    setFrameUsingName(window, QLatin1String(kWindowFrameName));
    setFrameAutosaveName(window, QLatin1String(kWindowFrameName));
    cascadeWindow(window);

    if (!fileName().isEmpty()) {
        if (const std::optional<PlistValue> kept = valueForFile(ZRSWOutlineStatesByFile, fileName())) {
            restoreOutlineViewState(*bikeTable_, outlineViewStateFromPlist(*kept));
        }
    }

    QHeaderView* header = bikeTable_->header();
    // The service columns may come back hidden: they are shown as the user
    // last chose, whatever the kept widths say.
    QSet<int> hideable;
    for (const QString& identifier : serviceColumnIdentifiers()) {
        if (const TableColumn* column = bikeTable_->tableColumnWithIdentifier(identifier))
            hideable.insert(column->logicalIndex());
    }
    if (restoreHeaderStateForKey(*header, ZRSWOutlineColumns, hideable)) return;
    header->resizeSection(bikeTable_->tableColumnWithIdentifier(QLatin1String(kDateColumn))->logicalIndex(),
                          bikeTable_->fontMetrics().horizontalAdvance(QStringLiteral("00 Sept 0000")) +
                              kDateColumnPadding);
    sizeColumnToContentsWhenShown(
        bikeTable_, bikeTable_->tableColumnWithIdentifier(QLatin1String(kPartNameColumn))->logicalIndex(),
        kLargestPartNameShare);
}

void MyDocument::rememberViewState() {
    if (!bikeTable_ || bikeTable_->dataSource() != this) return;
    saveHeaderStateForKey(*bikeTable_->header(), ZRSWOutlineColumns);
    if (fileName().isEmpty()) return;
    setValueForFile(ZRSWOutlineStatesByFile, fileName(), plistFromOutlineViewState(outlineViewState(*bikeTable_)),
                    kZRSWRememberedOutlineFiles);
}

} // namespace cogbook
