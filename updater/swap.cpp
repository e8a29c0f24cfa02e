#include "swap.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "file_ops.h"
#include "processes.h"
#include "restart_file.h"

namespace tn::updater {
namespace {

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

}  // namespace

std::vector<pid_t> endLeftoverShells(const std::string& folder) {
    // The new shell would find a dying one still there; a killed process is normally gone within
    // milliseconds, and two seconds bound the wait for one that is not.
    return endProcessesRunning(folder + kShellExecutable, std::chrono::seconds(2));
}

SwapOutcome swapAndRestart(const std::string& folder) {
    SwapOutcome outcome;
    const std::string restart_path = folder + kRestartFile;
    const std::string shell_path = folder + kShellExecutable;

    std::string bytes;
    if (const auto error = readWholeFile(restart_path, bytes)) {
        outcome.error = "Cannot open file " + quoted(restart_path) + ". " + error.message() + ".";
        return outcome;
    }
    RestartFile restart = parseRestartFile(bytes);
    outcome.restart_lines = restart.lines;

    const std::string new_path = folder + kNewExecutable;
    if (restart.replacesExecutable() && ::access(new_path.c_str(), F_OK) == 0) {
        outcome.replace_error = replaceWithCopy(new_path, shell_path);
        outcome.replaced = !outcome.replace_error;
        // Not shown to the user: the old shell is still whole and starts as asked, and the next
        // update run offers the new one again.
        if (outcome.replace_error) {
            std::fprintf(stderr, "update: %s was not replaced: %s\n", shell_path.c_str(),
                         outcome.replace_error.message().c_str());
        }
    }

    if (restart.startsShell()) {
        restart.markShellStarted();
        if (const auto error = writeFileAtomically(restart_path, formatRestartFile(restart))) {
            outcome.error = "Cannot write file " + quoted(restart_path) + ". " + error.message() + ".";
            return outcome;
        }
        outcome.restart_lines = restart.lines;
        if (const auto error = startDetached(shell_path)) {
            outcome.error = "Cannot start " + quoted(shell_path) + ". " + error.message() + ".";
            return outcome;
        }
        outcome.shell_started = true;
    }
    return outcome;
}

}  // namespace tn::updater
