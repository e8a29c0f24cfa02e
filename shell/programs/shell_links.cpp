#include "programs/shell_links.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstddef>

#include "core/atomic_file.h"
#include "programs/shell_link_format.h"

namespace tn {
namespace {

constexpr std::string_view kShellLinkEnding = ".lnk";
constexpr std::string_view kDesktopEntryEnding = ".desktop";
// Shortcuts are small; a bigger file is not read at all.
constexpr off_t kLargestShortcut = 4 * 1024 * 1024;

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           std::equal(ending.begin(), ending.end(), text.end() - static_cast<std::ptrdiff_t>(ending.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

// "Paint" for ".../Paint.desktop".
std::string entryName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    path.remove_suffix(kDesktopEntryEnding.size());
    return std::string(path);
}

}  // namespace

ShortcutFormat shortcutFormat(std::string_view path) {
    if (endsWithIgnoringCase(path, kShellLinkEnding)) return ShortcutFormat::ShellLink;
    if (endsWithIgnoringCase(path, kDesktopEntryEnding)) return ShortcutFormat::DesktopEntry;
    return ShortcutFormat::None;
}

std::optional<IShellLinks::Target> LinuxShellLinks::resolve(const std::string& shortcut_path) {
    const ShortcutFormat format = shortcutFormat(shortcut_path);
    if (format == ShortcutFormat::None) return std::nullopt;
    struct stat st {};
    if (::stat(shortcut_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kLargestShortcut) {
        return std::nullopt;
    }
    std::string bytes;
    if (!readWholeFile(shortcut_path, bytes)) return std::nullopt;
    return format == ShortcutFormat::ShellLink ? parseShellLink(bytes) : parseDesktopEntry(bytes);
}

bool LinuxShellLinks::create(const std::string& shortcut_path, const Target& target) {
    std::optional<std::string> bytes;
    switch (shortcutFormat(shortcut_path)) {
        case ShortcutFormat::ShellLink:
            bytes = buildShellLink(target);
            break;
        case ShortcutFormat::DesktopEntry:
            bytes = buildDesktopEntry(target, entryName(shortcut_path));
            break;
        case ShortcutFormat::None:
            break;
    }
    return bytes && !writeFileAtomically(shortcut_path, *bytes);
}

}  // namespace tn
