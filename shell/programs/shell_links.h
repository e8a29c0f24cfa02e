#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/system.h"

namespace tn {

// Which format a shortcut file is in, by its name's ending (any letter case).
enum class ShortcutFormat { None, ShellLink, DesktopEntry };
ShortcutFormat shortcutFormat(std::string_view path);

// Shortcut files on Linux: ".lnk" shell links and ".desktop" entries (see shell_link_format.h).
// Any other file is not a shortcut: resolve() gives nullopt and create() fails. Shortcuts are
// written atomically; a desktop entry is named after its file ("Paint.desktop" is "Paint").
class LinuxShellLinks final : public IShellLinks {
public:
    std::optional<Target> resolve(const std::string& shortcut_path) override;
    bool create(const std::string& shortcut_path, const Target& target) override;
};

}  // namespace tn
