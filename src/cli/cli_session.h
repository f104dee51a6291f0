#pragma once
// Opening the data folder for a command: the one way a command gets its Session.
#include <memory>

#include "cli/cli.h"
#include "session/form_settings.h"
#include "session/session.h"

namespace tavlora::cli {

// The session of the data folder (--data) with the global options applied (--offset, --sorted)
// and the switches of the desktop window's settings that the engine obeys (norms, stakes log).
// Messages of the start-up go to interaction; without one, to the command's own.
std::unique_ptr<Session> openSession(const Context& ctx, Interaction& interaction);
std::unique_ptr<Session> openSession(Context& ctx);

// The desktop window's settings of the session's folder (<base>.frm); the defaults when the file
// cannot be read, so that a damaged window file never stops a command.
TFormMainSettings windowSettings(const Session& session);

}  // namespace tavlora::cli
