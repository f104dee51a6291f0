// tavlora-cli methods / stats / graph: the statistics methods of the registry, the value table of
// a statistics run and the graph numbers of draws.
#include <iostream>
#include <memory>

#include "cli/cli.h"
#include "cli/cli_session.h"
#include "core/error.h"
#include "core/format.h"
#include "core/text_forms.h"
#include "stats/stat_list.h"
#include "stats/stat_run.h"
#include "workspace/chart_data.h"

namespace tavlora::cli {

namespace {

const char* kMethodsUsage =
    "Использование: tavlora-cli [--data DIR] methods\n"
    "  все методы расчета статистики в порядке реестра: код и название";
const char* kStatsUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--sorted] stats CODE [--window N]\n"
    "  таблица значений метода CODE за N тиражей (по умолчанию 1000), заканчивающихся тиражом\n"
    "  с учетом смещения";
const char* kGraphUsage =
    "Использование: tavlora-cli [--data DIR] [--offset K] [--sorted] graph CODE [--window N]\n"
    "  значение графического метода CODE для каждого из N тиражей (по умолчанию 100), затем\n"
    "  среднее значение и наиболее часто встречающееся значение";

// The method with this code (letter case ignored); fails with a clear message when unknown.
int methodIndex(const TStatList& list, const std::string& code) {
    const int i = list.methodWithCode(code);
    if (i < 0) throw EError(fmt("Неизвестный метод расчета статистики: \"%s\"!", code));
    return i;
}

struct MethodArgs {
    std::string code;
    int window;
};

MethodArgs readMethodArgs(Context& ctx, int defaultWindow) {
    ArgReader args(ctx.args);
    MethodArgs out;
    out.window = args.intOption("--window", defaultWindow);
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"ожидается один код метода"};
    if (out.window < 1) throw UsageError{"параметру --window нужно число от 1 до 2147483647"};
    out.code = rest[0];
    return out;
}

int runMethods(Context& ctx) {
    ArgReader args(ctx.args);
    args.expectNoOptions();
    if (!args.rest().empty()) throw UsageError{"methods не принимает аргументов"};
    const auto session = openSession(ctx, FolderUse::Read);
    const TStatList& list = session->statList();
    printRow(ctx.out, {"Код", "Метод"});
    for (int i = 0; i < list.count(); ++i) printRow(ctx.out, {list.item(i).code(), list.listCaption(i, true)});
    return 0;
}

int runStats(Context& ctx) {
    const MethodArgs a = readMethodArgs(ctx, 1000);
    const auto session = openSession(ctx, FolderUse::Read);
    const int index = methodIndex(session->statList(), a.code);
    printRow(ctx.out, {"Значение", "Количество", "Посл. тираж", "Глубина", "Период min", "Период max"});
    const int last = session->analysisEndIndex();
    if (session->draws().empty() || last < 0) return 0;
    std::unique_ptr<TCustomStat> method = session->statList().createInstance(index);
    const TStatDrawArray values = statisticsRun(*method, last, a.window, session->sortedDraws());
    for (const TStatDraw& v : values)
        printRow(ctx.out, {method->valueToText(v), numberText(v.count), numberText(v.lastDraw), numberText(v.depth),
                           numberText(v.minPeriod), numberText(v.maxPeriod)});
    return 0;
}

int runGraph(Context& ctx) {
    const MethodArgs a = readMethodArgs(ctx, 100);
    const auto session = openSession(ctx, FolderUse::Read);
    const TStatList& list = session->statList();
    const int index = methodIndex(list, a.code);
    const TDrawsGraph graph = session->drawsGraph(index, a.window);
    printRow(ctx.out, {"Тираж", list.item(index).displayCaption()});
    if (graph.empty()) return 0;
    for (size_t i = 0; i < graph.values.size(); ++i)
        printRow(ctx.out, {numberText(graph.drawNumbers[i]), numberText(graph.values[i])});
    // The two lines drawn with the graph: the mean and the most frequent value of the window.
    printRow(ctx.out, {kGraphMeanTitle, fmt("%.4f", graph.mean)});
    printRow(ctx.out, {kGraphModeTitle, numberText(graph.mode)});
    return 0;
}

const CommandRegistrar kMethods{{"methods", "методы расчета статистики", kMethodsUsage, runMethods}};
const CommandRegistrar kStats{{"stats", "таблица значений метода статистики", kStatsUsage, runStats}};
const CommandRegistrar kGraph{{"graph", "значения графического метода по тиражам", kGraphUsage, runGraph}};

}  // namespace

}  // namespace tavlora::cli
