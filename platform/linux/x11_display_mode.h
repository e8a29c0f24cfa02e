#pragma once

#include <string>

#include "platform/system.h"

namespace tn {

// The screen size of an X display through the RandR extension. record() remembers the current
// size; restore() switches back to it when a program has changed it meanwhile (games that run at a
// lower resolution and do not put it back when they end). Without the extension, or without a
// display, both do nothing.
class X11DisplayMode final : public IDisplayMode {
public:
    explicit X11DisplayMode(std::string display_name = {}) : display_name_(std::move(display_name)) {}
    void record() override;
    void restore() override;

private:
    std::string display_name_;
    int size_index_ = -1;  // of the recorded size in the server's size list; -1 when none
    unsigned short rotation_ = 0;
};

}  // namespace tn
