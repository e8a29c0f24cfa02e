#pragma once

#include <functional>
#include <system_error>

#include "core/settings.h"
#include "platform/system.h"

namespace tn {

// Where an installer leaves a scrambled copy of the parent password. The shell only reads it.
inline constexpr const char* kPasswordRegistryKey = "SOFTWARE\\TUMBLENEST";
inline constexpr const char* kPasswordRegistryValue = "pw";

enum class FirstRunOutcome {
    AlreadySet,       // line 0 held a password; nothing was written
    AdoptedRegistry,  // line 0 took the registry copy; the settings file was written
    AskedParent,      // the set-password form ran; the settings file was written
};

struct FirstRunResult {
    FirstRunOutcome outcome;
    std::error_code write_error;  // of the settings file write, when there was one
};

// The password check that runs once, at the first tick after the main window is shown (the caller
// stops its one-shot timer first, so a second tick cannot run it again):
//  1. read LocalMachine "SOFTWARE\TUMBLENEST" "pw" (missing or unreadable = empty);
//  2. line 0 of settings not empty: stop, nothing is written;
//  3. the registry copy not empty: copy it unchanged (it is scrambled already) into line 0;
//  4. otherwise: askForPassword(), which returns once the set-password form has stored a password in
//     line 0;
//  5. writeSettings().
// A registry copy holding CR, LF or NUL is not adopted: as line 0 it would split the settings file's
// lines and shift every later setting. The parent is asked instead, as if there were no copy.
// The check reports no error of its own; a failed write is handed back for the caller to deal with.
FirstRunResult runFirstRunPasswordCheck(IRegistry& registry, Settings& settings,
                                        const std::function<void()>& askForPassword,
                                        const std::function<std::error_code()>& writeSettings);

}  // namespace tn
