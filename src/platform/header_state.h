// A view's columns as the user left them (widths and order) kept in the user
// defaults, and columns sized to what they show when there is nothing kept.
#pragma once

#include <QSet>

#include <string_view>

class QHeaderView;
class QTreeView;

namespace cogbook {

// Keeps HEADER's column widths and order under KEY.
void saveHeaderStateForKey(const QHeaderView& header, std::string_view key);
// Gives HEADER the widths and order kept under KEY. Answers false, leaving
// HEADER as it was, when nothing is kept or what is kept does not fit HEADER
// (another number of columns, damaged bytes, columns hidden or squeezed shut).
// The columns HIDEABLE (logical indexes) may come back hidden; a state kept
// before the header had its last columns gains them at their default width.
bool restoreHeaderStateForKey(QHeaderView& header, std::string_view key, const QSet<int>& hideable = {});

// Once VIEW shows (at once when it does already), its column LOGICAL becomes
// as wide as its widest visible row needs, though no wider than LARGESTSHARE
// of the view's width nor narrower than its title.
void sizeColumnToContentsWhenShown(QTreeView* view, int logical, double largestShare);

} // namespace cogbook
