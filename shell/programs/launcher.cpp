#include "programs/launcher.h"

#include <charconv>

namespace tn {

namespace {
constexpr std::string_view kPrefix = "TEMPBUTTON";
}

Rect launcherButtonGeometry(std::size_t index, int panel_width, int first_row) {
    Rect r;
    r.width = panel_width / 2 - 6;
    r.height = kLauncherButtonHeight;
    const int row = first_row + static_cast<int>(index / 2);
    r.left = index % 2 == 0 ? 2 : r.width + 4;
    r.top = (kLauncherButtonHeight + 4) * row;
    return r;
}

std::string launcherButtonName(std::size_t index) {
    return std::string(kPrefix) + std::to_string(index);
}

std::optional<std::size_t> launcherButtonIndex(std::string_view object_name) {
    if (!object_name.starts_with(kPrefix)) return std::nullopt;
    const std::string_view digits = object_name.substr(kPrefix.size());
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
    return value;
}

}  // namespace tn
