#pragma once
// The spreadsheet export of a list ("Экспорт в Microsoft Excel"): what a list view shows becomes a
// plain table (captions from its header, cells from its display texts, widths from its columns),
// which is written as a workbook in the temporary folder and opened with the desktop's default
// program for .xlsx files.
#include <QString>
#include <functional>

#include "core/xlsx_table.h"

class QTableView;

namespace tavlora {
class Interaction;
class Progress;
}  // namespace tavlora

namespace tavlora::ui {

class BusyState;

// The table of the rows and visible columns of a view, in the view's order. A cell whose display
// value is a number stays a number; a text that reads as a number becomes one (exportCellFromText).
// Throws EError, before reading any row, when the view holds more than a sheet does.
TExportTable tableFromView(const QTableView& view, const QString& sheetName);

// Opens a written workbook; returns false when no program could be started. Tests replace it so
// that nothing is launched; an empty function restores the desktop's default program.
using WorkbookOpener = std::function<bool(const QString& file)>;
void setWorkbookOpener(WorkbookOpener opener);

// Exports the view under the sheet name (a tab caption) and opens the file. Failures are shown
// through ui; returns the file written, empty when nothing was.
QString exportViewToExcel(const QTableView& view, const QString& sheetName, Interaction& ui, Progress& progress,
                          BusyState& busy);

}  // namespace tavlora::ui
