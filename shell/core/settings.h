#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/text_list.h"

namespace tn {

// Line numbers of "files/config.ini". The meaning of a value is its position; lines not named here
// are reserved and carried through every write unchanged, as are lines after the last one.
namespace setting {
inline constexpr std::size_t kPassword = 0;
inline constexpr std::size_t kDisableCtrlAltDel = 3;
inline constexpr std::size_t kShowVolumeControl = 4;
inline constexpr std::size_t kVolumePosition = 5;
inline constexpr std::size_t kLinkScrolling = 6;
inline constexpr std::size_t kLastUpdateCheck = 7;
inline constexpr std::size_t kVersionStamp = 8;
inline constexpr std::size_t kAutomaticUpdates = 9;
inline constexpr std::size_t kServerBaseAddress = 10;
inline constexpr std::size_t kEnableNewActivities = 11;
inline constexpr std::size_t kBlockPopUps = 14;
inline constexpr std::size_t kProxyAddress = 17;
inline constexpr std::size_t kProxyPort = 18;
inline constexpr std::size_t kTimerAtEveryStart = 21;
inline constexpr std::size_t kTimerLength = 22;
inline constexpr std::size_t kLargeLinkPopUp = 24;
// The file must hold at least this many lines (0 to 24).
inline constexpr std::size_t kRequiredLines = 25;
}  // namespace setting

// A yes/no value: yes only when the text is exactly "yes" (case-sensitive, no blanks).
inline bool isYes(std::string_view value) {
    return value == "yes";
}
inline const char* yesNo(bool yes) {
    return yes ? "yes" : "no";
}

// A decimal integer as the settings file stores it: an optional sign and one or more ASCII digits,
// nothing else, within the range of int. Anything else gives nullopt.
std::optional<int> parseDecimal(std::string_view text);

// The settings list: "files/config.ini" held line by line. Reads and edits change memory only; the
// owner writes the file at the fixed moments with saveListFile.
class Settings {
public:
    Settings() = default;
    explicit Settings(TextList lines) : lines_(std::move(lines)) {}

    std::string_view line(std::size_t n) const { return lines_.at_or_empty(n); }
    bool yes(std::size_t n) const { return isYes(line(n)); }
    // Replaces line n in place. The list always has the required lines once validated; a line
    // beyond its end is never created here, so the file's shape cannot change by accident.
    void set(std::size_t n, std::string_view value);
    void setYes(std::size_t n, bool yes) { set(n, yesNo(yes)); }

    // Converts line n, which start-up has validated as decimal; 0 when it is not (the empty port).
    int integer(std::size_t n) const { return parseDecimal(line(n)).value_or(0); }

    const TextList& lines() const { return lines_; }
    TextList& lines() { return lines_; }

private:
    TextList lines_;
};

// Why a settings file cannot be used: the message names the file and, where one is at fault, the line
// as a text editor counts it (from 1); `line` is the 0-based setting number.
struct SettingsProblem {
    std::string message;
    std::optional<std::size_t> line;
};

// Loads and checks the settings file for start-up: it must exist, hold at least 25 lines, and hold
// decimal integers in line 5, in line 22 when line 21 is "yes", and in line 18 when it and line 17
// are both non-empty. display_path is the name used in the message.
std::optional<SettingsProblem> loadSettingsFile(const std::string& path, const std::string& display_path,
                                                Settings& out);

}  // namespace tn
