#include "programs/allowed_programs.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "programs/shell_links.h"

namespace tn {

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           equalIgnoringCase(text.substr(text.size() - ending.size()), ending);
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string programName(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    std::string_view file = slash == std::string_view::npos ? path : path.substr(slash + 1);
    static constexpr std::array<std::string_view, 5> kEndings = {".exe", ".lnk", ".com", ".bat", ".desktop"};
    for (const std::string_view ending : kEndings) {
        if (file.size() > ending.size() && endsWithIgnoringCase(file, ending)) {
            file.remove_suffix(ending.size());
            break;
        }
    }
    return std::string(file);
}

std::string resolveShortcut(IShellLinks& links, const std::string& path) {
    if (const auto target = links.resolve(path)) return target->path;
    return {};
}

AllowedPrograms::AddResult AllowedPrograms::add(const std::string& picked_path, IShellLinks& links) {
    const std::string name = programName(picked_path);
    if (name.empty()) return {};
    for (const std::string_view listed : names_) {
        if (equalIgnoringCase(listed, name)) return {false, "Item \"" + name + "\" already exists"};
    }
    std::string stored = picked_path;
    if (shortcutFormat(picked_path) == ShortcutFormat::ShellLink) {
        const std::string target = resolveShortcut(links, picked_path);
        if (!target.empty()) stored = target;
    }
    const std::size_t at = count();
    names_.insert(at, name);
    paths_.insert(at, stored);
    return {true, {}};
}

void AllowedPrograms::remove(std::optional<std::size_t> index) {
    if (!index || *index >= count()) return;
    paths_.erase(*index);
    names_.erase(*index);
}

bool shortcutTreeAdmits(std::string_view file_name, bool is_folder) {
    return is_folder || shortcutFormat(file_name) != ShortcutFormat::None;
}

std::vector<std::string> programMenuFolders() {
    std::vector<std::string> candidates;
    const char* data_home = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (data_home && *data_home) {
        candidates.push_back(std::string(data_home) + "/applications");
    } else if (home && *home) {
        candidates.push_back(std::string(home) + "/.local/share/applications");
    }
    const char* data_dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view dirs = data_dirs && *data_dirs ? data_dirs : "/usr/local/share:/usr/share";
    while (!dirs.empty()) {
        const std::size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        if (!dir.empty()) candidates.push_back(std::string(dir) + "/applications");
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    }
    std::vector<std::string> folders;
    for (std::string& folder : candidates) {
        if (isFolder(folder) && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(std::move(folder));
    }
    return folders;
}

}  // namespace tn
