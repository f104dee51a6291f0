#pragma once
// Running processes, for the wait of a restarted copy (switch "restart").
#include <string>

namespace tavlora::app {

// The file name of this process's executable ("tavlora").
std::string ownExecutableName();
// True when a process other than this one runs an executable with the given file name (also when
// that file has been replaced or removed since the process started).
bool otherProcessRunning(const std::string& name);

}  // namespace tavlora::app
