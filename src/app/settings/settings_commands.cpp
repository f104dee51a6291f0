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
#include "session/session_systems.h"
#include "stats/stat_list.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"

namespace tavlora::app {

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
    const TSystemsSettings systems = systemsSettings(*session);
    TSettingsDialog dialog(window_, session->settings().config, host_.interaction(), systems);
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.systems() != systems) {
        try {
            storeSystemsSettings(*host_.session(), dialog.systems());
        } catch (const EError& e) {
            host_.interaction().error(e.what());
        }
    }
    applySettings(dialog.config());
}

void SettingsCommands::applySettings(const TConfigData& config) {
    Session* session = host_.session();
    if (!session) return;
    std::set<int> groups;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kConfigSavingText);
        groups = session->applySettings(config, host_.interaction());
    }
    reloadMethodLists();
    ensureNormFiles(window_, host_, false, groups);
    host_.recalcViews(true);
    // The channel colours of the lists follow the channel width.
    host_.settingsChanged();
}

void SettingsCommands::editShredding() {
    const Session* session = host_.session();
    if (!session) return;
    const TSettings& s = session->settings();
    TShreddingDialog dialog(window_, s.formulas, s.formulaDigits, &host_.interaction());
    if (dialog.exec() == QDialog::Accepted) applyShredding(dialog.formulas(), dialog.digits());
}

void SettingsCommands::applyShredding(const std::array<std::string, 3>& formulas,
                                      const std::array<int32_t, 3>& digits) {
    Session* session = host_.session();
    if (!session) return;
    std::set<int> groups;
    {
        ui::BusyScope busy(host_.busyState());
        ui::StatusScope status(host_.progress(), kConfigSavingText);
        groups = session->applyShredding(formulas, digits, host_.interaction());
    }
    ensureNormFiles(window_, host_, false, groups);
    reloadMethodLists();
    // The views show values of the new formulas at once.
    host_.recalcViews(true);
}

void SettingsCommands::reloadMethodLists() {
    // The session rebuilt the registry with the new settings; the method file is rewritten so
    // that it lists the methods as they now are.
    host_.session()->saveMethodFile(host_.interaction());
    host_.methodListsChanged();
}

}  // namespace tavlora::app
