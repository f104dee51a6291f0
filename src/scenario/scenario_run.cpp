#include "scenario/scenario_run.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>

#include "archive/draw_archive.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "scenario/method_value.h"
#include "scenario/row_selection.h"
#include "scenario/scenario.h"
#include "stakes/ratings.h"
#include "stakes/stake_record.h"
#include "stakes/stakes_store.h"
#include "stakes/systems.h"
#include "workspace/comb_list.h"
#include "workspace/stat_filter.h"
#include "workspace/stat_method.h"
#include "workspace/stat_table.h"

namespace tavlora {

namespace {

const std::string kDashLine(94, '-');
const std::string kEqualsLine(94, '=');
const char* kStartBanner =
    "### ЗАПУСК СЦЕНАРИЯ ##########################################################################";
const char* kEndBanner =
    "### ЗАВЕРШЕНИЕ СЦЕНАРИЯ ######################################################################";
const char* kStopBanner =
    "### ВЫПОЛНЕНИЕ СЦЕНАРИЯ ПРЕРВАНО #############################################################";
const char* kOffsetBanner =
    "=== Выполнение сценария для смещения %.6d ==================================================";
const char* kRowLog = "< [%s] кол-во: %s (%s %%), отклонение: %s (%s %%), глубина: %s (%s %%), вес: %s >";

int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::string rowLogText(const TStatTableRow& row) {
    const auto t = statRowLogTexts(row);
    return fmt(kRowLog, t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7]);
}

// An integer cell (0 when unreadable) and a decimal cell ("," or "."; 0 when unreadable).
int64_t intCell(const std::string& text) { return tryReadInt(trimText(text)).value_or(0); }
// Read without the C locale: under a locale whose decimal point is "," strtold would stop at ".".
long double decimalCell(const std::string& text) { return readStatDecimal(text).value_or(0); }

uint64_t packed(const TComb& c) {
    uint64_t v = 0;
    for (uint8_t n : c.n) v = (v << 8) | n;
    return v;
}

}  // namespace

std::string stakeNumbersText(const TComb& comb) {
    TComb sorted = comb;
    std::sort(sorted.n.begin(), sorted.n.end());
    return semicolonForm(sorted);
}

TScenarioRunner::TScenarioRunner(TScenarioEnv env, Progress& progress, Interaction& interaction)
    : env_(std::move(env)), progress_(progress), interaction_(interaction), log_(env_.logFolder),
      random_(std::random_device{}()) {}

TScenarioRunner::~TScenarioRunner() = default;

bool TScenarioRunner::canRun(const TScenario& scenario) const {
    return !running_ && !scenario.empty() && env_.archive->count() > 0;
}

int TScenarioRunner::maxTests() const { return std::max(0, env_.archive->count() - 1); }

void TScenarioRunner::requestStop() {
    if (!running_ || stop_) return;
    log(kStopBanner);
    stop_ = true;
}

bool TScenarioRunner::stopCheck() {
    progress_.pump();
    if (progress_.stopRequested()) stop_ = true;
    return stop_;
}

void TScenarioRunner::log(const std::string& line) {
    if (logging_) log_.write(line, interaction_);
}

void TScenarioRunner::showPanels(bool throttled) {
    if (!onPanels) return;
    const int64_t now = nowMs();
    if (throttled && now - lastPanelsMs_ < 101) return;
    lastPanelsMs_ = now;
    onPanels(panels_);
}

void TScenarioRunner::begin() {
    progress_.setText(kScriptRunningStatus);
    logging_ = logEnabled_;
    if (logging_) {
        log_.open();
        log(kStartBanner);
    }
    running_ = true;
    stop_ = false;
    failed_ = false;
    panels_ = TScenarioPanels{};
    filterSteps_ = 0;
    combinationsTested_ = 0;
    norms_.clear();
    env_.combs->releaseKept();
}

void TScenarioRunner::finish(TScenarioRunResult& result) {
    result.stopped = stop_;
    result.failed = failed_;
    result.stakesMade = panels_.stakes;
    result.filterSteps = filterSteps_;
    result.combinationsTested = combinationsTested_;
    if (!stop_) progress_.setText(kScriptDoneStatus);
    panels_.cycle = 0;
    running_ = false;
    stop_ = false;
    log(kEndBanner);
    if (logging_) result.logFile = log_.close();
    logging_ = false;
    norms_.clear();
    tables_.clear();
    env_.combs->releaseKept();
}

void TScenarioRunner::banner(int offset) {
    log(kEqualsLine);
    log(fmt(kOffsetBanner, offset));
    log(kEqualsLine);
}

