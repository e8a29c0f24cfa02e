#pragma once

#include <sys/types.h>

#include <string>
#include <system_error>
#include <vector>

namespace tn::updater {

// File names in the program folder, which the updater shares with the shell.
inline constexpr const char* kRestartFile = "restart.ini";
inline constexpr const char* kNewExecutable = "newexe.bin";
inline constexpr const char* kShellExecutable = "tumblenest";

// Ends what is left of the shell in folder (the folder's own "tumblenest" run by this user), and
// waits a moment for it to be gone. Returns the processes it ended.
std::vector<pid_t> endLeftoverShells(const std::string& folder);

struct SwapOutcome {
    // "restart.ini" as loaded (line 1 already set to "no" when the shell was started).
    std::vector<std::string> restart_lines;
    // The shell's executable now holds a copy of "newexe.bin".
    bool replaced = false;
    // Why the asked-for replacement did not happen; the old executable is then untouched.
    std::error_code replace_error;
    bool shell_started = false;
    // Set when the run stopped short of what the restart file asked for: the message for the user,
    // naming the file. The updater then stays open until it is closed.
    std::string error;
};

// folder ends with "/". Loads "restart.ini"; when line 2 is "yes" and "newexe.bin" exists, replaces
// "tumblenest" with a copy of it in one step; when line 1 is "yes", writes the file back with line 1
// "no" and starts "tumblenest". A restart file that cannot be read stops everything before anything
// is changed; one that cannot be written back keeps the shell from being started, since its line 1
// would start it again on every later run.
SwapOutcome swapAndRestart(const std::string& folder);

}  // namespace tn::updater
