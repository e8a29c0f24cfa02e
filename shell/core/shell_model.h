#pragma once

#include "activities/activities_page.h"
#include "core/settings.h"
#include "core/text_list.h"
#include "websites/blocked_list.h"
#include "websites/site_record.h"

namespace tn {

// The shell's in-memory model: the lists every subsystem reads and edits, loaded at start-up and
// written back to their files at fixed moments. Member names are the names the subsystems use.
struct ShellModel {
    Settings SettingsList;              // "files/config.ini"
    TextList ListBox1;                  // site record lines, "files/sites.ini"
    SiteColumns sites;                  // TitleList, LinkList, ImageList split from ListBox1
    BlockedList BlockedSiteListBox;     // "files/blocked.ini", with its index
    TextList DeletedBlackListBox;       // "files/deletedbl.ini"
    TextList AppNameListBox;            // "files/appnames.ini"
    TextList AppPathListBox;            // "files/apppaths.ini"
    TextList SuggestedSiteLinks;        // "files/SuggestedWebsites.ini"
    TextList SuggestedWebsitesListBox;  // "files/Suggestedsitetitles.ini"
    TextList UpdateSummary;             // "files/summary.ini"
    ActivityLists activities;           // enabled, available and scanned activities
    TextList RestartMemo;               // first line "yes" while a restart through the updater is pending
};

}  // namespace tn
