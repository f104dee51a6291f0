#include "app/settings/settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>

#include "core/codepage.h"
#include "core/format.h"
#include "core/ini_file.h"
#include "core/numbers.h"
#include "core/text_forms.h"
#include "ui/text.h"
#include "ui/window_settings.h"

namespace tavlora::app {

namespace {

constexpr int kNumbers = 69;

// A cell editor that lets only the characters of the pattern be typed.
class FilteredDelegate : public QStyledItemDelegate {
public:
    FilteredDelegate(const QString& pattern, QObject* parent) : QStyledItemDelegate(parent), pattern_(pattern) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* edit = new QLineEdit(parent);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern_), edit));
        return edit;
    }

private:
    QString pattern_;
};

QTableWidgetItem* readOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

QDoubleSpinBox* realEdit(QWidget* parent, int decimals, double min, double max) {
    auto* e = new QDoubleSpinBox(parent);
    e->setDecimals(decimals);
    e->setRange(min, max);
    e->setGroupSeparatorShown(true);
    return e;
}

}  // namespace

TSettingsDialog::TSettingsDialog(QWidget* parent, const TConfigData& config, Interaction& interaction,
                                 const TSystemsSettings& systems)
    : QDialog(parent), interaction_(interaction), original_(config) {
    setObjectName(QStringLiteral("TSettingsDialog"));
    setWindowTitle(QStringLiteral("Параметры системы"));
    auto* top = new QHBoxLayout;

    // Left column: sizes, money, prizes, weights.
    auto* left = new QVBoxLayout;
    auto* form = new QFormLayout;
    auto* matrixRow = new QHBoxLayout;
    edMatrixCols_ = new QSpinBox(this);
    edMatrixCols_->setObjectName(QStringLiteral("edMatrixCols"));
    edMatrixCols_->setRange(1, kNumbers);
    edMatrixRows_ = new QSpinBox(this);
    edMatrixRows_->setObjectName(QStringLiteral("edMatrixRows"));
    edMatrixRows_->setRange(1, kNumbers);
    edMatrixRows_->setReadOnly(true);
    edMatrixRows_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    matrixRow->addWidget(edMatrixCols_);
    matrixRow->addWidget(new QLabel(QStringLiteral("x"), this));
    matrixRow->addWidget(edMatrixRows_);
    form->addRow(QStringLiteral("Размер матрицы:"), matrixRow);

    edChannelSize_ = new QSpinBox(this);
    edChannelSize_->setObjectName(QStringLiteral("edChannelSize"));
    edChannelSize_->setRange(4, kNumbers);
    form->addRow(QStringLiteral("Размер канала:"), edChannelSize_);

    edStakeCost_ = realEdit(this, 2, 0, 1e9);
    edStakeCost_->setObjectName(QStringLiteral("edStakeCost"));
    form->addRow(QStringLiteral("Стоимость ставки:"), edStakeCost_);

    // Kept and carried through, not used by this game: hidden together with its label.
    edMaxStake_ = new QSpinBox(this);
    edMaxStake_->setObjectName(QStringLiteral("edMaxStake"));
    edMaxStake_->setRange(5, 8);
    edMaxStake_->setValue(config.maxStake);
    lbMaxStake_ = new QLabel(QStringLiteral("Расширенная ставка:"), this);
    form->addRow(lbMaxStake_, edMaxStake_);
    lbMaxStake_->hide();
    edMaxStake_->hide();
    left->addLayout(form);

    left->addWidget(new QLabel(QStringLiteral("Размеры выигрышей:"), this));
    sgProfits_ = new QTableWidget(kPrizeRows, 2, this);
    sgProfits_->setObjectName(QStringLiteral("sgProfits"));
    sgProfits_->setHorizontalHeaderLabels({QStringLiteral("Совпадений"), QStringLiteral("Сумма выигрыша")});
    sgProfits_->verticalHeader()->hide();
    sgProfits_->horizontalHeader()->setStretchLastSection(true);
    const QString sep = QRegularExpression::escape(QString(QChar::fromLatin1(systemDecimalSeparator())));
    sgProfits_->setItemDelegateForColumn(1, new FilteredDelegate(QStringLiteral("[0-9") + sep + QStringLiteral("]*"), sgProfits_));
    for (int i = 0; i < kPrizeRows; ++i) {
        // Row i is the prize for i matches: the first row of the table with that number of
        // matches, as the stake result finds it (a table kept in another order must not move
        // its prizes to other match counts when the dialog is confirmed).
        int64_t prize = 0;
        for (const TPrizeRow& row : config.profits)
            if (row.overlap == i) {
                prize = row.prize;
                break;
            }
        const auto k = static_cast<size_t>(i);
        shownPrize_[k] = prize;
        shownPrizeText_[k] = ui::qs(fmt("%.2f", static_cast<long double>(prize) / 10000.0L));
        sgProfits_->setItem(i, 0, readOnlyItem(QString::number(i)));
        sgProfits_->setItem(i, 1, new QTableWidgetItem(shownPrizeText_[k]));
    }
    sgProfits_->setFixedHeight(sgProfits_->horizontalHeader()->sizeHint().height() +
                               kPrizeRows * sgProfits_->verticalHeader()->defaultSectionSize() + 4);
    left->addWidget(sgProfits_);

    auto* weights = new QGroupBox(QStringLiteral("Коэффициенты для поля \"Вес\""), this);
    auto* wForm = new QFormLayout(weights);
    edCount_ = realEdit(weights, 3, -1e6, 1e6);
    edDeviation_ = realEdit(weights, 3, -1e6, 1e6);
    edLevel_ = realEdit(weights, 3, -1e6, 1e6);
    edCount_->setObjectName(QStringLiteral("edCount"));
    edDeviation_->setObjectName(QStringLiteral("edDeviation"));
    edLevel_->setObjectName(QStringLiteral("edLevel"));
    wForm->addRow(QStringLiteral("Количество:"), edCount_);
    wForm->addRow(QStringLiteral("Отклонение:"), edDeviation_);
    wForm->addRow(QStringLiteral("Глубина:"), edLevel_);
    cbUsePercents_ = new QCheckBox(QStringLiteral("Использовать значения в %"), weights);
    cbUseAbsValues_ = new QCheckBox(QStringLiteral("Использовать абсолютные значения"), weights);
    wForm->addRow(cbUsePercents_);
    wForm->addRow(cbUseAbsValues_);
    left->addWidget(weights);

    // The systems catalogue: an empty address means no catalogue (the systems on disk are listed);
    // the e-mail tells the user's own systems from others'.
    auto* catalogue = new QGroupBox(QStringLiteral("Каталог систем"), this);
    auto* cForm = new QFormLayout(catalogue);
    edSystemsUrl_ = new QLineEdit(ui::qs(systems.url), catalogue);
    edSystemsUrl_->setObjectName(QStringLiteral("edSystemsUrl"));
    edSystemsUrl_->setPlaceholderText(QStringLiteral("http://..."));
    edSystemsUrl_->setToolTip(QStringLiteral("Адрес каталога систем (пусто: только системы на компьютере)"));
    edSystemsMail_ = new QLineEdit(ui::qs(systems.mail), catalogue);
    edSystemsMail_->setObjectName(QStringLiteral("edSystemsMail"));
    edSystemsMail_->setToolTip(QStringLiteral("Ваш адрес электронной почты: по нему отличаются Ваши системы"));
    cForm->addRow(QStringLiteral("Адрес каталога:"), edSystemsUrl_);
    cForm->addRow(QStringLiteral("Ваш e-mail:"), edSystemsMail_);
    left->addWidget(catalogue);
    left->addStretch();

    // Right column: the segment grid laid out like the matrix.
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Сегменты матрицы:"), this));
    sgSegments_ = new QTableWidget(this);
    sgSegments_->setObjectName(QStringLiteral("sgSegments"));
    sgSegments_->setItemDelegate(new FilteredDelegate(QStringLiteral("[0-9]*"), sgSegments_));
    sgSegments_->horizontalHeader()->setDefaultSectionSize(28);
    sgSegments_->verticalHeader()->setDefaultSectionSize(24);
    sgSegments_->setMinimumWidth(320);
    connect(sgSegments_, &QTableWidget::itemChanged, this, &TSettingsDialog::segmentEdited);
    right->addWidget(sgSegments_);

    top->addLayout(left);
    top->addLayout(right, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    // Values.
    gridWidth_ = std::clamp(config.matrixCols, 1, kNumbers);
    edMatrixCols_->setValue(gridWidth_);
    edMatrixRows_->setValue(matrixRows(gridWidth_));
    edChannelSize_->setValue(config.channelSize);
    edStakeCost_->setValue(static_cast<double>(config.stakeCost) / 10000.0);
    edCount_->setValue(static_cast<double>(config.weights.count));
    edDeviation_->setValue(static_cast<double>(config.weights.deviation));
    edLevel_->setValue(static_cast<double>(config.weights.level));
    shownCost_ = edStakeCost_->value();
    shownCount_ = edCount_->value();
    shownDeviation_ = edDeviation_->value();
    shownLevel_ = edLevel_->value();
    cbUsePercents_->setChecked(config.weights.usePercents);
    cbUseAbsValues_->setChecked(config.weights.useAbsValues);
    fillSegmentGrid(config.segments);
    connect(edMatrixCols_, &QSpinBox::valueChanged, this, &TSettingsDialog::matrixColsChanged);
    resize(760, 520);
    // Opens where and at the size it was last closed.
    ui::keepPlacement(*this, "TSettingsDialog");
}

TSystemsSettings TSettingsDialog::systems() const {
    return {ui::us(edSystemsUrl_->text().trimmed()), ui::us(edSystemsMail_->text().trimmed())};
}

void TSettingsDialog::fillSegmentGrid(const std::array<uint8_t, 69>& segments) {
    fillingGrid_ = true;
    const int width = gridWidth_;
    const int rows = matrixRows(width);
    sgSegments_->clear();
    sgSegments_->setColumnCount(width);
    sgSegments_->setRowCount(rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x) {
            const int n = y * width + x + 1;
            QTableWidgetItem* item;
            if (n <= kNumbers) {
                item = new QTableWidgetItem(QString::number(segments[static_cast<size_t>(n - 1)]));
                item->setToolTip(QString::number(n));
            } else {
                item = new QTableWidgetItem;
                item->setFlags(Qt::NoItemFlags);
                item->setBackground(palette().window());
            }
            item->setTextAlignment(Qt::AlignCenter);
            sgSegments_->setItem(y, x, item);
        }
    fillingGrid_ = false;
}

std::array<uint8_t, 69> TSettingsDialog::segmentsFromGrid() const {
    std::array<uint8_t, 69> map{};
    for (int n = 1; n <= kNumbers; ++n) {
        const auto* item = sgSegments_->item((n - 1) / gridWidth_, (n - 1) % gridWidth_);
        const auto v = item ? tryReadInt(ui::us(item->text())) : std::nullopt;
        map[static_cast<size_t>(n - 1)] = v && *v >= 0 && *v <= 255 && *v != 0 ? static_cast<uint8_t>(*v) : 1;
    }
    return map;
}

void TSettingsDialog::matrixColsChanged(int width) {
    // Read the map in the old layout, then lay the same digits out in the new one.
    const auto map = segmentsFromGrid();
    gridWidth_ = std::clamp(width, 1, kNumbers);
    edMatrixRows_->setValue(matrixRows(gridWidth_));
    fillSegmentGrid(map);
}

void TSettingsDialog::segmentEdited(QTableWidgetItem* item) {
    if (fillingGrid_ || !item) return;
    const QString text = item->text();
    if (text.isEmpty()) return;
    const auto v = tryReadInt(ui::us(text));
    if (v && *v >= 1 && *v <= 9) return;
    interaction_.warning(fmt(kBadSegmentValue, ui::us(text)));
    fillingGrid_ = true;
    item->setText(QStringLiteral("1"));
    fillingGrid_ = false;
}

TConfigData TSettingsDialog::config() const {
    TConfigData c = original_;
    c.matrixCols = edMatrixCols_->value();
    c.channelSize = edChannelSize_->value();
    // The fields show two (cost) and three (weights) decimals of values stored with more: an
    // untouched field must not round the stored value.
    if (edStakeCost_->value() != shownCost_) c.stakeCost = std::llround(edStakeCost_->value() * 10000.0);
    // The extended-stake size is not edited for this game: the stored value is kept as it was.
    c.maxStake = original_.maxStake;
    c.profits.clear();
    for (int i = 0; i < kPrizeRows; ++i) {
        TPrizeRow row;
        const auto key = tryReadInt(ui::us(sgProfits_->item(i, 0)->text()));
        row.overlap = static_cast<uint8_t>(key && *key >= 0 && *key <= 255 ? *key : 0);
        const QString text = sgProfits_->item(i, 1)->text().trimmed();
        const auto value = IniFile::parseReal(ui::us(text));
        row.prize = value ? static_cast<int64_t>(std::llround(static_cast<double>(*value) * 10000.0)) : 0;
        if (text == shownPrizeText_[static_cast<size_t>(i)]) row.prize = shownPrize_[static_cast<size_t>(i)];
        c.profits.push_back(row);
    }
    if (edCount_->value() != shownCount_) c.weights.count = edCount_->value();
    if (edDeviation_->value() != shownDeviation_) c.weights.deviation = edDeviation_->value();
    if (edLevel_->value() != shownLevel_) c.weights.level = edLevel_->value();
    c.weights.usePercents = cbUsePercents_->isChecked();
    c.weights.useAbsValues = cbUseAbsValues_->isChecked();
    c.segments = segmentsFromGrid();
    return c;
}

}  // namespace tavlora::app
