#include "session/session.h"

#include <algorithm>
#include <system_error>

#include "core/error.h"
#include "scenario/scenario.h"
#include "scenario/scenario_file.h"
#include "stakes/ratings.h"
#include "stakes/regulars.h"
#include "stakes/stakes_store.h"
#include "stakes/systems.h"
#include "stats/stat_list.h"
#include "workspace/comb_list.h"
#include "workspace/stat_method.h"

namespace tavlora {

namespace {

// Keeps the messages of a silent start-up.
class CollectingInteraction : public Interaction {
public:
    explicit CollectingInteraction(std::vector<std::string>& out) : out_(out) {}
    void message(MessageKind, const std::string&, const std::string& text) override { out_.push_back(text); }
    bool question(const std::string&, const std::string& text, bool) override {
        out_.push_back(text);
        return false;
    }

private:
    std::vector<std::string>& out_;
};

std::filesystem::path createdFolder(std::filesystem::path dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir))
        throw EError("Не удалось открыть папку данных \"" + dir.string() + "\": " +
                     (ec ? ec.message() : std::string("это не папка")));
    return dir;
}

}  // namespace

void SessionStatListDeleter::operator()(TStatList* list) const { delete list; }

std::set<int> changedNormGroups(const TConfigData& before, const TConfigData& after) {
    std::set<int> groups;
    if (before.matrixCols != after.matrixCols) groups.insert(4);
    if (before.channelSize != after.channelSize) groups.insert(3);
    if (before.segments != after.segments) groups.insert(5);
    return groups;
}

Session::Session(std::filesystem::path dataDir, Progress& progress, Interaction& interaction)
    : dataDir_(createdFolder(std::move(dataDir))),
      archive_(filePath(".ldr")),
      registry_(new TStatList(settings_, archive_.draws())) {
    open(progress, interaction);
}

Session::Session(std::filesystem::path dataDir)
    : dataDir_(createdFolder(std::move(dataDir))),
      archive_(filePath(".ldr")),
      registry_(new TStatList(settings_, archive_.draws())) {
    NullProgress progress;
    CollectingInteraction interaction(startupMessages_);
    open(progress, interaction);
}

std::filesystem::path Session::filePath(std::string_view extension) const {
    std::string name(kBaseName);
    name += extension;
    return dataDir_ / name;
}

Session::~Session() = default;

void Session::open(Progress& progress, Interaction& interaction) {
    const auto ini = filePath(".ini");
    settings_.loadSettings(ini);
    settings_.loadGeneratorMemory(ini);
    settings_.loadShredding(ini);
    // The registry's instance ranges (channels, columns, ...) follow the settings just read.
    rebuildRegistry(interaction);
    archive_.setDrawsOffset(0);
    archiveReadWhole_ = archive_.load(progress, interaction);
}

void Session::rebuildRegistry(Interaction& interaction) {
    registry_->rebuild();
    const auto methodFile = filePath(".flt");
    std::error_code ec;
    if (std::filesystem::exists(methodFile, ec)) registry_->loadMethodFile(methodFile, true, interaction);
}

bool Session::saveMethodFile(Interaction& interaction) const {
    return registry_->saveMethodFile(filePath(".flt"), true, false, interaction);
}

std::set<int> Session::applySettings(const TConfigData& config, Interaction& interaction) {
    const std::set<int> groups = changedNormGroups(settings_.config, config);
    settings_.config = config;
    try {
        settings_.saveSettings(filePath(".ini"));
    } catch (const EError& e) {
        interaction.error(e.what());
    }
    rebuildRegistry(interaction);
    return groups;
}

std::set<int> Session::applyShredding(const std::array<std::string, 3>& formulas, const std::array<int32_t, 3>& digits,
                                      Interaction& interaction) {
    settings_.formulas = formulas;
    settings_.formulaDigits = digits;
    try {
        settings_.saveShredding(filePath(".ini"));
    } catch (const EError& e) {
        interaction.error(e.what());
    }
    rebuildRegistry(interaction);
    return {kShreddingNormGroup};
}

void Session::storeGeneratorMemory(uint8_t mode, std::string_view parameters) {
    settings_.setGeneratorMemory(mode, parameters);
    settings_.saveGeneratorMemory(filePath(".ini"));
}

