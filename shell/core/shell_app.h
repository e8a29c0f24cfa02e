#pragma once

#include <string>

namespace tn {

// What differs between the two builds of the shell.
struct BuildVariant {
    bool taskbar_progress;               // show download progress on the desktop's task bar
    bool end_desktop_process_on_unlock;  // lifting the desktop policy also ends the desktop process
};
// Defined once per executable.
BuildVariant buildVariant();

// The caption of the shell's window; a second start looks for a window with exactly this title.
inline constexpr const char* kShellTitle = "Tumblenest";

// The folder of the running executable with a trailing "/": the data directory.
std::string executableFolder();

// The program: refuses a second instance (raising the first), checks the settings file, creates the
// windows and runs the message loop. Returns the exit code.
int runShell(int argc, char** argv);

}  // namespace tn
