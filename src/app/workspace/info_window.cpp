#include "app/workspace/info_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/game.h"
#include "core/numbers.h"
#include "stats/stat_list.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

namespace {

constexpr int kValueColumnWidth = 90;
// The widest the matrix pane grows; a wider matrix scrolls sideways.
constexpr int kMaxMatrixWidth = 30 * kInfoCellWidth;

QColor rgb(uint32_t c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

// Restores the cursor on every way out of the filling.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TInfoWindow::TInfoWindow(QWidget* parent, const TStatList& registry, const TInfoRequest& request)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), nums_(request.nums) {
    setWindowTitle(QString::fromUtf8(kInfoWindowCaption));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose, false);
    channelWidth_ = registry.settings().config.channelSize;

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    sgMatrix_ = new QTableWidget(this);
    sgMatrix_->setObjectName(QStringLiteral("sgMatrix"));
    sgMatrix_->horizontalHeader()->hide();
    sgMatrix_->verticalHeader()->hide();
    sgMatrix_->horizontalHeader()->setDefaultSectionSize(kInfoCellWidth);
    sgMatrix_->verticalHeader()->setDefaultSectionSize(kInfoCellWidth);
    sgMatrix_->horizontalHeader()->setMinimumSectionSize(kInfoCellWidth);
    sgMatrix_->verticalHeader()->setMinimumSectionSize(kInfoCellWidth);
    sgMatrix_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgMatrix_->setSelectionMode(QAbstractItemView::NoSelection);
    // No current cell: its focus frame would darken the first cell as if it were marked.
    sgMatrix_->setFocusPolicy(Qt::NoFocus);
    left->addWidget(sgMatrix_, 1);
    auto* columnsRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Количество столбцов:"), this);
    edColumns_ = new QSpinBox(this);
    edColumns_->setObjectName(QStringLiteral("edColumns"));
    edColumns_->setRange(1, kMaxNumber);
    label->setBuddy(edColumns_);
    columnsRow->addWidget(label);
    columnsRow->addWidget(edColumns_);
    left->addLayout(columnsRow);
    layout->addLayout(left);

    lvProps_ = new QTableWidget(this);
    lvProps_->setObjectName(QStringLiteral("lvProps"));
    lvProps_->setColumnCount(2);
    lvProps_->setHorizontalHeaderLabels({QStringLiteral("Свойство"), QStringLiteral("Значение")});
    lvProps_->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lvProps_->verticalHeader()->hide();
    lvProps_->verticalHeader()->setDefaultSectionSize(20);
    lvProps_->setShowGrid(true);
    lvProps_->setSortingEnabled(false);
    lvProps_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvProps_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvProps_->horizontalHeader()->setStretchLastSection(true);
    lvProps_->horizontalHeader()->setMinimumSectionSize(kValueColumnWidth / 2);
    layout->addWidget(lvProps_, 1);

    {
        WaitCursor wait;
        const auto rows = infoRows(registry, request);
        lvProps_->setRowCount(static_cast<int>(rows.size()));
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            lvProps_->setItem(r, 0, new QTableWidgetItem(ui::qs(rows[static_cast<size_t>(r)].property)));
            auto* value = new QTableWidgetItem(ui::qs(rows[static_cast<size_t>(r)].value));
            value->setTextAlignment(Qt::AlignCenter);
            lvProps_->setItem(r, 1, value);
        }
        // The captions are long and the values short: the property column is as wide as its
        // longest caption, so that no caption is cut.
        lvProps_->resizeColumnToContents(0);
        lvProps_->setColumnWidth(0, std::max(lvProps_->columnWidth(0), 200));
        lvProps_->setColumnWidth(1, kValueColumnWidth);
    }
    connect(edColumns_, &QSpinBox::valueChanged, this, &TInfoWindow::setColumns);
    const int width = std::clamp(registry.settings().config.matrixCols, 1, kMaxNumber);
    edColumns_->setValue(width);
    setColumns(width);
    const int listWidth = lvProps_->columnWidth(0) + kValueColumnWidth +
                          lvProps_->verticalScrollBar()->sizeHint().width() + 2 * lvProps_->frameWidth() + 4;
    const QMargins m = layout->contentsMargins();
    resize(m.left() + left->sizeHint().width() + layout->spacing() + std::min(listWidth, 1000) + m.right(), 560);
    // Opens where and at the size it was last closed.
    ui::keepPlacement(*this, "TInfoWindow", {lvProps_});
}

void TInfoWindow::setColumns(int columns) {
    columns = std::clamp(columns, 1, kMaxNumber);
    sgMatrix_->clear();
    sgMatrix_->setColumnCount(columns);
    sgMatrix_->setRowCount(matrixRows(columns));
    for (int y = 0; y < sgMatrix_->rowCount(); ++y)
        for (int x = 0; x < columns; ++x) {
            auto* cell = new QTableWidgetItem;
            cell->setTextAlignment(Qt::AlignCenter);
            const int n = y * columns + x + 1;
            if (n >= kMinNumber && n <= kMaxNumber) {
                cell->setBackground(rgb(groupColor(n, channelWidth_)));
                cell->setForeground(Qt::black);  // the palette is light whatever the desktop theme
            }
            sgMatrix_->setItem(y, x, cell);
        }
    for (uint8_t n : nums_.n) {
        if (n < kMinNumber || n > kMaxNumber) continue;
        sgMatrix_->item(matrixRow(n, columns) - 1, matrixCol(n, columns) - 1)->setText(QString::number(n));
    }
    fitMatrix();
}

void TInfoWindow::fitMatrix() {
    // The pane is as wide as the matrix (with room for a vertical scroll bar when the rows do not
    // fit), up to kMaxMatrixWidth; a wider matrix scrolls. The window grows with the pane.
    const int frame = 2 * sgMatrix_->frameWidth();
    const bool rowsScroll = sgMatrix_->verticalHeader()->length() + frame > sgMatrix_->height();
    const int scrollBar = rowsScroll ? sgMatrix_->verticalScrollBar()->sizeHint().width() : 0;
    const int wanted = std::min(sgMatrix_->horizontalHeader()->length() + frame + scrollBar + 2, kMaxMatrixWidth);
    sgMatrix_->setMinimumWidth(std::max(wanted, edColumns_->sizeHint().width()));
    if (isVisible() && width() < minimumSizeHint().width()) resize(minimumSizeHint().width(), height());
}

QColor TInfoWindow::cellColor(int row, int column) const {
    const QTableWidgetItem* cell = sgMatrix_->item(row, column);
    if (!cell || cell->background().style() == Qt::NoBrush) return sgMatrix_->palette().color(QPalette::Base);
    return cell->background().color();
}

}  // namespace tavlora::app
