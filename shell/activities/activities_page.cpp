#include "activities/activities_page.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "core/atomic_file.h"
#include "core/list_file.h"

namespace tn {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The fixed top of the page, up to the opening of the first row. Several lines end with a space.
constexpr std::string_view kHeader[] = {
    "<html>",
    "<head>",
    "<title>Bright Wing</title>",
    "</head>",
    "<body text=\"#FFFF00\" ",
    "bgcolor=\"#666666\">",
    "<p align=\"center\"><font ",
    "size=\"7\">Activities</font></p>",
    "<div align=\"center\">",
    "\t<table border=\"0\" ",
    "width=\"700\" id=\"table1\" ",
    "cellspacing=\"4\" cellpadding=\"3\" ",
    "bgcolor=\"#C0C0C0\">",
    "\t\t<tr>",
};
constexpr std::string_view kRowBreak = "</tr><tr>";
constexpr std::string_view kFooter = "</tr></table></div></body></html>";

constexpr std::string_view kCellOpen =
    "<td bgcolor=\"#000000\"  align=\"center\"><table border=\"0\" width=\"300\"><tr><td><a href=\"";
constexpr std::string_view kImageOpen = "\"><img border=\"0\" src=\"";
constexpr std::string_view kImageClose = "\"></a>";
constexpr std::string_view kCaptionOpen = "</td><td><p align=\"center\"><font color=\"#FFFFFF\"><b>";
constexpr std::string_view kDescriptionOpen = "</b></font></p><p><font color=\"#FFFFFF\">";
constexpr std::string_view kCellClose = "</font></td></tr></table></td>";

constexpr int kCellsPerRow = 3;
constexpr std::string_view kThumbnail = "150x150.jpg";

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string systemReason(int error_number) {
    return std::generic_category().message(error_number);
}

void appendLine(std::string& page, std::string_view line) {
    page += line;
    page += kCrLf;
}

// A relative link path names the file the name names, whatever the page's encoding is taken to be:
// bytes a URL would read differently (fragment, query, escapes, backslashes, bytes outside ASCII)
// are percent-encoded, and so are the ones that would end or confuse the quoted attribute.
std::string urlSegment(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool encode = byte < 0x20 || byte >= 0x7F || c == '"' || c == '#' || c == '%' || c == '&' ||
                            c == '<' || c == '>' || c == '?' || c == '\\';
        if (encode) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

// Text between tags: markup characters become character references.
std::string htmlText(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A name the activities folder can hold as a direct subfolder and a list file can hold as a line.
bool namesActivityFolder(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\r\n") == std::string_view::npos;
}

enum class Presence { kPresent, kMissing, kError };

// Whether path is there as a folder (want_folder) or a regular file; links are followed. A path
// that is absent, or there as something else, is missing; any other failure to look is an error.
Presence presence(const std::string& path, bool want_folder) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? Presence::kMissing : Presence::kError;
    }
    const bool right_kind = want_folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
    return right_kind ? Presence::kPresent : Presence::kMissing;
}

struct Subfolder {
    std::string name;
    dev_t device;
    ino_t inode;
};

// The visible subfolders of folder, in byte-wise order of their names. Returns 0, or the error
// number when the folder cannot be listed.
int listSubfolders(const std::string& folder, std::vector<Subfolder>& out) {
    out.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return errno;
    const int dir_fd = ::dirfd(dir);
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            error = errno;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name.empty() || name.front() == '.') continue;  // hidden, "." and ".."
        if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
        struct stat st {};
        if (::fstatat(dir_fd, entry->d_name, &st, 0) != 0 || !S_ISDIR(st.st_mode)) continue;
        out.push_back({std::string(name), st.st_dev, st.st_ino});
    }
    ::closedir(dir);
    if (error != 0) {
        out.clear();
        return error;
    }
    // std::string compares as unsigned bytes.
    std::sort(out.begin(), out.end(), [](const Subfolder& a, const Subfolder& b) { return a.name < b.name; });
    return 0;
}

}  // namespace

std::string activitiesFolderPath(const std::string& data_dir) {
    return joinPath(data_dir, "Activities");
}

std::string activitiesPagePath(const std::string& data_dir) {
    return joinPath(activitiesFolderPath(data_dir), "Activities.html");
}

std::string enabledActivitiesPath(const std::string& data_dir) {
    return joinPath(data_dir, "files/activities.ini");
}

