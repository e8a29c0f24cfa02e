#include "core/screen_layout.h"

#include <cmath>

namespace tn {

int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

MainLayout layoutMainTabs(int w, int h) {
    MainLayout out;
    const int top = roundHalfEven(h * 0.078);
    out.page_control = {roundHalfEven(w * 0.0195), top, w - roundHalfEven(w * 0.039), h - top};
    out.tab_height = roundHalfEven(out.page_control.height * 0.05);
    out.test_panel = {0, 0, w, h};
    return out;
}

TopRightPlacement placeTopRight(int screen_width, int gears_width, int volume_width) {
    TopRightPlacement out;
    out.gears_left = screen_width - gears_width;
    out.volume_left = out.gears_left - volume_width - 20;
    return out;
}

}  // namespace tn
