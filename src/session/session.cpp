#include "session/session.h"

#include <system_error>

#include "core/error.h"
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

TDraw Session::drawForAnalysis(int index) const {
    const TDraw& d = archive_.at(index);
    return sortedDraws_ ? sortedDraw(d) : d;
}

}  // namespace tavlora
