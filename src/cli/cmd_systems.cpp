// tavlora-cli systems: the wheeling systems of the data folder. Each sub-command is one function
// in the table below.
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "cli/cli.h"
#include "core/format.h"
#include "session/session.h"
#include "stakes/wheel_generator.h"

namespace tavlora::cli {

namespace {

const char* kSystemsUsage =
    "Использование: tavlora-cli [--data DIR] systems SUBCOMMAND\n"
    "  systems generate K --guarantee T [--seconds S] [--seed N] [--rounds R]\n"
    "        создать систему для K чисел (6..69), в которой любые T выпавших чисел из K (T 1..4)\n"
    "        есть в одной комбинации, и сохранить её в папке Systems как 5-KK-T_0000.dat;\n"
    "        S - предел времени поиска в секундах (по умолчанию 10), N - начальное число поиска\n"
    "        (по умолчанию 1: то же N даёт ту же систему), R - сколько раундов поиска без\n"
    "        уменьшения системы допускается (по умолчанию 12); если в папке Systems есть такая\n"
    "        система для K-1 чисел, поиск начинается и с её дополнения";

struct Subcommand {
    const char* name;
    int (*run)(Context&, ArgReader&);
};

template <typename T>
std::optional<T> readNumber(const std::string& text) {
    T v{};
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size()) return std::nullopt;
    return v;
}

std::string secondsLimitText(double seconds) {
    std::ostringstream out;
    out << seconds;
    return out.str();
}

int cmdGenerate(Context& ctx, ArgReader& args) {
    std::string guaranteeText, secondsText, seedText, roundsText;
    const bool hasGuarantee = args.option("--guarantee", guaranteeText);
    const bool hasSeconds = args.option("--seconds", secondsText);
    const bool hasSeed = args.option("--seed", seedText);
    const bool hasRounds = args.option("--rounds", roundsText);
    args.expectNoOptions();
    const auto rest = args.rest();
    if (rest.size() != 1) throw UsageError{"systems generate требует количество чисел K"};
    TWheelOptions options;
    const auto k = readNumber<int>(rest[0]);
    if (!k || *k < kWheelMinNumbers || *k > kWheelMaxNumbers)
        throw UsageError{fmt("K должно быть целым числом %d..%d", kWheelMinNumbers, kWheelMaxNumbers)};
    options.numbers = *k;
    if (!hasGuarantee) throw UsageError{"systems generate требует --guarantee T"};
    const auto t = readNumber<int>(guaranteeText);
    if (!t || *t < kWheelMinGuarantee || *t > kWheelMaxGuarantee)
        throw UsageError{fmt("параметру --guarantee нужно целое число %d..%d", kWheelMinGuarantee, kWheelMaxGuarantee)};
    options.guarantee = *t;
    if (hasSeconds) {
        const auto seconds = readNumber<double>(secondsText);
        if (!seconds || !(*seconds > 0) || *seconds > 86400) throw UsageError{"параметру --seconds нужно число секунд больше 0"};
        options.seconds = *seconds;
    }
    if (hasSeed) {
        const auto seed = readNumber<uint64_t>(seedText);
        if (!seed) throw UsageError{"параметру --seed нужно целое число 0..18446744073709551615"};
        options.seed = *seed;
    }
    if (hasRounds) {
        const auto rounds = readNumber<int>(roundsText);
        if (!rounds || *rounds < 1 || *rounds > 100000) throw UsageError{"параметру --rounds нужно целое число 1..100000"};
        options.patienceRounds = *rounds;
    }

    Session session(ctx.options.data, ctx.progress, ctx.interaction);
    options.base = readWheelBase(session.systemsDir(), options.numbers, options.guarantee);
    const TWheelResult wheel = generateWheel(options, ctx.progress);
    const TWheelSave save = saveWheel(session.systemsDir(), wheel);
    if (wheel.timedOut)
        ctx.err << fmt("Поиск остановлен по пределу времени (%s с): с тем же --seed результат может быть другим.",
                       secondsText.empty() ? secondsLimitText(options.seconds) : secondsText)
                << '\n';
    if (!save.written)
        ctx.err << fmt("Найдена система из %d комбинаций; в файле оставлена прежняя система из %d комбинаций.",
                       static_cast<int>(wheel.size()), static_cast<int>(save.existingSize))
                << '\n';
    const int64_t size = save.written ? wheel.size() : save.existingSize;
    printRow(ctx.out, {"Числа", "Гарантия", "Комбинаций", "Нижняя граница", "Жадный алгоритм", "Файл"});
    printRow(ctx.out, {std::to_string(wheel.numbers), std::to_string(wheel.guarantee), std::to_string(size),
                       std::to_string(wheel.lowerBound), std::to_string(wheel.greedySize), save.file.string()});
    return 0;
}

const Subcommand kSubcommands[] = {
    {"generate", cmdGenerate},
};

int runSystems(Context& ctx) {
    if (ctx.args.empty()) throw UsageError{"systems требует подкоманду"};
    const std::string sub = ctx.args[0];
    ArgReader args(std::vector<std::string>(ctx.args.begin() + 1, ctx.args.end()));
    for (const auto& s : kSubcommands)
        if (sub == s.name) return s.run(ctx, args);
    throw UsageError{"неизвестная подкоманда systems: " + sub};
}

const CommandRegistrar systemsRegistrar(Command{"systems", "системы: generate", kSystemsUsage, runSystems});

}  // namespace

}  // namespace tavlora::cli
