#include "app/favourites/favourites_commands.h"

#include <QApplication>
#include <QDialog>

#include "app/favourites/favourites_dialog.h"
#include "app/favourites/help_window.h"
#include "app/favourites/method_description.h"
#include "app/tab.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "ui/busy_state.h"
#include "ui/message_boxes.h"
#include "ui/wait_window.h"

namespace tavlora::app {

void FavouritesCommands::buildCommands() {
    auto haveSession = [this] { return host_.session() != nullptr; };
    host_.addCommand({QStringLiteral("FiltersManager"), QStringLiteral("Избранные статистики"),
                      QStringLiteral("Менеджер избранных методов расчета статистики"), [this] { manageFavourites(); },
                      haveSession});
    host_.addCommand({QStringLiteral("FiltersReset"), QStringLiteral("Все доступные статистики"),
                      QStringLiteral("Сделать избранными все методы расчета статистики"),
                      [this] { resetFavourites(); }, haveSession});
    host_.addCommand({QStringLiteral("Help"), QStringLiteral("Справка"), QStringLiteral("Справочная система программы"),
                      [this] { showHelp(); }});
}

bool FavouritesCommands::manageFavourites() {
    Session* session = host_.session();
    if (!session) return false;
    // The description opens over the manager, the modal window at that moment.
    FavouritesDialog dialog(*session, host_.interaction(),
                            [this](int method) { describeMethod(method, QApplication::activeModalWidget()); },
                            window_);
    if (dialog.exec() != QDialog::Accepted) return false;
    storeAndReload();
    return true;
}

bool FavouritesCommands::resetFavourites() {
    Session* session = host_.session();
    if (!session) return false;
    if (!ui::confirm(host_.interaction(), kFiltersResetQuestion, false)) return false;
    session->statList().selectAll();
    storeAndReload();
    return true;
}

void FavouritesCommands::storeAndReload() {
    Session& session = *host_.session();
    {
        ui::BusyScope busy(host_.busyState());
        ui::WaitScope wait(QString::fromUtf8(kPleaseWaitText), window_);
        // The registry is rebuilt from the file only when the file holds the new choice: after a
        // failed save (shown) the lists are refilled from the registry as it is.
        if (session.saveMethodFile(host_.interaction())) session.rebuildRegistry(host_.interaction());
        host_.methodListsChanged();
    }
    host_.recalcViews(true);
}

void FavouritesCommands::describeMethod(int methodIndex, QWidget* parent) {
    const Session* session = host_.session();
    if (!session || methodIndex < 0 || methodIndex >= session->statList().count()) return;
    MethodDescriptionWindow window(*session, methodIndex, parent ? parent : window_);
    window.exec();
}

HelpWindow* FavouritesCommands::helpWindow() const { return help_.data(); }

HelpWindow* FavouritesCommands::showHelp() {
    if (!help_) {
        help_ = new HelpWindow(window_);
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
    return help_;
}

}  // namespace tavlora::app
