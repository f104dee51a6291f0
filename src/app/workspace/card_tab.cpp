#include "app/workspace/card_tab.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/workspace/grid_filter.h"
#include "session/session.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/xlsx_export.h"

namespace tavlora::app {

namespace {
constexpr const char* kCardExportCaption = "Экспорт карты тиражей в Microsoft Excel";
}

// --- model -----------------------------------------------------------------------------------------

void CardModel::setCard(TCardGrid card) {
    beginResetModel();
    card_ = std::move(card);
    endResetModel();
}

void CardModel::setColours(bool colorCard, bool sequences, int groupWidth) {
    colorCard_ = colorCard;
    sequences_ = sequences;
    groupWidth_ = groupWidth;
    if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, kCardColumns - 1), {Qt::BackgroundRole});
}

int CardModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(card_.rows.size());
}

int CardModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kCardColumns; }

QVariant CardModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole: {
            const int32_t v = card_.cell(index.row(), index.column());
            return v ? QVariant(v) : QVariant();
        }
        case Qt::BackgroundRole: {
            const auto c = cardCellColor(card_, index.row(), index.column(), colorCard_, sequences_, groupWidth_);
            return c ? QVariant(rgbColor(*c)) : QVariant();
        }
        case Qt::TextAlignmentRole:
            return QVariant(Qt::AlignHCenter | Qt::AlignTop);
        default:
            return {};
    }
}

QVariant CardModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    if (section == 0) return QStringLiteral("Тираж");
    if (section == kCardExtraColumn) return QStringLiteral("E");
    return QString::number(section);
}

// --- tab -------------------------------------------------------------------------------------------

CardTab::CardTab(TabHost& host, QWidget* parent)
    : Tab(host, "tsCard", QStringLiteral("Карта"),
          tabToggle("TabCard", "Карта", "TabCard", &TFormMainSettings::tabCard), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* row = new QHBoxLayout;
    auto* refresh = new QToolButton(this);
    refresh->setObjectName(QStringLiteral("btnCardRefresh"));
    row->addWidget(refresh);
    row->addStretch(1);
    layout->addLayout(row);
    model_ = new CardModel(this);
    sgCard_ = new QTableView(this);
    sgCard_->setObjectName(QStringLiteral("sgCard"));
    sgCard_->setModel(model_);
    sgCard_->verticalHeader()->hide();
    sgCard_->verticalHeader()->setDefaultSectionSize(18);
    sgCard_->horizontalHeader()->setDefaultSectionSize(24);
    sgCard_->horizontalHeader()->setMinimumSectionSize(16);
    sgCard_->setColumnWidth(0, 60);  // as wide as the draws list's first column
    sgCard_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgCard_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(sgCard_, 1);
    QMetaObject::invokeMethod(
        this,
        [this, refresh] {
            if (QAction* a = host_.action(QStringLiteral("CardRefresh"))) refresh->setDefaultAction(a);
        },
        Qt::QueuedConnection);
}

void CardTab::recompute(bool force) {
    Session* session = host_.session();
    if (!session) return;
    if (!force && model_->rowCount() == session->archive().count()) return;
    ui::BusyScope busy(host_.busyState());
    StatusScope status(host_.progress(), kCardStatusText);
    applyColours();
    model_->setCard(session->cardGrid());
    sgCard_->setColumnWidth(0, 60);
}

void CardTab::applyColours() {
    const Session* session = host_.session();
    const TFormMainSettings& form = host_.formSettings();
    model_->setColours(form.colorCard, form.colorCardSequences, session ? session->settings().config.channelSize : 10);
}

void CardTab::settingsChanged() { applyColours(); }

void CardTab::restoreSettings(const TFormMainSettings& s) {
    if (QAction* a = host_.action(QStringLiteral("ColorCard"))) a->setChecked(s.colorCard);
    if (QAction* a = host_.action(QStringLiteral("ColorCardSequences"))) a->setChecked(s.colorCardSequences);
    applyColours();
}

