#include "websites/site_record.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tn {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string line;
    std::optional<Lines> fields;  // title, link, thumbnail; none = not a site
};

std::ostream& operator<<(std::ostream& out, const SplitCase& c) {
    return out << c.name;
}

const SplitCase kSplitCases[] = {
    {"Normal", "Games #| http://games.example #| games.png",
     Lines{"Games", "http://games.example", "games.png"}},
    {"FieldsPastTheThirdDropped", "A #| B #| C #| D #| E", Lines{"A", "B", "C"}},
    {"EmptyLinkBetweenSeparators", "A #|  #| C", Lines{"A", "", "C"}},
    {"EmptyTitle", " #| B #| C", Lines{"", "B", "C"}},
    {"EmptyThumbnailBeforeAFourthSeparator", "A #| B #|  #| ", Lines{"A", "B", ""}},
    {"SeparatorInTitleShiftsFields", "Tom #| Jerry #| http://cartoons #| t.png",
     Lines{"Tom", "Jerry", "http://cartoons"}},
    {"HomeMarkerLink", "Home #| HOMEHOMEHOME #| home.png", Lines{"Home", "HOMEHOMEHOME", "home.png"}},
    {"LowerCaseMarkerIsPlainData", "Home #| homehomehome #| home.png",
     Lines{"Home", "homehomehome", "home.png"}},
    {"BlanksInsideFieldsKept", "  A  #| B\t #| C ", Lines{"  A ", "B\t", "C "}},
    {"NonAsciiKept", "Caf\xe9 #| http://x #| \xff.png", Lines{"Caf\xe9", "http://x", "\xff.png"}},
    {"LoneCrInTitleCutsAsALineBreak", "A\rB #| C #| D", Lines{"A", "B", "C"}},
    {"TrailingSeparatorSkipped", "A #| B #| ", std::nullopt},
    {"TwoFieldsSkipped", "A #| B", std::nullopt},
    {"EmptyLineSkipped", "", std::nullopt},
    {"SeparatorWithoutBlanksIsData", "A#|B#|C", std::nullopt},
    {"OneBlankBetweenSeparatorsIsOneSeparator", "A #| #| C", std::nullopt},
    {"NulEndsTheRecord", "A #| B\0 #| C"s, std::nullopt},
};

class SiteRecordSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(SiteRecordSplit, Fields) {
    const SplitCase& c = GetParam();
    const auto site = splitSiteRecord(c.line);
    ASSERT_EQ(site.has_value(), c.fields.has_value());
    if (site) {
        EXPECT_EQ((Lines{site->title, site->link, site->thumbnail}), *c.fields);
    }

    SiteColumns columns;
    splitSiteRecords(TextList::fromLines({c.line}), columns);
    EXPECT_EQ(columns.titles.size(), c.fields ? 1u : 0u);
    EXPECT_EQ(columns.links.size(), columns.titles.size());
    EXPECT_EQ(columns.thumbnails.size(), columns.titles.size());
}

INSTANTIATE_TEST_SUITE_P(Records, SiteRecordSplit, testing::ValuesIn(kSplitCases),
                         [](const testing::TestParamInfo<SplitCase>& p) { return p.param.name; });

TEST(SiteRecord, HomeMarkerIsExactCase) {
    EXPECT_EQ(kHomeMarker, "HOMEHOMEHOME");
    EXPECT_NE(splitSiteRecord("Home #| homehomehome #| h.png")->link, kHomeMarker);
}

// Records that are not sites drop out of the columns without shifting the others; joining the columns
// gives the records in their written form, which split back into the same columns.
TEST(SiteRecord, ColumnsStayAlignedThroughSplitAndJoin) {
    const TextList records = TextList::fromLines({
        "Games #| http://games.example #| games.png",
        "",
        "Home #| HOMEHOMEHOME #| home.png",
        "broken #| record",
        "Tom #| Jerry #| http://cartoons #| t.png",
        "A #|  #| ",
        "Blank link #|  #| blank.png",
    });
    SiteColumns columns;
    columns.titles.append("kept");
    columns.links.append("http://kept");
    columns.thumbnails.append("kept.png");
    splitSiteRecords(records, columns);

    EXPECT_EQ(columns.titles.toVector(), (Lines{"kept", "Games", "Home", "Tom", "Blank link"}));
    EXPECT_EQ(columns.links.toVector(),
              (Lines{"http://kept", "http://games.example", "HOMEHOMEHOME", "Jerry", ""}));
    EXPECT_EQ(columns.thumbnails.toVector(),
              (Lines{"kept.png", "games.png", "home.png", "http://cartoons", "blank.png"}));

    const TextList joined = joinSiteRecords(columns);
    EXPECT_EQ(joined.toVector(), (Lines{
                                     "kept #| http://kept #| kept.png",
                                     "Games #| http://games.example #| games.png",
                                     "Home #| HOMEHOMEHOME #| home.png",
                                     "Tom #| Jerry #| http://cartoons",
                                     "Blank link #|  #| blank.png",
                                 }));
    SiteColumns again;
    splitSiteRecords(joined, again);
    EXPECT_EQ(again.titles, columns.titles);
    EXPECT_EQ(again.links, columns.links);
    EXPECT_EQ(again.thumbnails, columns.thumbnails);
}

}  // namespace
}  // namespace tn
