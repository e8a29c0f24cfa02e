#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/text_list.h"

namespace tn {

// The link that stands for the local home page instead of a web address (exact, case-sensitive).
inline constexpr std::string_view kHomeMarker = "HOMEHOMEHOME";
// Joins the three fields of a site record in "files/sites.ini".
inline constexpr std::string_view kSiteSeparator = " #| ";

struct SiteRecord {
    std::string title;
    std::string link;
    std::string thumbnail;  // file name inside "files/links/"
};

std::string joinSiteRecord(std::string_view title, std::string_view link, std::string_view thumbnail);

// Splits a record line: each separator becomes a line break and the text is cut into lines as a
// list file is (a break at the very end adds nothing). Fields past the third are dropped. A line
// that yields fewer than three fields is not a site: nullopt.
std::optional<SiteRecord> splitSiteRecord(std::string_view line);

// The site list held twice: the record lines and the three column lists, always of equal length.
struct SiteColumns {
    TextList titles;
    TextList links;
    TextList thumbnails;
};

// Appends the fields of every record line to the columns, skipping lines that are not sites.
void splitSiteRecords(const TextList& records, SiteColumns& columns);
// The record lines rebuilt from the columns, in order.
TextList joinSiteRecords(const SiteColumns& columns);

}  // namespace tn
