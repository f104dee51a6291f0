#include "session/session.h"

#include <system_error>

#include "core/error.h"
#include "scenario/scenario.h"
#include "scenario/scenario_file.h"
#include "stakes/ratings.h"
#include "stakes/stakes_store.h"
#include "stakes/systems.h"
#include "stats/stat_list.h"

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

Session::Session(std::filesystem::path dataDir, Progress& progress, Interaction& interaction)
    : dataDir_(createdFolder(std::move(dataDir))), registry_(new TStatList), archive_(filePath(".ldr")) {
    open(progress, interaction);
}

Session::Session(std::filesystem::path dataDir)
    : dataDir_(createdFolder(std::move(dataDir))), registry_(new TStatList), archive_(filePath(".ldr")) {
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

TSettings& Session::settings() { return registry_->settings(); }
const TSettings& Session::settings() const { return registry_->settings(); }

void Session::open(Progress& progress, Interaction& interaction) {
    const auto ini = filePath(".ini");
    TSettings& settings = registry_->settings();
    settings.loadSettings(ini);
    settings.loadGeneratorMemory(ini);
    settings.loadShredding(ini);
    // The registry's instance ranges (channels, columns, ...) follow the settings just read.
    registry_->setArchive(&archive_.draws());
    registry_->rebuild();
    const auto methodFile = filePath(".flt");
    std::error_code ec;
    if (std::filesystem::exists(methodFile, ec)) registry_->loadMethodFile(methodFile, true, interaction);
    archive_.setDrawsOffset(0);
    archiveReadWhole_ = archive_.load(progress, interaction);
}

TStakesStore& Session::stakes() {
    if (!stakes_) stakes_ = std::make_unique<TStakesStore>(filePath(".lsk"));
    return *stakes_;
}

bool Session::openStakes(Progress& progress, Interaction& interaction) {
    TStakesStore& store = stakes();
    if (store.isOpen()) return true;
    return store.openChecked(progress, interaction);
}

bool Session::stakesOpen() const { return stakes_ && stakes_->isOpen(); }

TRatings& Session::ratings() {
    if (!ratings_) ratings_ = std::make_unique<TRatings>(filePath(".lrt"));
    return *ratings_;
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
    return stakes_->checkAll(archive_, settings(), *ratings_, progress, interaction);
}

TDraw Session::drawForAnalysis(int index) const {
    const TDraw& d = archive_.at(index);
    return sortedDraws_ ? sortedDraw(d) : d;
}

}  // namespace tavlora
