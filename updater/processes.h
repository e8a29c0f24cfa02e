#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <system_error>
#include <vector>

namespace tn::updater {

// The folder of the running executable, with a trailing "/"; empty if /proc/self/exe cannot be read.
std::string programFolder();

// This user's processes (other than the caller) that run exactly the file executable, as
// /proc/<pid>/exe names it: the comparison is case-sensitive and on the whole path, so a shell of
// another installation or another user is not one of them. A process whose file has since been
// replaced or deleted still counts (the kernel then adds " (deleted)" to the name).
std::vector<pid_t> processesRunning(const std::string& executable);

// Kills (SIGKILL) every process that processesRunning finds, then waits up to patience until none
// of them runs the executable any more. Returns the processes it killed.
//
// SIGKILL rather than SIGTERM: a shell that is still there is one that did not end on its own, and
// its close sequence would write its settings while it is being replaced and could hand over to
// the updater yet again.
std::vector<pid_t> endProcessesRunning(const std::string& executable, std::chrono::milliseconds patience);

// Starts executable with no arguments, in a session of its own, with this process's environment and
// current folder, and does not wait for it. Fails when it could not be started (missing, not
// executable).
std::error_code startDetached(const std::string& executable);

}  // namespace tn::updater
