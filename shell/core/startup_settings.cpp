#include "core/startup_settings.h"

namespace tn {

StartupSettings readStartupSettings(const Settings& s) {
    using namespace setting;
    StartupSettings out;
    out.proxy_address = std::string(s.line(kProxyAddress));
    out.proxy_port = s.integer(kProxyPort);
    out.large_link_popup = s.line(kLargeLinkPopUp) != "no";
    out.ctrl_alt_del_disabled = s.yes(kDisableCtrlAltDel);
    out.timer_at_every_start = s.yes(kTimerAtEveryStart);
    if (out.timer_at_every_start) out.timer_index = s.integer(kTimerLength);
    out.show_volume_control = s.yes(kShowVolumeControl);
    out.volume_position = s.integer(kVolumePosition);
    out.link_scrolling = s.yes(kLinkScrolling);
    out.version_stamp = std::string(s.line(kVersionStamp));
    out.automatic_updates = s.yes(kAutomaticUpdates);
    out.enable_new_activities = s.yes(kEnableNewActivities);
    out.block_popups = s.yes(kBlockPopUps);
    return out;
}

}  // namespace tn
