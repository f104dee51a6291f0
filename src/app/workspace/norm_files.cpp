#include "app/workspace/norm_files.h"

#include <memory>

#include "app/tab.h"
#include "session/session.h"
#include "stats/stat_list.h"
#include "ui/busy_state.h"
#include "ui/gui_progress.h"
#include "ui/progress_window.h"
#include "ui/text.h"
#include "workspace/prefetch.h"

namespace tavlora::app {

bool ensureNormFiles(QWidget* parent, TabHost& host, bool force, const std::set<int>& groups) {
    Session* session = host.session();
    if (!session) return true;
    const bool enabled = host.formSettings().prefetchsEnabled;
    if (!force && !enabled) return true;
    TGroupSet set;
    for (int g : groups)
        if (g >= 0 && g < static_cast<int>(set.size())) set.set(static_cast<std::size_t>(g));
    ui::BusyScope scope(host.busyState());
    std::unique_ptr<ui::ProgressWindow> window;
    if (!ui::ProgressWindow::current())
        window = std::make_unique<ui::ProgressWindow>(parent, ui::qs(kPrefetchEnsureText),
                                                      session->statList().count(), true);
    return ensurePrefetchFiles(session->statList(), session->dataDir(), enabled, force, set, host.progress(),
                               host.interaction());
}

}  // namespace tavlora::app
