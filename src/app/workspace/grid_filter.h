#pragma once
// What the three number grids (card, layout, week) share: keeping or removing the combinations
// that hold the numbers picked in a grid, a grid model's colour as a Qt brush, and the toggles of
// their display switches.
#include <QString>
#include <QTableView>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/tab.h"

namespace tavlora::app {

// Runs the numbers filter of the session with the picked numbers (in selection order); the
// applied-filter row is named after the tab. A selection without numbers shows the no-values
// error and leaves the list and its undo as they were. Returns whether the list was filtered.
bool filterByGridNumbers(TabHost& host, const std::vector<int32_t>& numbers, const QString& tabCaption, bool remove);

// The selected cells of a view, columns left to right and rows top to bottom.
QModelIndexList selectedCellsByColumn(const QTableView& view);

// Whether the combination list holds combinations to filter.
bool combListHasRows(const TabHost& host);

// A 0xRRGGBB colour as a Qt colour.
inline QColor rgbColor(uint32_t c) { return QColor::fromRgb((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

}  // namespace tavlora::app
