#include "websites/site_record.h"

#include <algorithm>

namespace tn {

std::string joinSiteRecord(std::string_view title, std::string_view link, std::string_view thumbnail) {
    std::string line;
    line.reserve(title.size() + link.size() + thumbnail.size() + 2 * kSiteSeparator.size());
    line.append(title).append(kSiteSeparator).append(link).append(kSiteSeparator).append(thumbnail);
    return line;
}

std::optional<SiteRecord> splitSiteRecord(std::string_view line) {
    std::string text;
    text.reserve(line.size());
    for (std::size_t pos = 0;;) {
        const std::size_t hit = line.find(kSiteSeparator, pos);
        if (hit == std::string_view::npos) {
            text.append(line.substr(pos));
            break;
        }
        text.append(line.substr(pos, hit - pos)).push_back('\n');
        pos = hit + kSiteSeparator.size();
    }
    const TextList fields = TextList::fromText(std::move(text));
    if (fields.size() < 3) return std::nullopt;
    return SiteRecord{std::string(fields[0]), std::string(fields[1]), std::string(fields[2])};
}

void splitSiteRecords(const TextList& records, SiteColumns& columns) {
    for (auto line : records) {
        if (auto site = splitSiteRecord(line)) {
            columns.titles.append(site->title);
            columns.links.append(site->link);
            columns.thumbnails.append(site->thumbnail);
        }
    }
}

TextList joinSiteRecords(const SiteColumns& columns) {
    TextList records;
    const std::size_t n = std::min({columns.titles.size(), columns.links.size(), columns.thumbnails.size()});
    for (std::size_t i = 0; i < n; ++i) {
        records.append(joinSiteRecord(columns.titles[i], columns.links[i], columns.thumbnails[i]));
    }
    return records;
}

}  // namespace tn
