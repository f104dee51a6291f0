#include "app/settings/settings_commands.h"

#include <QDialog>

#include "app/settings/settings_dialog.h"
#include "app/settings/shredding_dialog.h"
#include "app/tab.h"
#include "app/workspace/norm_files.h"
#include "core/codepage.h"
#include "core/error.h"
#include "core/format.h"
#include "core/interaction.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"

namespace tavlora::app {

namespace {

constexpr int kShreddingGroup = 12;  // the statistics group of the shredding methods

std::string segmentsText(const TConfigData& c) {
    std::string s;
    for (auto d : c.segments) s += std::to_string(d);
    return s;
}

// The message of a settings-file failure without the engine's own heading, so that the
// window's heading is not shown twice.
std::string reasonOf(const EError& e) {
    std::string m = e.what();
    const std::string prefix = "Ошибка записи в файл конфигурации!\r\r";
    if (m.starts_with(prefix)) m.erase(0, prefix.size());
    return m;
}

}  // namespace

std::set<int> changedNormGroups(const TConfigData& before, const TConfigData& after) {
    std::set<int> groups;
    if (before.matrixCols != after.matrixCols) groups.insert(4);
    if (before.channelSize != after.channelSize) groups.insert(3);
    if (!equalsIgnoreCase(segmentsText(before), segmentsText(after))) groups.insert(5);
    return groups;
}

void SettingsCommands::buildCommands() {
    auto haveSession = [this] { return host_.session() != nullptr; };
    host_.addCommand({QStringLiteral("EditSettings"), QStringLiteral("Параметры"), QStringLiteral("Параметры системы"),
                      [this] { editSettings(); }, haveSession});
    host_.addCommand({QStringLiteral("EditShredding"), QStringLiteral("Формулы шинковки"),
                      QStringLiteral("Редактирование формул для методов шинковки"), [this] { editShredding(); },
                      haveSession});
}

void SettingsCommands::editSettings() {
    const Session* session = host_.session();
    if (!session) return;
    TSettingsDialog dialog(window_, session->settings().config, host_.interaction());
    if (dialog.exec() == QDialog::Accepted) applySettings(dialog.config());
}

void SettingsCommands::applySettings(const TConfigData& config) {
    Session* session = host_.session();
    if (!session) return;
    const TConfigData before = session->settings().config;
    session->settings().config = config;
    save(&TSettings::saveSettings);
    rebuildRegistry();
    reloadMethodLists();
    ensureNormFiles(window_, host_, false, changedNormGroups(before, config));
    host_.recalcViews(true);
    // The channel colours of the lists follow the channel width.
    host_.settingsChanged();
}

void SettingsCommands::editShredding() {
    const Session* session = host_.session();
    if (!session) return;
    const TSettings& s = session->settings();
    TShreddingDialog dialog(window_, s.formulas, s.formulaDigits);
    if (dialog.exec() == QDialog::Accepted) applyShredding(dialog.formulas(), dialog.digits());
}

void SettingsCommands::applyShredding(const std::array<std::string, 3>& formulas,
                                      const std::array<int32_t, 3>& digits) {
    Session* session = host_.session();
    if (!session) return;
    session->settings().formulas = formulas;
    session->settings().formulaDigits = digits;
    save(&TSettings::saveShredding);
    rebuildRegistry();
    ensureNormFiles(window_, host_, false, {kShreddingGroup});
    reloadMethodLists();
}

void SettingsCommands::save(void (TSettings::*write)(const std::filesystem::path&) const) {
    Session& session = *host_.session();
    ui::BusyScope busy(host_.busyState());
    ui::StatusScope status(host_.progress(), kConfigSavingText);
    try {
        (session.settings().*write)(session.filePath(".ini"));
    } catch (const EError& e) {
        host_.interaction().error(fmt(kConfigWriteError, reasonOf(e)));
    }
}

void SettingsCommands::rebuildRegistry() {
    Session& session = *host_.session();
    TStatList& list = session.statList();
    list.setArchive(&session.draws());
    list.rebuild();
    const auto methodFile = session.filePath(".flt");
    std::error_code ec;
    if (std::filesystem::exists(methodFile, ec)) list.loadMethodFile(methodFile, true, host_.interaction());
}

void SettingsCommands::reloadMethodLists() {
    Session& session = *host_.session();
    session.statList().saveMethodFile(session.filePath(".flt"), true, false, host_.interaction());
    rebuildRegistry();
    host_.methodListsChanged();
}

}  // namespace tavlora::app
