#pragma once
// The program settings: analysis layout (matrix, channels, segments), money settings of stakes,
// weight coefficients of the statistics table, shredding formulas and the generator memory.
// Stored in the configuration file <base>.ini; the session holds one TSettings, which the method
// registry and every analysis read.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavlora {

// One row of the prize table: number of matches (0..5) and its prize in 1/10000 money units.
struct TPrizeRow {
    uint8_t overlap = 0;
    int64_t prize = 0;
    bool operator==(const TPrizeRow&) const = default;
};

// Coefficients and switches of the weight column of the statistics table.
struct TWeights {
    long double count = 0;       // count coefficient
    long double deviation = -1;  // deviation coefficient
    long double level = 1;       // depth coefficient
    bool usePercents = false;
    bool useAbsValues = false;
    bool operator==(const TWeights&) const = default;
};

// The part of the settings that the "Параметры системы" dialog edits as one unit.
struct TConfigData {
    int32_t matrixCols = 7;
    int32_t channelSize = 10;
    int64_t stakeCost = 0;  // 1/10000 money units
    int32_t maxStake = 5;
    std::vector<TPrizeRow> profits;
    TWeights weights;
    std::array<uint8_t, 69> segments = filledSegments();  // segment digit of numbers 1..69

    static constexpr std::array<uint8_t, 69> filledSegments() {
        std::array<uint8_t, 69> a{};
        for (auto& x : a) x = 1;
        return a;
    }
    bool operator==(const TConfigData&) const = default;
};

class TSettings {
public:
    // Limits applied to values read from the file (a hand-edited file may hold anything).
    static constexpr int32_t kMaxWidth = 69;        // matrix and channel widths are kept to 1..69
    static constexpr int32_t kMaxPrizeRows = 1000;  // "Profits" beyond this is taken as this
    static constexpr std::size_t kMaxParameters = 255;  // generator parameters, Windows-1251 bytes

    TConfigData config;
    TWeights savedWeights;  // copy kept while a scenario replaces the weights
    std::array<std::string, 3> formulas{"(n1+n2+n3)/(n4+n5)", "(n4+n5)/(n1+n2+n3)", "(n1+n2)/(n3+n4+n5)"};
    std::array<int32_t, 3> formulaDigits{2, 2, 2};
    uint8_t generateMode = 0;
    std::string generateParameters;  // at most 255 characters

    // Sections GLOBAL (MatrixCols, MatrixSegments, ChannelSize), STAKES and CDL. Missing or
    // unreadable keys take their defaults (a missing or unreadable file gives all defaults).
    // Saving rewrites only these keys and keeps everything else of the file; on failure it
    // throws EError "Ошибка записи в файл конфигурации!\r\r<system message>" and the old file stays.
    // The same holds for the generator memory and shredding pairs below.
    void loadSettings(const std::filesystem::path& iniPath);
    void saveSettings(const std::filesystem::path& iniPath) const;
    // GLOBAL CombsGenerateMode / CombsGenerateParameters.
    void loadGeneratorMemory(const std::filesystem::path& iniPath);
    // Holds new generator memory ("save these parameters as the default for generation"): the
    // mode, and the parameter cut to the kMaxParameters Windows-1251 bytes the key holds. Written
    // to the file by saveGeneratorMemory.
    void setGeneratorMemory(uint8_t mode, std::string_view parameters);
    void saveGeneratorMemory(const std::filesystem::path& iniPath) const;
    // The six SHREDDING keys.
    void loadShredding(const std::filesystem::path& iniPath);
    void saveShredding(const std::filesystem::path& iniPath) const;

    void clearPrizeTable() { config.profits.clear(); }
    void saveWeights() { savedWeights = config.weights; }
    void restoreWeights() { config.weights = savedWeights; }
    // A scenario's own block when it has one, else the saved block.
    void useWeightsOf(const TWeights* scenarioWeights) {
        config.weights = scenarioWeights ? *scenarioWeights : savedWeights;
    }

    // Segment map from the "MatrixSegments" text: character i is the digit of number i+1;
    // a missing character, a non-digit or 0 gives 1. And back: the 69 digits concatenated.
    static std::array<uint8_t, 69> parseSegments(std::string_view text);
    static std::string segmentsText(const std::array<uint8_t, 69>& segments);

    // --- helpers of the "Параметры системы" dialog ---
    // The prize editor shows six rows, matches 0..5. Row k shows the prize of the first prize
    // row with k matches (0 when there is none), so that confirming the dialog never moves a
    // prize to another number of matches, whatever order the file held its rows in.
    static std::array<int64_t, 6> prizeEditorValues(const std::vector<TPrizeRow>& profits);
    // Rebuilds the prize table from the editor rows (key text, value text), in row order:
    // matches = the key read as an integer (0 when not a number; 255, never matching, when it
    // does not fit a byte), prize = the value read as a real with "." or "," times 10000,
    // rounded (0 when not a number).
    static std::vector<TPrizeRow> prizeTableFromEditor(const std::vector<std::pair<std::string, std::string>>& rows);
    // A segment grid cell: valid when empty or a whole number 1..9; its segment is that
    // number, 1 for an empty or unreadable cell.
    static bool validSegmentCell(std::string_view text);
    static uint8_t segmentOfCell(std::string_view text);

    // Result of a stake of n numbers with m matches, in 1/10000 money units.
    int64_t stakeResult(int n, int m) const;

    // Weight of a statistics-table row: count c, norm r, depth d, whether the method has a norm,
    // total T of all counts and largest depth D of the table.
    long double rowWeight(int32_t c, int32_t r, int32_t d, bool hasNorm, int64_t total, int32_t maxDepth) const;
    static long double rowWeight(const TWeights& w, int32_t c, int32_t r, int32_t d, bool hasNorm, int64_t total,
                                 int32_t maxDepth);
};

}  // namespace tavlora
