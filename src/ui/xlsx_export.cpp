#include "ui/xlsx_export.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTableView>
#include <QUrl>
#include <exception>

#include "core/interaction.h"
#include "core/progress.h"
#include "ui/busy_state.h"
#include "ui/text.h"

namespace tavlora::ui {

namespace {

WorkbookOpener& opener() {
    static WorkbookOpener f;
    return f;
}

bool isNumberType(const QVariant& v) {
    switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Double:
        case QMetaType::Float: return true;
        default: return false;
    }
}

}  // namespace

TExportTable tableFromView(const QTableView& view, const QString& sheetName) {
    TExportTable table;
    table.sheetName = us(sheetName);
    const QAbstractItemModel* model = view.model();
    if (!model) return table;
    // The columns the user sees, in their on-screen order.
    std::vector<int> columns;
    const QHeaderView* header = view.horizontalHeader();
    for (int visual = 0; visual < model->columnCount(); ++visual) {
        const int c = header ? header->logicalIndex(visual) : visual;
        if (c < 0 || view.isColumnHidden(c) || view.columnWidth(c) <= 0) continue;
        columns.push_back(c);
    }
    const int rows = model->rowCount();
    checkXlsxTableSize(rows, static_cast<int64_t>(columns.size()));
    for (int c : columns) {
        table.captions.push_back(us(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()));
        table.widths.push_back(view.columnWidth(c));
    }
    table.rows.reserve(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        std::vector<TExportCell> cells;
        cells.reserve(columns.size());
        for (int c : columns) {
            const QVariant v = model->data(model->index(r, c), Qt::DisplayRole);
            cells.push_back(isNumberType(v) ? TExportCell::ofNumber(v.toDouble()) : exportCellFromText(us(v.toString())));
        }
        table.rows.push_back(std::move(cells));
    }
    return table;
}

void setWorkbookOpener(WorkbookOpener f) { opener() = std::move(f); }

QString exportViewToExcel(const QTableView& view, const QString& sheetName, Interaction& ui, Progress& progress,
                          BusyState& busy) {
    BusyScope busyScope(busy);
    StatusScope status(progress, "Экспорт в Microsoft Excel...");
    // A new file each time, so that a workbook still open in the spreadsheet program is never
    // overwritten.
    const QString name = QStringLiteral("Tavlora_%1_%2.xlsx")
                             .arg(qs(exportSheetName(us(sheetName))),
                                  QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_hhmmss_zzz")));
    const QString file = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation)).filePath(name);
    try {
        writeXlsxTable(us(file), tableFromView(view, sheetName));
    } catch (const std::exception& e) {
        ui.error(e.what());
        return {};
    }
    status.clear();
    const bool opened =
        opener() ? opener()(file) : QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    if (!opened)
        ui.warning(us(QStringLiteral("Файл \"%1\" записан, но открыть его не удалось: не найдена программа для "
                                     "файлов Excel (.xlsx).")
                          .arg(file)));
    return file;
}

}  // namespace tavlora::ui
