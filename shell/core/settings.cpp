#include "core/settings.h"

#include <charconv>
#include <stdexcept>

#include "core/list_file.h"

namespace tn {

std::optional<int> parseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        // from_chars would take the "-1" of "+-1".
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc{} || end != last) return std::nullopt;
    // from_chars takes "-" only as a sign in front of digits, so "-" alone is refused.
    return value;
}

void Settings::set(std::size_t n, std::string_view value) {
    if (n >= lines_.size()) throw std::out_of_range("settings line " + std::to_string(n) + " does not exist");
    lines_.set(n, value);
}

std::optional<SettingsProblem> loadSettingsFile(const std::string& path, const std::string& display_path,
                                                Settings& out) {
    TextList lines;
    if (!loadListFile(path, lines)) {
        return SettingsProblem{"The settings file \"" + display_path + "\" is missing or cannot be read.",
                               std::nullopt};
    }
    if (lines.size() < setting::kRequiredLines) {
        // The first missing line is the one at fault, counted from 1 as an editor shows it.
        return SettingsProblem{"The settings file \"" + display_path + "\" ends before line " +
                                   std::to_string(lines.size() + 1) + "; it must hold at least 25 lines.",
                               lines.size()};
    }
    const auto mustBeDecimal = [&](std::size_t n, const char* what) -> std::optional<SettingsProblem> {
        if (parseDecimal(lines[n])) return std::nullopt;
        return SettingsProblem{"The settings file \"" + display_path + "\", line " + std::to_string(n + 1) +
                                   " (" + what + "), must be a whole number but holds \"" +
                                   std::string(lines[n]) + "\".",
                               n};
    };
    if (auto p = mustBeDecimal(setting::kVolumePosition, "volume position")) return p;
    if (isYes(lines[setting::kTimerAtEveryStart])) {
        if (auto p = mustBeDecimal(setting::kTimerLength, "play timer length")) return p;
    }
    if (!lines[setting::kProxyAddress].empty() && !lines[setting::kProxyPort].empty()) {
        if (auto p = mustBeDecimal(setting::kProxyPort, "proxy port")) return p;
    }
    out = Settings(std::move(lines));
    return std::nullopt;
}

}  // namespace tn
