#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/main_form.h"
#include "platform/doubles/recording.h"
#include "support/qt_support.h"

namespace tn::test {

// The smallest valid settings file: 25 empty lines but the volume position (line 5) "5".
inline std::string minimalSettingsText() {
    std::string text;
    for (int i = 0; i < 25; ++i)
        text += (i == 5 ? "5" : "") + std::string("\r\n");
    return text;
}

// Every platform stand-in the main window needs, as recording doubles sharing one call log.
struct RecordingServices {
    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    RecordingLockdown lockdown{log};
    RecordingKeyboardHook hook{log};
    RecordingDesktop desktop{log};
    RecordingSoundSystem sounds{log};
    ScriptedDialogs dialogs;
    RecordingWindows windows{log};
    RecordingShellOpen shell_open{log};
    RecordingShellLinks shell_links{log};
    RecordingDisplayMode display{log};
    MemoryRegistry registry{log};
    RecordingWaveOut wave_out{log};
    RecordingProcesses processes{log};
    bool full_build = true;
    bool caps_lock = false;

    ShellServices services(std::function<void()> terminate) {
        return ShellServices{lockdown,
                             hook,
                             desktop,
                             sounds,
                             dialogs,
                             windows,
                             shell_open,
                             shell_links,
                             display,
                             registry,
                             wave_out,
                             processes,
                             full_build,
                             [this] { return caps_lock; },
                             std::move(terminate)};
    }
};

}  // namespace tn::test
