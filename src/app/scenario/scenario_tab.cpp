#include "app/scenario/scenario_tab.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSpinBox>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/archive/draws_tab.h"
#include "app/scenario/script_dialog.h"
#include "app/workspace/combs_tab.h"
#include "app/workspace/stats_tab.h"
#include "core/error.h"
#include "core/format.h"
#include "core/interaction.h"
#include "scenario/run_log.h"
#include "scenario/scenario.h"
#include "scenario/scenario_line.h"
#include "scenario/scenario_run.h"
#include "session/session.h"
#include "stakes/stakes_store.h"
#include "stats/stat_list.h"
#include "ui/busy_state.h"
#include "ui/file_dialogs.h"
#include "ui/gui_progress.h"
#include "ui/test_count_dialog.h"
#include "ui/text.h"

namespace tavlora::app {

using ui::qs;
using ui::us;

// The scenario's lines as the list shows them: each line read and written again (canonical).
class ScriptModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void reset(const TScenario* scenario, const TStatList* registry) {
        beginResetModel();
        scenario_ = scenario;
        registry_ = registry;
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !scenario_ ? 0 : scenario_->count();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(scenarioColumns().size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !scenario_ || !index.isValid() || index.row() >= scenario_->count()) return {};
        return qs(scenario_->parsedLine(index.row(), registry_).cells().at(static_cast<std::size_t>(index.column())));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return qs(scenarioColumns().at(static_cast<std::size_t>(section)));
    }

private:
    const TScenario* scenario_ = nullptr;
    const TStatList* registry_ = nullptr;
};

namespace {

enum TabPanel { kLines = 0, kCycle, kLine, kStakes, kFilter };

}  // namespace

