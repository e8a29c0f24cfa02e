#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/screen_layout.h"

namespace tn {

// Launcher buttons: one push button per allowed program, two to a row.

// Default push-button height; the rows follow each other at this height plus 4.
inline constexpr int kLauncherButtonHeight = 25;

// Geometry of button `index` (0-based) on a panel `panel_width` wide. Buttons of even index start a
// new row at left 2, odd ones sit beside them; each is half the panel (integer division) minus 6 wide.
// `first_row` is the row number of the first row: 1 puts it one row pitch below the panel's top (the
// main window), 2 leaves that row free (the virtual desktop's "X" sits there).
Rect launcherButtonGeometry(std::size_t index, int panel_width, int first_row = 1);

// Object name of button `index`: "TEMPBUTTON" followed by the index in decimal.
std::string launcherButtonName(std::size_t index);
// The index read back from a button's object name; nullopt when the name is not of that form.
std::optional<std::size_t> launcherButtonIndex(std::string_view object_name);

}  // namespace tn
