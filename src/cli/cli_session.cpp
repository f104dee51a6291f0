#include "cli/cli_session.h"

#include "core/error.h"

namespace tavlora::cli {

std::unique_ptr<Session> openSession(const Context& ctx, Interaction& interaction) {
    auto session = std::make_unique<Session>(ctx.options.data, ctx.progress, interaction);
    session->setDrawsOffset(ctx.options.offset);
    session->setSortedDraws(ctx.options.sorted);
    const TFormMainSettings window = windowSettings(*session);
    session->setNormsEnabled(window.prefetchsEnabled);
    session->setStakesLogEnabled(window.stakesLogEnabled);
    return session;
}

std::unique_ptr<Session> openSession(Context& ctx) { return openSession(ctx, ctx.interaction); }

TFormMainSettings windowSettings(const Session& session) {
    try {
        return loadFormSettings(session.filePath(".frm"));
    } catch (const EError&) {
        return {};
    }
}

}  // namespace tavlora::cli
