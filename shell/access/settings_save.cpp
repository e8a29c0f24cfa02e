#include "access/settings_save.h"

#include <utility>

#include "core/list_file.h"
#include "lockdown/lockdown_sequences.h"

namespace tn {

std::string SaveResult::message() const {
    if (ok) return {};
    return "The settings could not be saved: \"" + failed_file + "\" could not be written (" + reason +
           ").\n\nThe files saved before it keep the new settings; \"" + failed_file +
           "\" and the files after it keep their previous content. Free some space or fix the folder's "
           "permissions, then save again.";
}

SaveResult saveSettings(ShellModel& model, const AdminChecks& checks, ILockdown& lockdown,
                        const std::string& data_dir, const std::function<void()>& after_blocked) {
    Settings& s = model.SettingsList;
    model.ListBox1.clear();
    s.setYes(setting::kDisableCtrlAltDel, checks.ctrl_alt_del);
    if (checks.ctrl_alt_del) setCtrlAltDelDisabled(lockdown, true);
    s.setYes(setting::kShowVolumeControl, checks.volume_control);
    s.setYes(setting::kLinkScrolling, checks.link_scroll);
    s.setYes(setting::kAutomaticUpdates, checks.auto_update);
    s.setYes(setting::kEnableNewActivities, checks.auto_enable_activities);
    s.setYes(setting::kBlockPopUps, checks.block_popups);
    s.setYes(setting::kTimerAtEveryStart, checks.default_timer);
    s.setYes(setting::kLargeLinkPopUp, checks.large_link_popup);

    const auto write = [&](const char* relative, const TextList& list) -> SaveResult {
        if (const std::error_code error = saveListFile(data_dir + relative, list))
            return {false, relative, error.message()};
        return {};
    };
    if (SaveResult r = write("files/blocked.ini", model.BlockedSiteListBox.entries()); !r.ok) return r;
    if (after_blocked) after_blocked();
    model.ListBox1 = joinSiteRecords(model.sites);
    const std::pair<const char*, const TextList*> files[] = {
        {"files/sites.ini", &model.ListBox1},
        {"files/appnames.ini", &model.AppNameListBox},
        {"files/apppaths.ini", &model.AppPathListBox},
        {"files/activities.ini", &model.activities.EnabledActivityListBox},
        {"files/deletedbl.ini", &model.DeletedBlackListBox},
        {"files/config.ini", &s.lines()},
    };
    for (const auto& [relative, list] : files) {
        if (SaveResult r = write(relative, *list); !r.ok) return r;
    }
    return {};
}

}  // namespace tn