ScenarioTab::ScenarioTab(TabHost& host, ScenarioTabLinks links, QWidget* parent)
    : Tab(host, "tsScript", QStringLiteral("Сценарий"), std::nullopt, parent), links_(std::move(links)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    lvScript_ = new QTableView(this);
    lvScript_->setObjectName(QStringLiteral("lvScript"));
    model_ = new ScriptModel(lvScript_);
    lvScript_->setModel(model_);
    lvScript_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvScript_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvScript_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvScript_->setContextMenuPolicy(Qt::ActionsContextMenu);
    lvScript_->verticalHeader()->hide();
    lvScript_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvScript_->verticalHeader()->setDefaultSectionSize(20);
    lvScript_->setColumnWidth(0, 220);
    lvScript_->setColumnWidth(1, 260);
    for (int c = 2; c < model_->columnCount(); ++c) lvScript_->setColumnWidth(c, 220);
    connect(lvScript_, &QTableView::doubleClicked, this, [this] {
        if (QAction* a = host_.action(QStringLiteral("ScriptEdit")); a && a->isEnabled()) a->trigger();
    });
    layout->addWidget(lvScript_, 1);

    auto* bar = new QHBoxLayout;
    for (int i = 0; i < static_cast<int>(panels_.size()); ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("pnlScript%1").arg(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(i == kFilter ? 200 : 90);
        bar->addWidget(label, i == kFilter ? 1 : 0);
        panels_[static_cast<std::size_t>(i)] = label;
    }
    layout->addLayout(bar);
    showPanels(TScenarioPanels{});
    panels_[kLines]->setText(qs(fmt(kScenarioLineCountStatus, 0)));
}

ScenarioTab::~ScenarioTab() = default;

TScenario* ScenarioTab::scenario() const {
    Session* s = host_.session();
    if (!s) return nullptr;
    try {
        return &s->scenario();
    } catch (const std::exception&) {
        return nullptr;  // the working copy could not be read: reloadLines() showed why
    }
}

void ScenarioTab::reloadLines() {
    Session* s = host_.session();
    if (!s) return;
    try {
        TScenario& sc = s->scenario();
        sc.setProgress(&host_.progress());
        // Lines of the working copy that did not read were left out: say which.
        const std::string skipped = sc.skippedLinesWarning();
        if (!skipped.empty()) host_.interaction().warning(skipped);
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
    }
    TScenario* sc = scenario();
    model_->reset(sc, &s->statList());
    linesChanged(-1);
}

void ScenarioTab::linesChanged(int select) {
    TScenario* sc = scenario();
    panels_[kLines]->setText(qs(fmt(kScenarioLineCountStatus, sc ? sc->count() : 0)));
    if (select < 0 || select >= model_->rowCount()) return;
    const QModelIndex index = model_->index(select, 0);
    lvScript_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lvScript_->scrollTo(index);
}

template <class Change>
void ScenarioTab::change(Change&& fn) {
    TScenario* sc = scenario();
    if (!sc) return;
    int select = -1;
    try {
        select = fn(*sc);
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
    }
    Session* s = host_.session();
    model_->reset(sc, s ? &s->statList() : nullptr);
    linesChanged(select);
}

int ScenarioTab::focusedRow() const {
    const QModelIndex current = lvScript_->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

std::vector<int> ScenarioTab::selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& i : lvScript_->selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool ScenarioTab::commandFocused() const {
    const TScenario* sc = scenario();
    return sc && sc->isCommand(focusedRow());
}

FilterEditorContext ScenarioTab::filterContext() const {
    FilterEditorContext c;
    Session* s = host_.session();
    if (!s) return c;
    c.registry = &s->statList();
    c.weights = s->settings().config.weights;
    if (QComboBox* box = links_.stats ? links_.stats->methodBox() : nullptr) {
        for (int i = 0; i < box->count(); ++i) c.methods.emplace_back(box->itemText(i), box->itemData(i).toInt());
        c.presetRow = std::max(0, box->currentIndex());
        c.drawsLen = links_.stats->lengthEdit()->value();
    }
    return c;
}

QString ScenarioTab::askLine(const QString& title, const QString& text, int excludePreset) {
    TFormScript editor(title, text, excludePreset, filterContext(), host_.interaction(), window());
    return editor.exec() == QDialog::Accepted ? editor.lineText() : QString();
}

// --- editing ----------------------------------------------------------------------------------------

void ScenarioTab::addLine() {
    const int preset = links_.combs ? links_.combs->excludeEdit()->value() : 0;
    const QString line = askLine(qs(kScenarioNewLineTitle), QString(), preset);
    if (line.isEmpty()) return;
    change([&](TScenario& sc) { return sc.append(us(line)); });
}

void ScenarioTab::addSeparator() {
    change([](TScenario& sc) { return sc.appendSeparator(); });
}

void ScenarioTab::cloneLine() {
    TScenario* sc = scenario();
    if (!sc || !commandFocused()) return;
    const QString line = askLine(qs(kScenarioNewLineTitle), qs(sc->line(focusedRow())), 0);
    if (line.isEmpty()) return;
    change([&](TScenario& s) { return s.append(us(line)); });
}

void ScenarioTab::editLine() {
    TScenario* sc = scenario();
    if (!sc || !commandFocused()) return;
    const int row = focusedRow();
    const QString line = askLine(qs(kScenarioEditLineTitle), qs(sc->line(row)), 0);
    if (line.isEmpty()) return;
    change([&](TScenario& s) {
        s.replace(row, us(line));
        return row;
    });
}

void ScenarioTab::deleteLines() {
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) return;
    if (!host_.interaction().question("Предупреждение", deleteConfirmationText(static_cast<int64_t>(rows.size())), false))
        return;
    change([&](TScenario& sc) {
        const StatusScope status(host_.progress(), kScenarioDeleteStatus);
        sc.remove(rows);
        return -1;
    });
}

void ScenarioTab::clearLines() {
    TScenario* sc = scenario();
    if (!sc || sc->empty()) return;
    if (!host_.interaction().question("Предупреждение", deleteConfirmationText(sc->count()), false)) return;
    change([](TScenario& s) {
        s.clear();
        return -1;
    });
}

void ScenarioTab::moveLine(bool up) {
    const int row = focusedRow();
    if (row < 0) return;
    change([&](TScenario& sc) { return up ? sc.moveUp(row) : sc.moveDown(row); });
}

bool ScenarioTab::openPath(const QString& path, bool append) {
    TScenario* sc = scenario();
    if (!sc || path.isEmpty()) return false;
    bool ok = true;
    change([&](TScenario& s) {
        try {
            if (append) return s.appendFile(std::filesystem::path(us(path)));
            s.open(std::filesystem::path(us(path)));
        } catch (...) {
            ok = false;
            throw;
        }
        return -1;
    });
    if (ok && !sc->skippedLinesWarning().empty()) host_.interaction().warning(sc->skippedLinesWarning());
    return ok;
}

void ScenarioTab::openFile() { openPath(ui::chooseOpenFile(window(), QStringLiteral("Открыть"), kScriptFileFilter), false); }

void ScenarioTab::appendFile() {
    openPath(ui::chooseOpenFile(window(), QStringLiteral("Добавить сценарий"), kScriptFileFilter), true);
}

void ScenarioTab::saveFile() {
    TScenario* sc = scenario();
    if (!sc || sc->empty()) return;
    const QString path = ui::chooseSaveFile(window(), QStringLiteral("Сохранить"), kScriptFileFilter, QStringLiteral("lsc"));
    if (path.isEmpty()) return;
    try {
        sc->saveAs(std::filesystem::path(us(path)));
    } catch (const std::exception& e) {
        host_.interaction().error(e.what());
    }
}

// --- running ------------------------------------------------------------------------------------------

void ScenarioTab::showPanels(const TScenarioPanels& p) {
    panels_[kCycle]->setText(qs(fmt(kScriptCycleStatus, p.cycle)));
    panels_[kLine]->setText(qs(fmt(kScriptLineStatus, p.line)));
    panels_[kStakes]->setText(qs(fmt("Ставок: %d", p.stakes)));
    panels_[kFilter]->setText(qs(p.filter));
    // A test moves the offset: the draws tab shows the one being tested.
    if (p.cycle != shownCycle_) {
        shownCycle_ = p.cycle;
        if (links_.draws) links_.draws->refresh(false);
    }
}

void ScenarioTab::setRunning(bool on) {
    for (QWidget* tab : links_.dataTabs) tab->setEnabled(!on);
    lvScript_->setEnabled(!on);
}

void ScenarioTab::run(bool test, std::optional<int> tests) {
    Session* s = host_.session();
    TScenario* sc = scenario();
    if (!s || !sc || running()) return;
    int n = 0;
    if (test) {
        const int maximum = s->archive().count() - 1;
        if (maximum < 1) {
            host_.interaction().information(kNoTestsPossible);
            return;
        }
        const std::optional<int> asked = tests ? std::optional<int>(std::clamp(*tests, 1, maximum))
                                               : ui::askTestCount(window(), maximum);
        if (!asked) return;
        n = *asked;
    }
    runner_ = s->scenarioRunner(host_.progress(), host_.interaction());
    if (!runner_) return;
    runner_->setLogEnabled(logEnabled_);
    runner_->setCheckEachLine(checkEachLine_);
    if (seed_) runner_->setSeed(*seed_);
    runner_->onLine = [this](int line) { linesChanged(line); };
    runner_->onPanels = [this](const TScenarioPanels& p) { showPanels(p); };
    runner_->onStakesChanged = [this] {
        if (Session* session = host_.session())
            host_.setPanel(kPanelStakes, qs(fmt("Ставок: %d", session->stakes().recordCount())));
    };
    setRunning(true);
    TScenarioRunResult result;
    {
        const ui::BusyScope busy(host_.busyState());
        try {
            result = test ? runner_->test(*sc, n) : runner_->forecast(*sc);
        } catch (const std::exception& e) {
            host_.interaction().error(e.what());
        }
        runner_.reset();
        setRunning(false);
        showPanels(TScenarioPanels{});
        // The run changed the combination list and the stakes, and a stopped test leaves the
        // offset it was testing.
        if (links_.draws) links_.draws->refresh(false);
        host_.setPanel(kPanelStakes, qs(fmt("Ставок: %d", s->stakes().recordCount())));
        host_.combListChanged();
    }
    host_.recalcViews(true);
    if (!result.logFile.empty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(result.logFile.string())));
}

