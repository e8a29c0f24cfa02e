#pragma once

#include <string>
#include <vector>

#include "core/text_list.h"

namespace tn {

// The activities catalogue and the generated activities page.
//
// Each activity is a folder of its own in the activities folder (data directory + "Activities"),
// named after the activity (NAME), holding four files: "150x150.jpg" (the thumbnail), NAME ".html"
// (the entry page), NAME ".swf" and NAME ".txt" (the description, HTML allowed). The page
// "Activities.html" in the activities folder shows one table cell per enabled activity, three to a
// row. It is derived: rebuilt from scratch at start-up and at every settings save, never read back.

// The lists the activities subsystem keeps on the main window; the names are the controls' names.
struct ActivityLists {
    TextList EnabledActivityListBox;  // enabled list: "files/activities.ini", in display order
    TextList ActivityNameListBox;     // available list: the names found by the last scan
    TextList ActivitiesListBox;       // scan list: the paths of the folders found by the last scan
};

// The activities folder, the page in it and the enabled list's file, for a data directory that may
// end with "/" or not.
std::string activitiesFolderPath(const std::string& data_dir);
std::string activitiesPagePath(const std::string& data_dir);
std::string enabledActivitiesPath(const std::string& data_dir);

// One folder found by the scan.
struct ScannedFolder {
    std::string path;  // its real path: the parent's path, "/", its real name
    std::string name;  // the name it is listed under: its real name up to the first "]"
};

struct FolderScan {
    bool ok = false;      // false: the root is missing, not a folder, or cannot be listed
    std::string failure;  // why, when !ok: the root's path and the system's reason
    std::vector<ScannedFolder> folders;
};

// Every folder below root, at all depths, breadth-first: first the root's subfolders, then theirs,
// level by level. The root itself is not part of the result. A trailing "/" on root is ignored.
//
// - Within one folder, subfolders come in byte-wise order of their real names (no locale, no case
//   folding), so the result does not depend on the file system's directory order.
// - Hidden folders (a name starting with ".") are left out, and nothing below them is walked.
// - Symbolic links to folders count as folders. A folder that was already walked (reached again
//   through a link) is listed but not walked again, so link cycles end.
// - A subfolder whose own listing cannot be read is listed, without children; the scan goes on.
FolderScan scanActivityFolders(const std::string& root);

// The page's bytes and the problems met while building it.
struct ActivitiesPage {
    std::string html;  // every line, the last included, ends with CR LF
    // One line per problem, in order, for ErrorMessageMemo:
    //   "\"error 000254: NAME\""  the activity's folder or one of its four files is missing, or NAME
    //                             cannot name a folder of the activities folder (empty, ".", "..",
    //                             containing "/" or a line break)
    //   "error 000233: NAME"      its files are there but could not be examined or read
    std::vector<std::string> error_lines;
};

// Builds the activities page for the enabled list against the activities folder (no trailing "/"):
// the fixed 14 header lines, one cell per usable enabled entry in list order, and the footer.
// Every enabled entry, usable or not, takes a place in the row count: a row is closed with
// "</tr><tr>" before the fourth, seventh, ... entry, so a row can hold fewer than three cells. An
// entry enabled twice gives two cells. Writes nothing.
//
// NAME appears in the cell as is, except where a character would break the page or point the
// links elsewhere: in the link and the image source it is percent-encoded where it holds a control
// character, a byte of 0x80 or above, or one of  " # % & < > ? \  ; in the caption  & < > "  become
// character references. Names of letters, digits, spaces and other punctuation are written exactly
// as they stand. The description's lines go in unchanged: they belong to the activity and may carry
// markup.
ActivitiesPage buildActivitiesPage(const std::string& activities_folder, const TextList& enabled);

struct ActivitiesRebuild {
    bool page_written = false;  // "Activities.html" now holds the new page
    // Empty when the page was written; otherwise a sentence for a message box saying what failed.
    std::string failure;
    // Lines for ErrorMessageMemo, in order: "error 000232" for each scanned folder whose name cannot
    // be listed (empty once cut at "]", or holding a line break; it is left out of the available
    // list), then the page builder's lines. Filled even when writing the page fails.
    std::vector<std::string> error_lines;
};

// Rebuild activities page: loads the enabled list from "files/activities.ini" into
// EnabledActivityListBox, scans the activities folder into ActivitiesListBox (the paths) and
// ActivityNameListBox (the listed names, in scan order; nested folders included), builds the page
// and replaces "Activities.html" atomically. The caller then points the activities browser at
// activitiesPagePath().
//
// Failures leave the previous page in place and are returned, never thrown:
// - the enabled list's file cannot be read (missing, a folder, unreadable): nothing changes, not
//   even the lists in memory, so a later save cannot wipe a file that merely failed to load;
// - the activities folder is missing or cannot be listed: the enabled list is loaded, the scan and
//   available lists keep their contents;
// - writing the page fails: the lists are updated, the old file stays whole.
ActivitiesRebuild rebuildActivitiesPage(const std::string& data_dir, ActivityLists& lists);

}  // namespace tn
