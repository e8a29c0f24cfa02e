#include "core/screen_layout.h"

#include <cmath>

namespace tn {

int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

MainLayout layoutMainTabs(int w, int h, int save_button_height) {
    MainLayout out;
    const int top = roundHalfEven(h * 0.078);
    out.page_control = {roundHalfEven(w * 0.0195), top, w - roundHalfEven(w * 0.039), h - top};
    out.tab_height = roundHalfEven(out.page_control.height * 0.05);
    out.test_panel = {0, 0, w, h};
    out.strip_height = top;
    out.pictures_left = roundHalfEven(w * 0.5);
    out.admin_tabs = {0, save_button_height + 2, w, h - save_button_height - 2};
    return out;
}

TopRightPlacement placeTopRight(int screen_width, int gears_width, int volume_width) {
    TopRightPlacement out;
    out.gears_left = screen_width - gears_width;
    out.volume_left = out.gears_left - volume_width - 20;
    return out;
}

}  // namespace tn