FolderScan scanActivityFolders(const std::string& root) {
    FolderScan scan;
    std::string top = root;
    while (top.size() > 1 && top.back() == '/')
        top.pop_back();

    struct stat st {};
    if (::stat(top.c_str(), &st) != 0) {
        scan.failure = "the activities folder \"" + top + "\" cannot be read (" + systemReason(errno) + ")";
        return scan;
    }
    if (!S_ISDIR(st.st_mode)) {
        scan.failure = "\"" + top + "\" is not a folder";
        return scan;
    }

    // Folders already walked or waiting to be, by identity: a link back up the tree is not followed.
    std::set<std::pair<dev_t, ino_t>> seen{{st.st_dev, st.st_ino}};
    std::vector<bool> walk;  // per entry of scan.folders: whether its children are still to be read
    std::vector<Subfolder> children;

    auto addChildren = [&](const std::string& parent) {
        for (auto& child : children) {
            const auto cut = child.name.find(']');
            std::string listed = child.name.substr(0, cut);
            scan.folders.push_back({joinPath(parent, child.name), std::move(listed)});
            walk.push_back(seen.insert({child.device, child.inode}).second);
        }
    };

    if (const int error = listSubfolders(top, children); error != 0) {
        scan.failure = "the activities folder \"" + top + "\" cannot be read (" + systemReason(error) + ")";
        return scan;
    }
    addChildren(top);
    for (std::size_t i = 0; i < scan.folders.size(); ++i) {
        if (!walk[i]) continue;
        const std::string parent = scan.folders[i].path;  // a copy: the vector grows below
        if (listSubfolders(parent, children) != 0) continue;
        addChildren(parent);
    }
    scan.ok = true;
    return scan;
}

ActivitiesPage buildActivitiesPage(const std::string& activities_folder, const TextList& enabled) {
    ActivitiesPage page;
    std::string& html = page.html;
    for (const auto line : kHeader)
        appendLine(html, line);

    int cells_in_row = 0;
    for (const std::string_view name : enabled) {
        if (cells_in_row == kCellsPerRow) {
            appendLine(html, kRowBreak);
            cells_in_row = 0;
        }
        ++cells_in_row;

        const std::string missing_line = "\"error 000254: " + std::string(name) + "\"";
        if (!namesActivityFolder(name)) {
            page.error_lines.push_back(missing_line);
            continue;
        }
        const std::string folder = joinPath(activities_folder, name);
        const std::string base = joinPath(folder, name);
        const std::string description_path = base + ".txt";
        // In this order, stopping at the first that is not there.
        const std::pair<std::string, bool> required[] = {
            {folder, true},
            {joinPath(folder, kThumbnail), false},
            {base + ".html", false},
            {base + ".swf", false},
            {description_path, false},
        };
        Presence found = Presence::kPresent;
        for (const auto& [path, want_folder] : required) {
            found = presence(path, want_folder);
            if (found != Presence::kPresent) break;
        }
        TextList description;
        if (found == Presence::kPresent && !loadListFile(description_path, description)) {
            found = Presence::kError;
        }
        if (found == Presence::kMissing) {
            page.error_lines.push_back(missing_line);
            continue;
        }
        if (found == Presence::kError) {
            page.error_lines.push_back("error 000233: " + std::string(name));
            continue;
        }

        const std::string segment = urlSegment(name);
        std::string link_line(kCellOpen);
        link_line += segment + "/" + segment + ".html";
        link_line += kImageOpen;
        link_line += segment + "/" + std::string(kThumbnail);
        link_line += kImageClose;
        appendLine(html, link_line);
        appendLine(html, kCaptionOpen);
        appendLine(html, htmlText(name));
        appendLine(html, kDescriptionOpen);
        for (const auto line : description)
            appendLine(html, line);
        appendLine(html, kCellClose);
    }

    appendLine(html, kFooter);
    return page;
}

ActivitiesRebuild rebuildActivitiesPage(const std::string& data_dir, ActivityLists& lists) {
    ActivitiesRebuild result;
    const std::string not_rebuilt = "The activities page was not rebuilt: ";

    const std::string list_path = enabledActivitiesPath(data_dir);
    TextList enabled;
    if (!loadListFile(list_path, enabled)) {
        struct stat st {};
        const std::string reason = ::stat(list_path.c_str(), &st) != 0 ? systemReason(errno)
                                   : S_ISDIR(st.st_mode)               ? "it is a folder"
                                                                       : "it cannot be read";
        result.failure = not_rebuilt + "the list of enabled activities \"" + list_path +
                         "\" cannot be read (" + reason + ").";
        return result;
    }
    lists.EnabledActivityListBox = std::move(enabled);

    const std::string folder = activitiesFolderPath(data_dir);
    FolderScan scan = scanActivityFolders(folder);
    if (!scan.ok) {
        result.failure = not_rebuilt + scan.failure + ".";
        return result;
    }
    lists.ActivitiesListBox.clear();
    lists.ActivityNameListBox.clear();
    for (const auto& found : scan.folders) {
        lists.ActivitiesListBox.append(found.path);
        // A name a list file could not hold as one line, or nothing at all, is no use to the parent.
        if (found.name.empty() || found.name.find_first_of("\r\n") != std::string::npos) {
            result.error_lines.push_back("error 000232");
            continue;
        }
        lists.ActivityNameListBox.append(found.name);
    }

    ActivitiesPage page = buildActivitiesPage(folder, lists.EnabledActivityListBox);
    result.error_lines.insert(result.error_lines.end(), page.error_lines.begin(), page.error_lines.end());

    const std::string page_path = activitiesPagePath(data_dir);
    if (const std::error_code error = writeFileAtomically(page_path, page.html)) {
        result.failure = "The activities page \"" + page_path + "\" could not be written (" +
                         error.message() + "); the previous page is kept.";
        return result;
    }
    result.page_written = true;
    return result;
}

}  // namespace tn
