#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace tn {

using ShortcutTarget = IShellLinks::Target;

// ---- Shell links (".lnk") ----------------------------------------------------------------------
//
// Reading takes the target from LinkInfo: the local base path followed by the common path suffix
// (the Unicode copies when the link has them), else the network share name followed by "\" and the
// suffix; a link without usable LinkInfo falls back to its relative path. The item ID list and the
// extra data blocks are skipped, never interpreted. The working folder comes from the string data.
//
// Paths come back as stored, Windows paths included ("C:\Windows\notepad.exe"). UTF-16 strings are
// converted to UTF-8 (a lone surrogate becomes U+FFFD). Code-page strings that are valid UTF-8 are
// kept; any other code-page string is read as Windows-1252.
//
// Every size and offset is checked against the bytes it points into. Bytes that are not a complete
// link (up to and including the terminal extra-data block), or a link that names no target, give
// nullopt.
std::optional<ShortcutTarget> parseShellLink(std::string_view bytes);

// A link with LinkInfo (a fixed-disk volume, the local base path in both the code page and UTF-16)
// and, when the working folder is not empty, a UTF-16 working folder. nullopt when the target is
// empty, a string is not valid UTF-8, the target holds a NUL or the working folder is too long for
// the format (65535 UTF-16 units).
std::optional<std::string> buildShellLink(const ShortcutTarget& target);

// ---- Desktop entries (".desktop") --------------------------------------------------------------
//
// The [Desktop Entry] group of a freedesktop desktop entry, where Type is "Application" and Exec
// names a command. The target's path is that command line with its field codes removed (an argument
// made only of field codes is dropped, "%%" becomes "%") and its arguments quoted again as
// joinCommandLine() does; the working folder is the Path key, or empty. Anything else: nullopt.
std::optional<ShortcutTarget> parseDesktopEntry(std::string_view text);

// A minimal application entry called name, whose Exec runs target.path (a command line as
// splitCommandLine() reads it) in target.working_folder. nullopt when the command line is empty or
// malformed, or a value holds a NUL.
std::optional<std::string> buildDesktopEntry(const ShortcutTarget& target, std::string_view name);

// ---- Command lines ------------------------------------------------------------------------------
//
// The quoting of the Exec key: arguments are separated by spaces, tabs or line breaks; double quotes
// group an argument, and inside them a backslash makes the next '"', '`', '$' or '\' literal.
// No field codes. nullopt when a quote is left open.
std::optional<std::vector<std::string>> splitCommandLine(std::string_view line);

// The inverse: arguments that are empty or hold a space or a shell-reserved character are quoted.
std::string joinCommandLine(const std::vector<std::string>& arguments);

}  // namespace tn
