#include "websites/link_panel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tn {
namespace {

using Lines = std::vector<std::string>;

// Site i: title "Ti", link "http://siteI.example", thumbnail "pI.png".
SiteColumns makeSites(int n) {
    SiteColumns sites;
    for (int i = 0; i < n; ++i) {
        const std::string id = std::to_string(i);
        sites.titles.append("T" + id);
        sites.links.append("http://site" + id + ".example");
        sites.thumbnails.append("p" + id + ".png");
    }
    return sites;
}

// Pictures named in `failing` report "cannot read <name>".
struct FakePictures {
    std::set<std::string> failing;
    LinkPanel::PictureLoader loader() {
        return [this](const std::string& name, int) -> std::optional<std::string> {
            if (failing.count(name)) return "cannot read " + name;
            return std::nullopt;
        };
    }
};

// The six images as "0 1 2 - - -": the entry each shows, "-" for blank.
std::string shown(const LinkPanel& panel) {
    std::string out;
    for (int k = 1; k <= LinkPanel::kImageCount; ++k) {
        if (k > 1) out += ' ';
        const auto entry = panel.shownEntry(k);
        out += entry ? std::to_string(*entry) : "-";
    }
    return out;
}

struct Fixture {
    SiteColumns sites;
    FakePictures pictures;
    LinkPanel panel{sites, "/data/", pictures.loader()};
    explicit Fixture(int n) : sites(makeSites(n)) {}
};

TEST(LinkPanelLayout, CentredAtTopOfScreen) {
    for (const auto& [w, left] :
         std::vector<std::pair<int, int>>{{1024, 87}, {1025, 87}, {1280, 215}, {800, -25}}) {
        EXPECT_EQ(LinkPanel::layout(w).panel, (Rect{left, 4, 850, 220})) << w;
    }
    const LinkPanelLayout l = LinkPanel::layout(1024);
    EXPECT_EQ(l.image_panel, (Rect{25, 4, 800, 177}));
    const int lefts[] = {32, 156, 280, 404, 528, 652};
    for (std::size_t k = 0; k < 6; ++k)
        EXPECT_EQ(l.images[k], (Rect{lefts[k], 9, 120, 160}));
    EXPECT_EQ(l.previous_arrow, (Rect{8, 48, 17, 73}));
    EXPECT_EQ(l.next_arrow, (Rect{775, 48, 17, 73}));
}

// Paging through the arrow pictures, starting with the one next page that start-up performs.
enum class Op { Start, Next, Previous };
struct Step {
    Op op;
    bool performed;
    const char* images;
    int cursor;
    bool button16, button17;
};
struct PagingCase {
    const char* name;
    int sites;
    std::vector<Step> steps;
};
std::ostream& operator<<(std::ostream& out, const PagingCase& c) {
    return out << c.name;
}

const PagingCase kPagingCases[] = {
    {"ThreeSites",
     3,
     {
         {Op::Start, true, "0 1 2 - - -", 6, false, false},
         {Op::Next, false, "0 1 2 - - -", 6, false, false},
         {Op::Previous, false, "0 1 2 - - -", 6, false, false},
     }},
    {"FourteenSites",
     14,
     {
         {Op::Start, true, "0 1 2 3 4 5", 6, false, true},
         {Op::Next, true, "6 7 8 9 10 11", 12, true, true},
         {Op::Next, true, "12 13 - - - -", 18, true, false},
         {Op::Next, false, "12 13 - - - -", 18, true, false},
         {Op::Previous, true, "6 7 8 9 10 11", 12, true, true},
         {Op::Previous, true, "0 1 2 3 4 5", 6, false, true},
         {Op::Previous, false, "0 1 2 3 4 5", 6, false, true},
     }},
    {"TwelveSitesWrapKeepsPreviousEnabled",
     12,
     {
         {Op::Start, true, "0 1 2 3 4 5", 6, false, true},
         {Op::Next, true, "6 7 8 9 10 11", 12, true, true},
         {Op::Next, true, "0 1 2 3 4 5", 6, true, true},
         {Op::Previous, true, "6 7 8 9 10 11", 12, true, true},
         {Op::Previous, true, "0 1 2 3 4 5", 6, false, true},
     }},
    // Cursor 6 lies on the end of the list: both ways wrap to the same page and both arrows stay live.
    {"SixSitesExactlyOnePage",
     6,
     {
         {Op::Start, true, "0 1 2 3 4 5", 6, false, true},
         {Op::Next, true, "0 1 2 3 4 5", 6, true, true},
         {Op::Previous, true, "0 1 2 3 4 5", 6, true, true},
         {Op::Next, true, "0 1 2 3 4 5", 6, true, true},
     }},
    {"NoSites",
     0,
     {
         {Op::Start, true, "- - - - - -", 6, false, false},
         {Op::Next, false, "- - - - - -", 6, false, false},
         {Op::Previous, false, "- - - - - -", 6, false, false},
     }},
};

class LinkPanelPaging : public testing::TestWithParam<PagingCase> {};

TEST_P(LinkPanelPaging, Sequence) {
    Fixture f(GetParam().sites);
    for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
        const Step& step = GetParam().steps[i];
        SCOPED_TRACE("step " + std::to_string(i));
        const PageResult r = step.op == Op::Start  ? f.panel.nextPage()
                             : step.op == Op::Next ? f.panel.image5Click()
                                                   : f.panel.image4Click();
        EXPECT_EQ(r.performed, step.performed);
        EXPECT_FALSE(r.message);
        EXPECT_TRUE(r.error_lines.empty());
        EXPECT_EQ(shown(f.panel), step.images);
        EXPECT_EQ(f.panel.cursor(), step.cursor);
        EXPECT_EQ(f.panel.button16Enabled(), step.button16);
        EXPECT_EQ(f.panel.button17Enabled(), step.button17);
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, LinkPanelPaging, testing::ValuesIn(kPagingCases),
                         [](const testing::TestParamInfo<PagingCase>& p) { return p.param.name; });

// Next page stops at the failing picture with the loader's text; the images before it are shown,
// the rest keep what they showed and the cursor stays.
TEST(LinkPanelFailures, NextPageStopsAtFailingPicture) {
    Fixture f(14);
    f.pictures.failing = {"p8.png"};
    f.panel.nextPage();
    const PageResult r = f.panel.image5Click();
    EXPECT_TRUE(r.performed);
    EXPECT_EQ(r.message, "cannot read p8.png");
    EXPECT_EQ(shown(f.panel), "6 7 2 3 4 5");
    EXPECT_EQ(f.panel.cursor(), 6);
    EXPECT_TRUE(f.panel.button16Enabled());  // set before the failure
    EXPECT_TRUE(f.panel.button17Enabled());

    f.pictures.failing.clear();
    f.panel.image5Click();
    EXPECT_EQ(shown(f.panel), "6 7 8 9 10 11");
}

// A failure right after a wrap leaves the cursor at 0, so every image's index lies before the list:
// hovering records each image's code and clicking opens nothing.
TEST(LinkPanelFailures, FailureAfterWrapLeavesCursorBeforeTheList) {
    Fixture f(12);
    f.panel.nextPage();
    f.panel.nextPage();
    f.panel.hoverImage(2);
    ASSERT_EQ(f.panel.linkLabel2(), "T7");

    f.pictures.failing = {"p0.png"};
    const PageResult r = f.panel.image5Click();
    EXPECT_EQ(r.message, "cannot read p0.png");
    EXPECT_EQ(f.panel.cursor(), 0);
    EXPECT_EQ(shown(f.panel), "6 7 8 9 10 11");

    const Lines hover_codes = {"error 000241", "error 000242", "error 000243",
                               "error 000247", "error 000245", "error 000246"};
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(f.panel.hoverImage(k), hover_codes[static_cast<std::size_t>(k - 1)]);
        EXPECT_EQ(f.panel.linkLabel2(), "T7");
    }
    for (int k = 1; k <= 6; ++k) {
        const ImageClick click = f.panel.clickImage(k);
        EXPECT_FALSE(click.address) << k;
        EXPECT_TRUE(click.hide_panel);
        EXPECT_EQ(click.error_line, k == 4 ? std::optional<std::string>("error 000244") : std::nullopt) << k;
    }

