#include "platform/linux/x11_desktop.h"

namespace tn {

X11Desktop::X11Desktop(const std::string& display_name) : windows_(display_name) {}

void X11Desktop::minimizeAll() {
    for (const auto& window : windows_.list(false))
        windows_.minimize(window.id);
}

void X11Desktop::showTaskBar() {
    for (const auto id : windows_.panels())
        windows_.mapRaised(id);
}

}  // namespace tn
