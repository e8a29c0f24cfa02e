#pragma once

namespace tn {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// Rounds to the nearest integer, ties to even, as every layout formula does.
int roundHalfEven(double value);

// Placement of the main tab control computed from the screen size W × H: equal margins left and
// right, the bottom edge on the screen's bottom edge, room for the strip at the top.
struct MainLayout {
    Rect page_control;
    int tab_height = 0;
    Rect test_panel;  // the administration panel covers the screen
    // The strip at the top: carousel thumbnails, the home and virtual-desktop pictures and the volume
    // slider are this high; the two pictures stand at the carousel's left arrow, half-way across.
    int strip_height = 0;
    int pictures_left = 0;
    // The administration panel's tab control, below its row of buttons (save_button_height high).
    Rect admin_tabs;
};
inline constexpr int kSaveButtonHeight = 33;
MainLayout layoutMainTabs(int screen_width, int screen_height, int save_button_height = kSaveButtonHeight);

// Left edges of the gear picture (top right corner) and of the volume slider 20 pixels left of it.
struct TopRightPlacement {
    int gears_left = 0;
    int volume_left = 0;
};
TopRightPlacement placeTopRight(int screen_width, int gears_width, int volume_width);

}  // namespace tn
