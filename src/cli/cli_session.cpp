#include "cli/cli_session.h"

#include "core/error.h"

namespace tavlora::cli {

std::unique_ptr<Session> openSession(const Context& ctx, Interaction& interaction, FolderUse use) {
    auto session = std::make_unique<Session>(ctx.options.data, ctx.progress, interaction);
    if (use == FolderUse::Write && session->folderInUse()) throw EError(kFolderInUseError);
    session->setDrawsOffset(ctx.options.offset);
    session->setSortedDraws(ctx.options.sorted);
    const TFormMainSettings window = windowSettings(*session);
    session->setNormsEnabled(window.prefetchsEnabled);
    session->setStakesLogEnabled(window.stakesLogEnabled);
    return session;
}

std::unique_ptr<Session> openSession(Context& ctx, FolderUse use) { return openSession(ctx, ctx.interaction, use); }

TFormMainSettings windowSettings(const Session& session) {
    try {
        return loadFormSettings(session.filePath(".frm"));
    } catch (const EError&) {
        return {};
    }
}

}  // namespace tavlora::cli
