#include "core/screen_layout.h"

#include <gtest/gtest.h>

#include "core/startup_settings.h"

namespace tn {
namespace {

struct LayoutCase {
    int w, h;
    Rect page_control;
    int tab_height;
    int strip_height;
    int pictures_left;
    Rect admin_tabs;
};

TEST(ScreenLayoutTest, MainTabsFollowTheScreen) {
    const LayoutCase cases[] = {
        {1024, 768, {20, 60, 984, 708}, 35, 60, 512, {0, 35, 1024, 733}},
        {1280, 1024, {25, 80, 1230, 944}, 47, 80, 640, {0, 35, 1280, 989}},
        // 15.6 → 16, 46.8 → 47, 31.2 → 31; 27.65 → 28; 400.5 → 400 (ties to even)
        {801, 600, {16, 47, 770, 553}, 28, 47, 400, {0, 35, 801, 565}},
    };
    for (const auto& c : cases) {
        const MainLayout l = layoutMainTabs(c.w, c.h);
        EXPECT_EQ(l.page_control, c.page_control) << c.w << "x" << c.h;
        EXPECT_EQ(l.tab_height, c.tab_height) << c.w << "x" << c.h;
        EXPECT_EQ(l.test_panel, (Rect{0, 0, c.w, c.h}));
        EXPECT_EQ(l.strip_height, c.strip_height);
        EXPECT_EQ(l.pictures_left, c.pictures_left);
        EXPECT_EQ(l.admin_tabs, c.admin_tabs);
        // The bottom edge is the screen's (the margins left and right may differ by a pixel of rounding).
        EXPECT_EQ(l.page_control.top + l.page_control.height, c.h);
    }
}

TEST(ScreenLayoutTest, RoundsHalfToEven) {
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(2.4999), 2);
}

TEST(ScreenLayoutTest, GearsInTheCornerAndTheSliderLeftOfThem) {
    const TopRightPlacement p = placeTopRight(1024, 27, 41);
    EXPECT_EQ(p.gears_left, 997);
    EXPECT_EQ(p.volume_left, 936);
}

TEST(StartupSettingsTest, ReadsEachSettingFromItsLine) {
    TextList lines;
    for (int i = 0; i < 25; ++i)
        lines.append("");
    Settings s(std::move(lines));
    StartupSettings d = readStartupSettings(s);
    // An empty line 24 keeps the large link pop-up on; every empty yes/no line is off.
    EXPECT_TRUE(d.large_link_popup);
    EXPECT_FALSE(d.ctrl_alt_del_disabled || d.timer_at_every_start || d.show_volume_control ||
                 d.link_scrolling || d.automatic_updates || d.enable_new_activities || d.block_popups);
    EXPECT_EQ(d.proxy_port, 0);

    s.set(setting::kLargeLinkPopUp, "no");
    s.set(setting::kDisableCtrlAltDel, "yes");
    s.set(setting::kShowVolumeControl, "Yes");
    s.set(setting::kVolumePosition, "3");
    s.set(setting::kTimerAtEveryStart, "yes");
    s.set(setting::kTimerLength, "11");
    s.set(setting::kProxyAddress, "proxy.local");
    s.set(setting::kProxyPort, "3128");
    s.set(setting::kVersionStamp, "202612110000");
    d = readStartupSettings(s);
    EXPECT_FALSE(d.large_link_popup);
    EXPECT_TRUE(d.ctrl_alt_del_disabled);
    EXPECT_FALSE(d.show_volume_control);
    EXPECT_EQ(d.volume_position, 3);
    EXPECT_TRUE(d.timer_at_every_start);
    EXPECT_EQ(d.timer_index, 11);
    EXPECT_EQ(d.proxy_address, "proxy.local");
    EXPECT_EQ(d.proxy_port, 3128);
    EXPECT_EQ(d.version_stamp, "202612110000");
}

}  // namespace
}  // namespace tn