    // Previous page from cursor 0 starts again at the first page.
    f.pictures.failing.clear();
    EXPECT_TRUE(f.panel.image4Click().performed);
    EXPECT_EQ(shown(f.panel), "0 1 2 3 4 5");
    EXPECT_EQ(f.panel.cursor(), 6);
    EXPECT_FALSE(f.panel.button16Enabled());
}

// Previous page records a line per failing picture, keeps that image's old picture and goes on.
TEST(LinkPanelFailures, PreviousPageRecordsEachFailureAndGoesOn) {
    struct Case {
        const char* name;
        int sites_after;  // the list as it is when going back (sites removed meanwhile)
        std::set<std::string> failing;
        Lines lines;
        const char* images;
        int cursor;
    };
    const Case cases[] = {
        {"SomeFail", 14, {"p6.png", "p9.png"}, {"error 000234", "error 000238"}, "12 7 8 - 10 11", 12},
        {"AllFail",
         14,
         {"p6.png", "p7.png", "p8.png", "p9.png", "p10.png", "p11.png"},
         {"error 000234", "error 000236", "error 000237", "error 000238", "error 000239", "error 000240"},
         "12 13 - - - -",
         12},
        // Cursor 6 lies past a list shrunk to five: the page starts again at entry 0.
        {"AfterResetToFirstEntry",
         5,
         {"p0.png", "p1.png", "p2.png", "p3.png", "p4.png"},
         {"error 000235", "error 000236", "error 000237", "error 000238", "error 000239"},
         "12 13 - - - -",
         6},
        {"ResetWithoutFailure", 5, {}, {}, "0 1 2 3 4 -", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(14);
        for (int i = 0; i < 3; ++i)
            f.panel.nextPage();
        ASSERT_EQ(shown(f.panel), "12 13 - - - -");
        f.sites = makeSites(c.sites_after);
        f.pictures.failing = c.failing;
        const PageResult r = f.panel.image4Click();
        EXPECT_TRUE(r.performed);
        EXPECT_FALSE(r.message);
        EXPECT_EQ(r.error_lines, c.lines);
        EXPECT_EQ(shown(f.panel), c.images);
        EXPECT_EQ(f.panel.cursor(), c.cursor);
        EXPECT_EQ(f.panel.button17Enabled(), c.sites_after > 12);
    }
}

TEST(LinkPanelPointer, HoverShowsTitlesAndIgnoresBlankImages) {
    Fixture f(3);
    f.panel.nextPage();
    EXPECT_EQ(f.panel.hoverImage(2), std::nullopt);
    EXPECT_EQ(f.panel.linkLabel2(), "T1");
    for (int k : {4, 5, 6, 0, 7}) {
        EXPECT_EQ(f.panel.hoverImage(k), std::nullopt);
        EXPECT_EQ(f.panel.linkLabel2(), "T1") << k;
    }
    f.panel.hoverBetween();
    EXPECT_EQ(f.panel.linkLabel2(), "");
    f.panel.hoverImage(6);
    EXPECT_EQ(f.panel.linkLabel2(), "");
}

TEST(LinkPanelPointer, ClickOpensSiteOrOnlyHides) {
    SiteColumns sites;
    for (const char* link : {"HOMEHOMEHOME", "http://b.example/", "Homehomehome"}) {
        sites.titles.append("t");
        sites.links.append(link);
        sites.thumbnails.append("t.png");
    }
    LinkPanel panel(sites, "/data");
    panel.nextPage();
    EXPECT_EQ(panel.clickImage(1).address, "/data/files/index.htm");
    EXPECT_EQ(panel.clickImage(2).address, "http://b.example/");
    EXPECT_EQ(panel.clickImage(3).address, "Homehomehome");
    for (int k : {4, 5, 6}) {
        const ImageClick click = panel.clickImage(k);  // blank: nothing opens, no error, the panel hides
        EXPECT_FALSE(click.address);
        EXPECT_FALSE(click.error_line);
        EXPECT_TRUE(click.hide_panel);
    }
}

// Site list edits show up in clicks and titles at once, in the pictures only at the next page.
TEST(LinkPanelPointer, UsesEditedListsAtTheSameIndexes) {
    Fixture f(7);
    f.panel.nextPage();
    f.sites.titles.erase(0);
    f.sites.links.erase(0);
    f.sites.thumbnails.erase(0);
    EXPECT_EQ(shown(f.panel), "0 1 2 3 4 5");
    EXPECT_EQ(f.panel.clickImage(1).address, "http://site1.example");
    f.panel.hoverImage(6);
    EXPECT_EQ(f.panel.linkLabel2(), "T6");
    f.panel.nextPage();  // six sites left: cursor 6 wraps to the first page
    EXPECT_EQ(shown(f.panel), "0 1 2 3 4 5");
    EXPECT_EQ(f.panel.clickImage(1).address, "http://site1.example");
}

}  // namespace
}  // namespace tn
