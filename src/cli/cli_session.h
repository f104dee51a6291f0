#pragma once
// Opening the data folder for a command: the one way a command gets its Session.
#include <memory>

#include "cli/cli.h"
#include "session/form_settings.h"
#include "session/session.h"

namespace tavlora::cli {

// What a command does in the data folder. A command that changes anything there (Write) is
// refused with kFolderInUseError (EError, exit 1) while another copy of the program works on
// the folder; a command that only reads (Read) runs beside it.
enum class FolderUse { Read, Write };

// The session of the data folder (--data) with the global options applied (--offset, --sorted)
// and the switches of the desktop window's settings that the engine obeys (norms, stakes log).
// Messages of the start-up go to interaction; without one, to the command's own.
std::unique_ptr<Session> openSession(const Context& ctx, Interaction& interaction, FolderUse use = FolderUse::Write);
std::unique_ptr<Session> openSession(Context& ctx, FolderUse use = FolderUse::Write);

// The desktop window's settings of the session's folder (<base>.frm); the defaults when the file
// cannot be read, so that a damaged window file never stops a command.
TFormMainSettings windowSettings(const Session& session);

}  // namespace tavlora::cli
