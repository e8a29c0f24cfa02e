#pragma once

#include <string>

#include "core/settings.h"

namespace tn {

// The settings start-up applies, read from their lines in one place. The list has been validated by
// loadSettingsFile, so the numeric lines convert.
struct StartupSettings {
    std::string proxy_address;           // line 17; empty = no proxy
    int proxy_port = 0;                  // line 18; 0 when empty
    bool large_link_popup = true;        // line 24: off only when exactly "no"
    bool ctrl_alt_del_disabled = false;  // line 3
    bool timer_at_every_start = false;   // line 21
    int timer_index = 0;                 // line 22, read only when line 21 is "yes"
    bool show_volume_control = false;    // line 4
    int volume_position = 5;             // line 5
    bool link_scrolling = false;         // line 6
    std::string version_stamp;           // line 8
    bool automatic_updates = false;      // line 9
    bool enable_new_activities = false;  // line 11
    bool block_popups = false;           // line 14
};

StartupSettings readStartupSettings(const Settings& settings);

}  // namespace tn