std::vector<int32_t> CardTab::selectedNumbers() const {
    std::vector<int32_t> numbers;
    for (const QModelIndex& cell : selectedCellsByColumn(*sgCard_)) {
        if (cell.column() < 1 || cell.column() > 69) continue;
        if (const int32_t n = model_->card().cell(cell.row(), cell.column())) numbers.push_back(n);
    }
    return numbers;
}

bool CardTab::selectionInNumbers() const {
    const QModelIndexList cells = sgCard_->selectionModel()->selectedIndexes();
    if (cells.isEmpty()) return false;
    return std::all_of(cells.begin(), cells.end(), [](const QModelIndex& c) { return c.column() >= 1 && c.column() <= 69; });
}

bool CardTab::filterSelected(bool remove) { return filterByGridNumbers(host_, selectedNumbers(), caption(), remove); }

void CardTab::toggle(bool TFormMainSettings::*flag, const char* key, const char* action) {
    TFormMainSettings& form = host_.formSettings();
    form.*flag = !(form.*flag);
    if (QAction* a = host_.action(QString::fromLatin1(action))) a->setChecked(form.*flag);
    host_.writeKey(key, form.*flag);
    applyColours();
}

void CardTab::buildCommands() {
    auto canFilter = [this] {
        return combListHasRows(host_) && host_.formSettings().tabCard && selectionInNumbers();
    };
    auto haveSession = [this] { return host_.session() != nullptr; };
    host_.addCommand({QStringLiteral("CardRefresh"), QStringLiteral("Обновить"),
                      QStringLiteral("Построить карту тиражей заново"), [this] { refreshView(true); }, haveSession});
    host_.addCommand({QStringLiteral("CardFilter_Include"), QStringLiteral("Оставить выделенные"),
                      QStringLiteral("Оставить комбинации, содержащие выделенные числа"),
                      [this] { filterSelected(false); }, canFilter});
    host_.addCommand({QStringLiteral("CardFilter_Exclude"), QStringLiteral("Удалить выделенные"),
                      QStringLiteral("Удалить комбинации, содержащие выделенные числа"),
                      [this] { filterSelected(true); }, canFilter});
    host_.addCommand({QStringLiteral("CardXlsExport"), QString::fromUtf8(kCardExportCaption),
                      QStringLiteral("Сохранить карту тиражей в книгу Excel"),
                      [this] {
                          ui::exportViewToExcel(*sgCard_, caption(), host_.interaction(), host_.progress(),
                                                host_.busyState());
                      },
                      [this] { return model_->rowCount() > 0; }});
    QAction* color = host_.addCommand({QStringLiteral("ColorCard"), QStringLiteral("Выделять каналы в карте тиражей"),
                                       QStringLiteral("Раскрашивать числа карты тиражей по каналам"),
                                       [this] { toggle(&TFormMainSettings::colorCard, "ColorCard", "ColorCard"); },
                                       {}, true});
    color->setChecked(host_.formSettings().colorCard);
    QAction* seq = host_.addCommand(
        {QStringLiteral("ColorCardSequences"), QStringLiteral("Выделять последовательности в карте тиражей"),
         QStringLiteral("Выделять повторы и последовательные числа в карте тиражей"),
         [this] { toggle(&TFormMainSettings::colorCardSequences, "ColorCardSequences", "ColorCardSequences"); }, {},
         true});
    seq->setChecked(host_.formSettings().colorCardSequences);
}

std::optional<TabMenu> CardTab::menu() const {
    return TabMenu{QStringLiteral("К&арта"),
                   sgCard_,
                   {"CardRefresh", "", "CardFilter_Include", "CardFilter_Exclude", "", "CardXlsExport", "",
                    "ColorCard", "ColorCardSequences"}};
}

}  // namespace tavlora::app