bool ScenarioTab::stop() {
    if (!runner_) return false;
    if (runner_->stopRequested()) return true;
    if (!host_.interaction().question("Подтверждение", kScriptStopQuestion, false)) return false;
    if (runner_) runner_->requestStop();
    return true;
}

bool ScenarioTab::closeRequested() { return !running() || stop(); }

// --- commands -----------------------------------------------------------------------------------------

void ScenarioTab::buildCommands() {
    auto idle = [this] { return host_.session() != nullptr && !running(); };
    auto notEmpty = [this, idle] {
        const TScenario* sc = idle() ? scenario() : nullptr;
        return sc && !sc->empty();
    };
    auto command = [this, idle] { return idle() && commandFocused(); };
    auto canRun = [this, notEmpty] { return notEmpty() && !host_.session()->archive().empty(); };
    const QString runHint = QStringLiteral("Выполнить сценарий для текущего тиража и смещения");
    host_.addCommand({"ScriptAdd", "Добавить фильтры", "Добавить новую строку сценария", [this] { addLine(); }, idle});
    host_.addCommand({"ScriptEmpty", "Добавить разделитель", "Добавить пустую строку-разделитель",
                      [this] { addSeparator(); }, notEmpty});
    host_.addCommand({"ScriptClone", "Клонировать", "Создать новую строку по образцу выбранной",
                      [this] { cloneLine(); }, command});
    host_.addCommand({"ScriptEdit", "Изменить", "Изменить выбранную строку", [this] { editLine(); }, command});
    host_.addCommand({"ScriptDel", "Удалить", "Удалить выделенные строки", [this] { deleteLines(); },
                      [this, idle] { return idle() && !selectedRows().empty(); }});
    host_.addCommand({"ScriptClr", "Удалить все", "Удалить все строки сценария", [this] { clearLines(); }, notEmpty});
    host_.addCommand({"ScriptUp", "Переместить вверх", "Переместить строку вверх", [this] { moveLine(true); },
                      [this, idle] { return idle() && focusedRow() > 0; }});
    host_.addCommand({"ScriptDown", "Переместить вниз", "Переместить строку вниз", [this] { moveLine(false); },
                      [this, idle] {
                          const TScenario* sc = idle() ? scenario() : nullptr;
                          return sc && focusedRow() >= 0 && focusedRow() < sc->count() - 1;
                      }});
    host_.addCommand({"ScriptOpen", "Открыть", "Открыть файл сценария", [this] { openFile(); }, idle});
    host_.addCommand({"ScriptLoad", "Добавить сценарий", "Добавить строки файла сценария в конец",
                      [this] { appendFile(); }, idle});
    host_.addCommand({"ScriptSave", "Сохранить", "Сохранить сценарий в файл", [this] { saveFile(); }, notEmpty});
    host_.addCommand({"ScriptRun", "Прогноз", runHint, [this] { run(false); }, canRun});
    host_.addCommand({"ScriptTest", "Тест", "Тестирование сценария на основе результатов предыдуших тиражей",
                      [this] { run(true); }, canRun});
    CommandSpec stopSpec{"ScriptStop", "Стоп", "Остановить выполнение сценария", [this] { stop(); },
                         [this] { return running() && !runner_->stopRequested(); }};
    stopSpec.whileBusy = true;
    host_.addCommand(std::move(stopSpec));
    host_.addCommand({"LogToggle", "Журнал выполнения сценария", "Вести журнал выполнения сценария",
                      [this] {
                          logEnabled_ = !logEnabled_;
                          host_.formSettings().scriptLogEnabled = logEnabled_;
                          host_.writeKey("ScriptLogEnabled", logEnabled_);
                          host_.action(QStringLiteral("LogToggle"))->setChecked(logEnabled_);
                      },
                      idle, true});
    host_.addCommand({"LogsDelete", "Удалить журналы выполнения сценариев", "Удалить файлы журналов ScriptLog_*.txt",
                      [this] {
                          if (Session* s = host_.session())
                              deleteScenarioLogs(s->dataDir(), host_.progress(), host_.interaction());
                      },
                      idle});
    CommandSpec check{"StakesCheckLine", "Проверять ставки после каждой строки сценария",
                      "Проверять ставки после выполнения каждой строки сценария",
                      [this] {
                          checkEachLine_ = !checkEachLine_;
                          if (runner_) runner_->setCheckEachLine(checkEachLine_);
                          host_.formSettings().stakesCheckOnLine = checkEachLine_;
                          host_.writeKey("StakesCheckOnLine", checkEachLine_);
                          host_.action(QStringLiteral("StakesCheckLine"))->setChecked(checkEachLine_);
                      },
                      {}, true};
    check.whileBusy = true;
    host_.addCommand(std::move(check));
}

std::optional<TabMenu> ScenarioTab::menu() const {
    return TabMenu{QStringLiteral("Сценарий"), lvScript_,
                   {"ScriptAdd", "ScriptEmpty", "ScriptClone", "ScriptEdit", "", "ScriptDel", "ScriptClr", "",
                    "ScriptUp", "ScriptDown", "", "ScriptOpen", "ScriptLoad", "ScriptSave", "", "ScriptRun",
                    "ScriptTest", "ScriptStop", "", "LogToggle", "LogsDelete", "StakesCheckLine"}};
}

void ScenarioTab::restoreSettings(const TFormMainSettings& s) {
    logEnabled_ = s.scriptLogEnabled;
    checkEachLine_ = s.stakesCheckOnLine;
    host_.action(QStringLiteral("LogToggle"))->setChecked(logEnabled_);
    host_.action(QStringLiteral("StakesCheckLine"))->setChecked(checkEachLine_);
}

void ScenarioTab::enableControls(bool on) {
    if (!running()) lvScript_->setEnabled(on || host_.session() != nullptr);
}

}  // namespace tavlora::app
