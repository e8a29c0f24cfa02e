#pragma once

#include <functional>
#include <string>

#include "core/shell_model.h"
#include "platform/lockdown.h"

namespace tn {

// The administration panel's check boxes that the settings save writes into the settings lines.
struct AdminChecks {
    bool ctrl_alt_del = false;            // CTLALTDELCheck, line 3
    bool volume_control = false;          // VolumeControlEnableCheckBox, line 4
    bool link_scroll = false;             // LinkScrollEnableCheckBox, line 6
    bool auto_update = false;             // AutoUpdateEnableCheckBox, line 9
    bool auto_enable_activities = false;  // AutoEnableAllActivitiesCheckBox, line 11
    bool block_popups = false;            // BlockPopUpsCheckBox, line 14
    bool default_timer = false;           // DefaultTimerCheckBox, line 21
    bool large_link_popup = true;         // LargeLinkPopUpCheckBox, line 24
};

struct SaveResult {
    bool ok = true;
    // When not ok: the file that could not be written (relative to the data directory, as
    // "files/sites.ini") and why. The files before it in the order are written; none after it.
    std::string failed_file;
    std::string reason;
    // The message the parent sees for a failure.
    std::string message() const;
};

// The settings save's writing part, in its fixed order:
//  1. the check boxes into their settings lines; a ticked Ctrl+Alt+Del box locks that combination
//     at once (an unticked one waits for the return to locked mode);
//  2. "files/blocked.ini", then `after_blocked` (the carousel takes the site lists), then the site
//     records rebuilt from the site columns into "files/sites.ini", then "files/appnames.ini",
//     "files/apppaths.ini", "files/activities.ini", "files/deletedbl.ini" and "files/config.ini".
// Every file is replaced atomically; the first one that cannot be written stops the save there.
SaveResult saveSettings(ShellModel& model, const AdminChecks& checks, ILockdown& lockdown,
                        const std::string& data_dir, const std::function<void()>& after_blocked);

}  // namespace tn