void Session::setStakesLogEnabled(bool on) {
    stakesLogEnabled_ = on;
    if (stakes_) stakes_->setLogEnabled(on);
}

TStatTableInput Session::statTableInput(int window, const TPrefetchData* norms) const {
    TStatTableInput in;
    in.draws = &archive_.draws();
    in.endIndex = analysisEndIndex();
    in.window = window;
    in.sorted = sortedDraws_;
    in.weights = settings_.config.weights;
    in.norms = norms;
    return in;
}

std::optional<TPrefetchData> Session::methodNorms(int methodIndex, Progress& progress, Interaction& interaction) const {
    if (!normsEnabled_ || !methodHasNorm(*registry_, methodIndex)) return std::nullopt;
    return openPrefetchFile(*registry_, methodIndex, dataDir_, progress, interaction);
}

TStatFilterRequest Session::statFilterRequest(int methodIndex, const std::vector<TStatTableRow>& rows,
                                              const std::vector<std::size_t>& rowIndices, bool remove) const {
    const TStatSelection selection = statSelection(rows, rowIndices);
    TStatFilterRequest request;
    request.name = statMethodListCaption(*registry_, methodIndex);
    request.selection = selection.values;
    request.valuesText = selection.text;
    request.remove = remove;
    request.referenceIndex = std::max(0, analysisEndIndex());
    request.sorted = sortedDraws_;
    return request;
}

std::optional<TScenarioEnv> Session::scenarioEnv(Progress& progress, Interaction& interaction) {
    if (!openStakes(progress, interaction) || !loadRatings(progress, interaction)) return std::nullopt;
    TScenarioEnv env;
    env.archive = &archive_;
    env.registry = registry_.get();
    env.settings = &settings_;
    env.combs = &combList();
    env.stakes = stakes_.get();
    env.ratings = ratings_.get();
    env.logFolder = dataDir_;
    env.systemsDir = systemsDir();
    env.sortedDraws = sortedDraws_;
    env.normsEnabled = normsEnabled_;
    return env;
}

std::unique_ptr<TScenarioRunner> Session::scenarioRunner(Progress& progress, Interaction& interaction) {
    const std::optional<TScenarioEnv> env = scenarioEnv(progress, interaction);
    if (!env) return nullptr;
    return std::make_unique<TScenarioRunner>(*env, progress, interaction);
}

TStakesStore& Session::stakes() {
    if (!stakes_) {
        stakes_ = std::make_unique<TStakesStore>(filePath(".lsk"));
        stakes_->setLogEnabled(stakesLogEnabled_);
    }
    return *stakes_;
}

bool Session::openStakes(Progress& progress, Interaction& interaction) {
    TStakesStore& store = stakes();
    if (store.isOpen()) return true;
    return store.openChecked(progress, interaction);
}

bool Session::stakesOpen() const { return stakes_ && stakes_->isOpen(); }

bool Session::folderInUse() const { return !stakesOpen() && stakesFileLockedElsewhere(filePath(".lsk")); }

TRatings& Session::ratings() {
    if (!ratings_) ratings_ = std::make_unique<TRatings>(filePath(".lrt"));
    return *ratings_;
}

TRegulars& Session::regulars() {
    if (!regulars_) regulars_ = std::make_unique<TRegulars>(filePath(".ltb"));
    return *regulars_;
}

bool Session::loadRatings(Progress& progress, Interaction& interaction) {
    if (ratingsLoaded_) return true;
    ratingsLoaded_ = ratings().load(progress, interaction);
    return ratingsLoaded_;
}

TScenario& Session::scenario() {
    if (!scenario_) {
        auto scenario = std::make_unique<TScenario>(filePath(kScenarioWorkingCopyExtension));
        scenario->loadWorkingCopy();
        scenario_ = std::move(scenario);
    }
    return *scenario_;
}

std::filesystem::path Session::systemsDir() const { return dataDir_ / kSystemsFolder; }

bool Session::checkStakes(Progress& progress, Interaction& interaction) {
    if (!openStakes(progress, interaction) || !loadRatings(progress, interaction)) return false;
    return stakes_->checkAll(archive_, settings_, *ratings_, progress, interaction);
}

TDraw Session::drawForAnalysis(int index) const {
    const TDraw& d = archive_.at(index);
    return sortedDraws_ ? sortedDraw(d) : d;
}

}  // namespace tavlora
