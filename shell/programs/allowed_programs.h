#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_list.h"
#include "platform/system.h"

namespace tn {

// The allowed programs: display names ("files/appnames.ini") and the paths they start
// ("files/apppaths.ini"), entry i of one belonging to entry i of the other.
//
// The two files are meant to be equally long. When they are not (edited by hand, cut short by a
// full disk), the pairs are the first min(names, paths) entries: only those get launcher buttons and
// only those can be removed. The surplus lines of the longer file are never dropped, so they are
// written back unchanged by the next save; a new pair is inserted right after the last pair, which
// keeps every existing pairing intact.
class AllowedPrograms {
public:
    AllowedPrograms(TextList& names, TextList& paths) : names_(names), paths_(paths) {}

    std::size_t count() const { return std::min(names_.size(), paths_.size()); }
    std::string_view name(std::size_t i) const { return names_[i]; }
    std::string_view path(std::size_t i) const { return paths_[i]; }

    struct AddResult {
        bool added = false;
        std::string message;  // for the parent when nothing was added; empty otherwise
    };
    // Adds the program picked as `picked_path` (an executable, a document or a shortcut). Its name is
    // programName(picked_path); a name already listed (letter case ignored) is refused with
    // "Item "<name>" already exists". The stored path is the shortcut's target when the pick is a
    // ".lnk" shell link that resolves, else the picked path itself. A desktop entry is stored as
    // it is: its target is a command line, which only the entry itself can start with its folder.
    AddResult add(const std::string& picked_path, IShellLinks& links);
    // Removes the pair at index; an index outside the pairs (no selection) changes nothing.
    void remove(std::optional<std::size_t> index);

private:
    TextList& names_;
    TextList& paths_;
};

// The display name of a picked file: its file name without the extension of a Windows program or
// shortcut (".exe", ".lnk", ".com", ".bat") or of a desktop entry (".desktop"), any letter case.
// Other names are kept whole: Linux programs have no extension, and "xcalc" must not become "x".
// Empty when the path has no file name (it ends with "/").
std::string programName(std::string_view path);

// The target a shortcut starts: the resolved path of a ".lnk" shell link or the command line of a
// ".desktop" entry; empty when the path is not a shortcut that can be read.
std::string resolveShortcut(IShellLinks& links, const std::string& path);

// Whether the shortcut tree shows an entry: folders, ".lnk" shell links and ".desktop" entries.
bool shortcutTreeAdmits(std::string_view file_name, bool is_folder);

// The folders the shortcut tree starts from: the user's and the system's application menus
// ($XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS entry + "/applications"), those that exist,
// without repeats.
std::vector<std::string> programMenuFolders();

}  // namespace tn
