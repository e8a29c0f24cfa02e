#include "platform/linux/x11_display_mode.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <memory>

namespace tn {

namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
struct ConfigFreer {
    void operator()(XRRScreenConfiguration* c) const { XRRFreeScreenConfigInfo(c); }
};

// A short connection per call: the display mode changes rarely, and holding no connection means a
// server that has gone away costs nothing.
std::unique_ptr<Display, DisplayCloser> open(const std::string& name) {
    return std::unique_ptr<Display, DisplayCloser>(XOpenDisplay(name.empty() ? nullptr : name.c_str()));
}

bool hasRandr(Display* d) {
    int event_base = 0;
    int error_base = 0;
    return XRRQueryExtension(d, &event_base, &error_base) != 0;
}

}  // namespace

void X11DisplayMode::record() {
    size_index_ = -1;
    const auto d = open(display_name_);
    if (!d || !hasRandr(d.get())) return;
    const std::unique_ptr<XRRScreenConfiguration, ConfigFreer> config(
        XRRGetScreenInfo(d.get(), DefaultRootWindow(d.get())));
    if (!config) return;
    Rotation rotation = 0;
    size_index_ = XRRConfigCurrentConfiguration(config.get(), &rotation);
    rotation_ = rotation;
}

void X11DisplayMode::restore() {
    if (size_index_ < 0) return;
    const auto d = open(display_name_);
    if (!d || !hasRandr(d.get())) return;
    const Window root = DefaultRootWindow(d.get());
    const std::unique_ptr<XRRScreenConfiguration, ConfigFreer> config(XRRGetScreenInfo(d.get(), root));
    if (!config) return;
    Rotation rotation = 0;
    const SizeID current = XRRConfigCurrentConfiguration(config.get(), &rotation);
    if (current == size_index_ && rotation == rotation_) return;
    XRRSetScreenConfig(d.get(), config.get(), root, static_cast<SizeID>(size_index_), rotation_, CurrentTime);
    XSync(d.get(), False);
}

}  // namespace tn