TScenarioRunResult TScenarioRunner::forecast(const TScenario& scenario) {
    TScenarioRunResult result;
    if (!canRun(scenario)) return result;
    const auto started = std::chrono::steady_clock::now();
    begin();
    try {
        panels_.cycle = 1;
        banner(env_.archive->drawsOffset());
        runPass(scenario);
        result.cycles = 1;
    } catch (const std::exception& e) {
        fail(e.what());
    }
    finish(result);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

TScenarioRunResult TScenarioRunner::test(const TScenario& scenario, int n) {
    TScenarioRunResult result;
    n = std::min(n, maxTests());
    if (n < 1 || !canRun(scenario)) return result;
    const auto started = std::chrono::steady_clock::now();
    begin();
    const int before = env_.archive->drawsOffset();
    try {
        for (int i = 1; i <= n; ++i) {
            panels_.cycle = i;
            progress_.setText(kScriptRunningStatus);
            const int offset = n - i + 1;
            env_.archive->setDrawsOffset(offset);
            banner(offset);
            runPass(scenario);
            result.cycles = i;
            if (stopCheck()) break;
        }
    } catch (const std::exception& e) {
        fail(e.what());
    }
    if (!stop_) env_.archive->setDrawsOffset(before);
    finish(result);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return result;
}

void TScenarioRunner::checkStakes() {
    if (!env_.stakes->isOpen()) return;
    env_.stakes->checkAll(*env_.archive, *env_.settings, *env_.ratings, progress_, interaction_);
    if (onStakesChanged) onStakesChanged();
}

void TScenarioRunner::runPass(const TScenario& scenario) {
    TStakesStore& stakes = *env_.stakes;
    // Each pass starts a new group in the stakes list.
    try {
        if (stakes.isOpen() && stakes.hasRecords() && stakes.readRecord(TStakesStore::Origin::End, -1).isReal())
            stakes.writeRecord(TStakeRecord::separator(), TStakesStore::Origin::End, 0);
    } catch (const std::exception& e) {
        interaction_.error(e.what());
    }
    env_.combs->dropBuffer();
    excludedKey_ = {-1, -1};
    TSettings& settings = *env_.settings;
    settings.saveWeights();
    // The weights and the buffer are set back on every way out.
    struct Restore {
        TSettings& settings;
        TCombList& combs;
        ~Restore() {
            settings.restoreWeights();
            combs.dropBuffer();
        }
    } restore{settings, *env_.combs};

    for (int i = 0; i < scenario.count(); ++i) {
        if (stopCheck()) break;
        if (!scenario.isCommand(i)) continue;
        if (onLine) onLine(i);
        log(kDashLine);
        log(fmt("Выполнение строки %.3d: \"%s\"", i + 1, scenario.line(i)));
        log(kDashLine);
        runLine(scenario, i);
    }
    if (!checkEachLine_) checkStakes();
}

void TScenarioRunner::runLine(const TScenario& scenario, int index) {
    const int lineNo = index + 1;
    panels_.line = lineNo;
    // A line starts and ends without an undo level: its roll backs use the undo points it takes
    // itself, and after the line the list is not to be undone into a state from inside it.
    env_.combs->discardUndo();
    tables_.clear();
    try {
        const ScenarioLine line = scenario.parsedLine(index, env_.registry);
        log(kVariantsStatus);
        // Status panel 4 (the filter panel), not the progress text of the run.
        panels_.filter = kVariantsStatus;
        showPanels(false);
        // A filter whose method code named no method cannot be applied: stop before any work,
        // saying so (its draws text is unknown, so expanding it would only report a bad filter).
        for (const TFilterItem& f : line.filters)
            if (f.used && !f.method) throw EError(fmt(kScriptUnknownMethod, f.text()));
        const TFilterVariants variants(line);
        log(fmt(kVariantsCreatedLog, variants.count()));
        if (variants.count() > 0) {
            for (int64_t k = 0; k < variants.count(); ++k) {
                if (stopCheck()) break;
                runVariant(line, lineNo, k, variants.count(), variants.variant(k));
            }
        } else {
            log("{ERROR} Фильтры не применялись!");
            log("");
            const std::string stakeText = line.options.stakeText();
            panels_.filter = stakeText;
            showPanels(false);
            // Unlike a variant, a line without filters logs only the length of its start list.
            if (buildStartList(line.options)) {
                log(fmt("Количество комбинаций в списке: %d", env_.combs->count()));
                makeStakes(line.options, lineNo, 0, stakeText, line.comment);
                if (checkEachLine_) checkStakes();
            }
        }
    } catch (const std::bad_alloc&) {
        fail(std::string(kTooManyVariantsError) + "\r\r" + "Недостаточно памяти.");
    } catch (const std::exception& e) {
        // Any error of the line (not only the program's own) stops the run cleanly.
        fail(e.what());
    }
    env_.combs->discardUndo();
}

void TScenarioRunner::fail(const std::string& message) {
    stop_ = true;
    failed_ = true;
    interaction_.error(message);
}

void TScenarioRunner::runVariant(const ScenarioLine& line, int lineNo, int64_t k, int64_t count,
                                 const TFilterRec& variant) {
    const std::string text = variantText(variant);
    log("");
    log(kDashLine);
    log(fmt("Применение набора фильтров %.3d: \"%s\"", k + 1, text));
    log(kDashLine);
    panels_.filter = fmt(kScriptFilterStatus, k + 1, count, text);
    showPanels(false);
    log("Создание начального списка комбинаций...");
    if (!buildStartList(line.options)) return;
    log(fmt("Количество комбинаций в списке: %d", env_.combs->count()));
    for (const TFilterPart& part : variant) {
        if (stopCheck()) return;
        if (part.used && env_.combs->count() > 1) applyPart(part);
    }
    makeStakes(line.options, lineNo, k + 1, line.options.stakeText() + " + " + text, line.comment);
    log(kDashLine);
    if (checkEachLine_) checkStakes();
}

bool TScenarioRunner::buildStartList(const ScenarioOptions& options) {
    TCombList& combs = *env_.combs;
    const TSettings& settings = *env_.settings;
    const int offset = env_.archive->drawsOffset();
    if (options.source == ssFull || options.source == ssExcl) {
        const bool excl = options.source == ssExcl && options.excludeCount > 0;
        // The generated list is kept for the whole run, so a start list costs one copy (FULL) or
        // one exclusion pass straight from the kept list (EXCL) instead of a new generation.
        const bool built = excl ? combs.generateKeptWithoutLastDraws(settings, env_.archive->draws(),
                                                                     env_.archive->analysisEndIndex(),
                                                                     options.excludeCount, progress_, interaction_)
                                : combs.generateKept(settings, progress_, interaction_);
        if (!built) {
            if (!stopCheck()) {
                // The error was shown by the generator; the run cannot go on without a list.
                stop_ = true;
                failed_ = true;
            }
            return false;
        }
        if (excl) {
            // The excluded list of one offset and count is built once per pass as a new step
            // (its row "Последние тиражи" is listed); built again for the same offset and count
            // it stands for the cached list, which replaces the list with no applied filters.
            const std::pair<int, int> key{offset, options.excludeCount};
            if (excludedKey_ == key) combs.clearAppliedFilters();
            excludedKey_ = key;
        }
    }
    if (stopCheck()) return false;
    if (options.clearStakes) {
        env_.stakes->clear(interaction_);
        if (onStakesChanged) onStakesChanged();
    }
    return !stopCheck();
}

const TPrefetchData* TScenarioRunner::normsFor(int methodIndex) {
    if (!env_.normsEnabled || !methodHasNorm(*env_.registry, methodIndex)) return nullptr;
    auto it = norms_.find(methodIndex);
    if (it == norms_.end()) {
        it = norms_
                 .emplace(methodIndex, openPrefetchFile(*env_.registry, methodIndex, env_.logFolder, progress_,
                                                        interaction_))
                 .first;
    }
    return it->second ? &*it->second : nullptr;
}

void TScenarioRunner::filterRows(const TFilterPart& part, int methodIndex, TCustomStat& method,
                                 const std::vector<TStatTableRow>& table, const std::vector<std::size_t>& rows) {
    TCombList& combs = *env_.combs;
    log(part.keepSelected ? "Оставляем выделенные значения..." : "Удаляем выделенные значения...");
    const TStatSelection selection = statSelection(table, rows);
    TStatFilterRequest request;
    request.name = statMethodListCaption(*env_.registry, methodIndex);
    request.selection = selection.values;
    request.valuesText = selection.text;
    request.remove = !part.keepSelected;
    request.referenceIndex = std::max(0, env_.archive->analysisEndIndex());
    request.sorted = env_.sortedDraws;
    if (!request.selection.empty() && !combs.empty()) {
        ++filterSteps_;
        combinationsTested_ += static_cast<int64_t>(combs.count());
    }
    statFilter(combs, method, request, progress_);
    log(fmt("Количество комбинаций в списке: %d", combs.count()));
}

const TStatTable& TScenarioRunner::sortedTable(int methodIndex, int sortColumn, const TStatTableInput& input) {
    // The draws, the analysis end and the norms are those of the line's offset and method; the
    // rest of the input tells two tables of one line apart.
    for (const TCachedTable& t : tables_)
        if (t.methodIndex == methodIndex && t.sortColumn == sortColumn && t.window == input.window &&
            t.weights == input.weights && t.sorted == input.sorted && t.endIndex == input.endIndex &&
            t.norms == input.norms)
            return *t.table;
    TStatTable table = computeStatTable(*env_.registry, methodIndex, input);
    TListSort sort;
    sort.column = sortColumn;
    sort.descending = true;
    sortStatRows(table.rows, sort);
    tables_.push_back({methodIndex, sortColumn, input.window, input.weights, input.sorted, input.endIndex, input.norms,
                       std::make_unique<TStatTable>(std::move(table))});
    return *tables_.back().table;
}

void TScenarioRunner::applyPart(const TFilterPart& part) {
    TStatList& registry = *env_.registry;
    const int index = part.methodIndex;
    if (!part.method || index < 0) throw EError(fmt(kScriptUnknownMethod, part.text()));
    if (!methodInStatList(registry, index))
        throw EError(fmt(kScriptMethodNotFound, statMethodCode(registry, index), methodDisplayName(registry, index)));
    // A column outside the table cannot be sorted by.
    if (part.sortColumn < 0 || part.sortColumn >= kStatColumnCount) throw EError(fmt(kBadFilterError, part.text()));
    // The sample length goes into the "number of draws" control, whose range is 1..2147483647:
    // a smaller value becomes 1, as the control would make it.
    const int32_t window = std::max<int32_t>(1, part.sampleLength);

    log(fmt("Анализ тиражей и расчет статистики \"%s\" для выборки в %d тиражей...",
            statMethodListCaption(registry, index), window));
    TSettings& settings = *env_.settings;
    settings.useWeightsOf(part.weightOverride ? &part.weights : nullptr);

    TStatTableInput input;
    input.draws = &env_.archive->draws();
    input.endIndex = env_.archive->analysisEndIndex();
    input.window = window;
    input.sorted = env_.sortedDraws;
    input.weights = settings.config.weights;
    input.norms = normsFor(index);
    input.showTotalLine = false;
    const TStatTable& table = sortedTable(index, part.sortColumn, input);
    if (logging_)
        for (const TStatTableRow& row : table.rows) log(rowLogText(row));

    TStatInstancePtr method = createStatInstance(registry, index);
    TCombList& combs = *env_.combs;
    const int64_t rowCount = static_cast<int64_t>(table.rows.size());
    std::vector<std::size_t> selected;
    int64_t step = 0;
    bool interrupted = false;
    for (int64_t r = 0; r < rowCount; ++r) {
        const std::size_t at = static_cast<std::size_t>(part.bottomUp ? rowCount - 1 - r : r);
        const TStatTableRow& row = table.rows[at];
        if (stopCheck()) {
            interrupted = true;
            break;
        }
        if (!part.multiSelect && part.stopMode == stCount &&
            static_cast<int64_t>(part.stopValue) >= static_cast<int64_t>(combs.count()))
            break;
        const TStatValues values = statValuesOfRow(row, methodLabelValue(*method, row.cells[0]));
        if (part.stopMode == stValue) {
            const int64_t c = intCell(values.count);
            if (part.bottomUp ? c >= part.stopValue : c <= part.stopValue) break;
        } else if (part.stopMode == stPercent) {
            const long double p = decimalCell(values.countPercent);
            if (part.bottomUp ? p >= part.stopValue : p <= part.stopValue) break;
        } else if (part.stopMode == stSteps) {
            if (step >= part.stopValue) break;
        }
        const bool passes = rowPassesSelection(part.selectionMode, values, part.selectionValue);
        if (part.multiSelect) {
            if (passes) {
                selected.push_back(at);
                log(fmt("Шаг %.3d. Выделение строки: ", step + 1) + rowLogText(row));
            }
            ++step;
            continue;
        }
        if (stopCheck()) {
            interrupted = true;
            break;
        }
        if (!passes) continue;
        log(fmt("Шаг %.3d. Выделение строки: ", step + 1) + rowLogText(row));
        filterRows(part, index, *method, table.rows, {at});
        if (combs.empty()) {
            log("{UNDO} Откат изменений...");
            combs.undo(progress_);
            if (part.stopMode == stEmpty) break;
        } else {
            ++step;
        }
    }
    if (part.multiSelect && !interrupted) {
        filterRows(part, index, *method, table.rows, selected);
        if (combs.empty()) {
            log("{UNDO} Откат изменений...");
            combs.undo(progress_);
        }
    }
}

void TScenarioRunner::makeStakes(const ScenarioOptions& options, int lineNo, int64_t variantNo,
                                 const std::string& stakeText, const std::string& comment) {
    TCombList& combs = *env_.combs;
    log(fmt("{*} Добавление ставки, режим: \"%s\"", resultCaption(options.resultMode)));
    const std::size_t n = combs.count();
    if (n == 0 || options.resultMode == srNone) return;
    const std::string label = fmt("%.2d.%.3d:", lineNo, variantNo);
    const std::string full = truncateToCp1251Bytes(
        comment.empty() ? label + " @ " + stakeText : label + " " + comment + " @ " + stakeText, TStakeRecord::kCommentMax);
    if (n > 1 && options.resultMode == srStop) {
        stop_ = true;
        log("{!} Сценарий остановлен!");
        interaction_.warning(fmt(kScriptStopWarning, static_cast<int64_t>(n), full));
        return;
    }
    if (n > 1 && options.resultMode == srSkip) {
        log("{-} Ставка игнорирована!");
        return;
    }
    if (stopCheck()) return;
    if (n == 1) {
        stakeOne(combs.at(0), options, full, false);
    } else if (options.resultMode == srRand) {
        std::uniform_int_distribution<std::size_t> pick(0, n - 1);
        stakeOne(combs.at(pick(random_)), options, full, false);
    } else if (options.resultMode == srFirst) {
        stakeOne(combs.at(0), options, full, false);
    } else if (options.resultMode == srLast) {
        stakeOne(combs.at(n - 1), options, full, false);
    } else if (options.resultMode == srAll) {
        for (std::size_t i = 0; i < n; ++i) {
            if (stopCheck()) break;
            stakeOne(combs.at(i), options, full, true);
        }
        showPanels(false);
    } else if (options.resultMode == srSysA || options.resultMode == srSysC) {
        playSystem(options, full);
        showPanels(false);
    }
    if (onStakesChanged) onStakesChanged();
}

void TScenarioRunner::stakeOne(const TComb& comb, const ScenarioOptions& options, const std::string& comment,
                               bool many) {
    TStakesStore& stakes = *env_.stakes;
    TStakeRecord record = newManualStake(*env_.archive, *env_.settings,
                                         static_cast<int32_t>(env_.combs->count()), comb);
    record.kind = static_cast<uint8_t>(TStakeKind::Scenario);
    record.comment = comment;
    const std::string numbers = stakeNumbersText(comb);
    if (options.newOnly) {
        bool present = false;
        try {
            present = stakes.exists(record.drawNumber, record.numbers);
        } catch (const EError& e) {
            interaction_.error(e.what());
            return;
        }
        if (present) {
            log(fmt("{-} Ставка на тираж %d не добавлена, так как уже имеется в списке ставок: [%s]", record.drawNumber,
                    numbers));
            return;
        }
    }
    if (!stakes.addStakes(record, 1, interaction_)) return;
    log(fmt("{+} Ставка на тираж %d добавлена в список ставок: [%s]", record.drawNumber, numbers));
    ++panels_.stakes;
    showPanels(many);
}

void TScenarioRunner::playSystem(const ScenarioOptions& options, const std::string& comment) {
    const TCombList& combs = *env_.combs;
    TByteArray numbers;
    std::array<bool, 256> seen{};
    for (const TComb& c : combs.combs()) {
        for (uint8_t x : c.n) {
            if (seen[x]) continue;
            seen[x] = true;
            numbers.push_back(x);
        }
        if (numbers.size() > 68) break;
    }
    const int k = static_cast<int>(numbers.size());
    const TSystemLookup system = findSystem(env_.systemsDir, numbers, nullptr);
    if (!system.ok) {
        log(fmt("{#} Системная игра для %d чисел [ОШИБКА]: \"%s\"", k, system.error));
        return;
    }
    const bool all = options.resultMode == srSysA;
    log(fmt(all ? "{#} Системная игра для %d чисел [вся система]: загружен файл \"%s\""
                : "{#} Системная игра для %d чисел [система * комбинации]: загружен файл \"%s\"",
            k, system.file.stem().string()));
    std::unordered_set<uint64_t> inList;
    if (!all)
        for (const TComb& c : combs.combs()) {
            TComb s = c;
            std::sort(s.n.begin(), s.n.end());
            inList.insert(packed(s));
        }
    for (TComb c : system.combinations) {
        if (stopCheck()) break;
        std::sort(c.n.begin(), c.n.end());
        if (!all && !inList.count(packed(c))) continue;
        stakeOne(c, options, comment, true);
    }
}

}  // namespace tavlora
