#include "websites/link_carousel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tn {
namespace {

using Lines = std::vector<std::string>;

// Site i: title "Ti", link "http://siteI.example", thumbnail "pI.png".
SiteColumns makeSites(int n, const std::string& prefix = "") {
    SiteColumns sites;
    for (int i = 0; i < n; ++i) {
        const std::string id = prefix + std::to_string(i);
        sites.titles.append("T" + id);
        sites.links.append("http://site" + id + ".example");
        sites.thumbnails.append("p" + id + ".png");
    }
    return sites;
}

// Records every picture request; names in `failing` cannot be loaded.
struct FakeThumbnails {
    std::set<std::string> failing;
    std::vector<std::pair<std::string, int>> calls;
    LinkCarousel::ThumbnailLoader loader() {
        return [this](const std::string& name, int slot) {
            calls.emplace_back(name, slot);
            return failing.count(name) == 0;
        };
    }
};

Lines slotTitles(const LinkCarousel& c) {
    Lines out;
    for (int k = 1; k <= LinkCarousel::kSlotCount; ++k)
        out.push_back(c.slot(k).title);
    return out;
}

std::vector<int> slotLefts(const LinkCarousel& c) {
    std::vector<int> out;
    for (int k = 1; k <= LinkCarousel::kSlotCount; ++k)
        out.push_back(c.slot(k).left);
    return out;
}

// The carousel as start-up leaves it on a 1024 × 768 screen: slots at 556, 617, 678, 739, 800.
struct Started {
    FakeThumbnails thumbnails;
    LinkCarousel carousel{thumbnails.loader()};
    explicit Started(int sites, bool scrolling_on = true) {
        carousel.layout(1024, 768);
        carousel.setScrollTimerEnabled(scrolling_on);
        carousel.load(makeSites(sites));
        thumbnails.calls.clear();
    }
};

constexpr int kStartLeft = 556;
constexpr int kRing = 5 * (LinkCarousel::kSlotWidth + 1);

TEST(LinkCarouselLayout, PlacesControlsFromScreenSize) {
    struct Case {
        int w, h;
        int arrow_left, height, wrap_limit;
    };
    // Halves round to even: 1025 / 2 = 512.5 → 512, 1027 / 2 = 513.5 → 514.
    const Case cases[] = {
        {1024, 768, 512, 60, 496},
        {1025, 600, 512, 47, 496},
        {1027, 1024, 514, 80, 498},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        LinkCarousel carousel;
        const CarouselLayout l = carousel.layout(c.w, c.h);
        const int first = c.arrow_left + 44;
        EXPECT_EQ(l.left_arrow, (Rect{c.arrow_left, 16, 44, 50}));
        EXPECT_EQ(l.right_arrow, (Rect{first + 244, 16, 44, 50}));
        EXPECT_EQ(l.left_blank_out, (Rect{first - 80, 0, 80, c.height}));
        EXPECT_EQ(l.right_blank_out, (Rect{first + 244, 0, 80, c.height}));
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(l.slots[static_cast<std::size_t>(k)], (Rect{first + 61 * k, 0, 60, c.height}));
            EXPECT_EQ(carousel.slot(k + 1).left, first + 61 * k);
        }
        EXPECT_EQ(l.title_label_left, c.arrow_left - 10);
        EXPECT_EQ(l.title_label_top, 8);
        EXPECT_EQ(l.left_wrap_limit, c.wrap_limit);
        EXPECT_EQ(carousel.leftWrapLimit(), c.wrap_limit);
        EXPECT_EQ(carousel.rightArrowLeft(), first + 244);
    }
}

TEST(LinkCarouselLayout, At1024By768) {
    LinkCarousel carousel;
    const CarouselLayout l = carousel.layout(1024, 768);
    EXPECT_EQ(l.left_arrow.left, 512);
    EXPECT_EQ(slotLefts(carousel), (std::vector<int>{556, 617, 678, 739, 800}));
    EXPECT_EQ(l.right_arrow.left, 800);  // slot 5 starts exactly under the right arrow
    EXPECT_EQ(l.left_wrap_limit, 496);
    EXPECT_EQ(l.slots[0].height, 60);
}

TEST(LinkCarouselLoad, MoreThanFiveSitesFillsSlotsAndQueue) {
    FakeThumbnails thumbnails;
    LinkCarousel carousel(thumbnails.loader());
    carousel.layout(1024, 768);
    carousel.load(makeSites(6));

    EXPECT_EQ(slotTitles(carousel), (Lines{"T0", "T1", "T2", "T3", "T4"}));
    EXPECT_EQ(carousel.slot(3).link, "http://site2.example");
    EXPECT_EQ(carousel.slot(3).picture, "p2.png");
    EXPECT_EQ(thumbnails.calls,
              (std::vector<std::pair<std::string, int>>{
                  {"p0.png", 1}, {"p1.png", 2}, {"p2.png", 3}, {"p3.png", 4}, {"p4.png", 5}}));
    EXPECT_EQ(carousel.titleQueBox().toVector(), (Lines{"T5", "T0", "T1", "T2", "T3", "T4"}));
    EXPECT_EQ(carousel.linkQueBox()[0], "http://site5.example");
    EXPECT_EQ(carousel.imageQueBox().toVector(),
              (Lines{"p5.png", "p0.png", "p1.png", "p2.png", "p3.png", "p4.png"}));
    // Switched on whatever the scrolling setting; the load moves nothing.
    EXPECT_EQ(carousel.scrollTimer(), (TimerState{true, 33}));
    EXPECT_TRUE(carousel.resumeAfterSave());
    EXPECT_EQ(slotLefts(carousel), (std::vector<int>{556, 617, 678, 739, 800}));
    EXPECT_EQ(carousel.step(), -1);
}

// Six sites: after 60 one-pixel ticks slot 1 reaches the wrap limit and brings site 5 in on the right;
// 61 ticks later slot 2 wraps and brings site 0.
TEST(LinkCarouselForward, SixSitesFirstTwoWraps) {
    struct Stage {
        int ticks;
        std::vector<int> lefts;
        Lines titles;
        Lines queue;
        std::vector<std::pair<std::string, int>> loads;
    };
    const Stage stages[] = {
        {59,
         {497, 558, 619, 680, 741},
         {"T0", "T1", "T2", "T3", "T4"},
         {"T5", "T0", "T1", "T2", "T3", "T4"},
         {}},
        {1,
         {801, 557, 618, 679, 740},
         {"T5", "T1", "T2", "T3", "T4"},
         {"T0", "T1", "T2", "T3", "T4", "T5"},
         {{"p5.png", 1}}},
        {60,
         {741, 497, 558, 619, 680},
         {"T5", "T1", "T2", "T3", "T4"},
         {"T0", "T1", "T2", "T3", "T4", "T5"},
         {}},
        {1,
         {740, 801, 557, 618, 679},
         {"T5", "T0", "T2", "T3", "T4"},
         {"T1", "T2", "T3", "T4", "T5", "T0"},
         {{"p0.png", 2}}},
    };
    Started s(6);
    for (const Stage& stage : stages) {
        for (int i = 0; i < stage.ticks; ++i)
            s.carousel.forwardTick(true);
        EXPECT_EQ(slotLefts(s.carousel), stage.lefts);
        EXPECT_EQ(slotTitles(s.carousel), stage.titles);
        EXPECT_EQ(s.carousel.titleQueBox().toVector(), stage.queue);
        EXPECT_EQ(s.thumbnails.calls, stage.loads);
        s.thumbnails.calls.clear();
    }
    EXPECT_EQ(s.carousel.slot(1).link, "http://site5.example");
    EXPECT_EQ(s.carousel.slot(2).picture, "p0.png");
    EXPECT_EQ(s.carousel.linkQueBox()[0], "http://site1.example");
    EXPECT_EQ(s.carousel.imageQueBox()[5], "p0.png");
    EXPECT_EQ(s.carousel.scrollTimer(), (TimerState{true, 33}));
}

// Over a long run every site comes round in order and the queues stay aligned.
TEST(LinkCarouselForward, LongRunCyclesAllSitesInOrder) {
    Started s(7);
    for (int i = 0; i < 61 * 14 + 60; ++i)
        s.carousel.forwardTick(true);
    ASSERT_EQ(s.thumbnails.calls.size(), 15u);
    for (std::size_t w = 0; w < s.thumbnails.calls.size(); ++w) {
        EXPECT_EQ(s.thumbnails.calls[w].first, "p" + std::to_string((w + 5) % 7) + ".png");
        EXPECT_EQ(s.thumbnails.calls[w].second, static_cast<int>(w % 5) + 1);
    }
    for (std::size_t i = 0; i < 7; ++i) {
        const std::string id(s.carousel.titleQueBox()[i].substr(1));
        EXPECT_EQ(s.carousel.linkQueBox()[i], "http://site" + id + ".example");
        EXPECT_EQ(s.carousel.imageQueBox()[i], "p" + id + ".png");
    }
}

TEST(LinkCarouselForward, ScrollingOffMovesOnePixelThenStands) {
    Started s(6, /*scrolling_on=*/false);
    EXPECT_TRUE(s.carousel.scrollTimer().enabled);  // the load switched it on
    s.carousel.forwardTick(false);
    EXPECT_FALSE(s.carousel.scrollTimer().enabled);
    EXPECT_EQ(slotLefts(s.carousel), (std::vector<int>{555, 616, 677, 738, 799}));
}

// The arrows, the fast phases and the shared step and countdown, as sequences of events. After each
// row the step, countdown and both timers are checked, and the strip must have moved by `moved`
// pixels in total (wraps shift a slot by a whole ring, so the offset is compared modulo the ring).
enum class Ev { Tick, Reverse, Down, Up, Click, Leave };
struct Row {
    Ev ev;
    CarouselArrow arrow = CarouselArrow::Right;
    int times = 1;
    bool setting = true;  // check box for Tick and Leave, line 6 for Reverse
    int step, countdown;
    TimerState scroll, reverse;
    int moved;
};
struct ArrowCase {
    const char* name;
    std::vector<Row> rows;
};
std::ostream& operator<<(std::ostream& out, const ArrowCase& c) {
    return out << c.name;
}

constexpr auto L = CarouselArrow::Left;
constexpr auto R = CarouselArrow::Right;
constexpr TimerState kOn33{true, 33}, kOn1{true, 1}, kOff33{false, 33}, kOff1{false, 1};

const ArrowCase kArrowCases[] = {
    {"RightArrowHeldDuringFastPhase",
     {
         {Ev::Click, R, 1, true, -6, 47, kOn1, kOff33, 0},
         {Ev::Tick, R, 10, true, -6, 37, kOn1, kOff33, -60},
         {Ev::Down, R, 1, true, 1, 37, kOn1, kOff33, -60},
         {Ev::Tick, R, 5, true, 1, 32, kOn1, kOff33, -55},
         {Ev::Click, R, 1, true, -6, 47, kOn1, kOff33, -55},
         {Ev::Up, R, 1, true, -6, 47, kOn1, kOff33, -55},
         {Ev::Tick, R, 47, true, -6, 0, kOn1, kOff33, -337},
         {Ev::Tick, R, 1, true, -1, 0, kOn33, kOff33, -338},
     }},
    {"RightArrowPressWithoutFastPhaseLastsOneTick",
     {
         {Ev::Tick, R, 3, true, -1, 0, kOn33, kOff33, -3},
         {Ev::Down, R, 1, true, 1, 0, kOn1, kOff33, -3},
         {Ev::Tick, R, 1, true, -1, 0, kOn33, kOff33, -4},
         {Ev::Up, R, 1, true, -1, 0, kOn33, kOff33, -4},
     }},
    {"FastForwardEndsStoppedWhenScrollingIsOff",
     {
         {Ev::Click, R, 1, true, -6, 47, kOn1, kOff33, 0},
         {Ev::Tick, R, 47, false, -6, 0, kOn1, kOff33, -282},
         {Ev::Tick, R, 1, false, -1, 0, kOff33, kOff33, -283},
     }},
    {"LeftArrowFastReverse",
     {
         {Ev::Down, L, 1, true, -1, 0, kOn33, kOff33, 0},
         {Ev::Click, L, 1, true, 6, 49, kOff33, kOn1, 0},
         {Ev::Up, L, 1, true, 6, 49, kOff33, kOn1, 0},
         {Ev::Reverse, L, 49, true, 6, 0, kOff33, kOn1, 294},
         {Ev::Reverse, L, 1, true, -1, 0, kOn33, kOff1, 293},
     }},
    {"LeftArrowWithLine6NotYes",
     {
         {Ev::Click, L, 1, true, 6, 49, kOff33, kOn1, 0},
         {Ev::Reverse, L, 50, false, -1, 0, kOff33, kOff1, 293},
     }},
    {"LeaveDuringFastReverseRunsBothTimersOnSharedState",
     {
         {Ev::Click, L, 1, true, 6, 49, kOff33, kOn1, 0},
         {Ev::Reverse, L, 4, true, 6, 45, kOff33, kOn1, 24},
         {Ev::Leave, L, 1, true, 6, 45, kOn33, kOn1, 24},
         {Ev::Tick, R, 1, true, 6, 44, kOn33, kOn1, 30},
         {Ev::Reverse, L, 1, true, 6, 43, kOn33, kOn1, 36},
         {Ev::Tick, R, 43, true, 6, 0, kOn33, kOn1, 294},
         {Ev::Tick, R, 1, true, -1, 0, kOn33, kOn1, 293},
         {Ev::Reverse, L, 1, true, -1, 0, kOn33, kOff1, 292},
     }},
    {"LeaveWithScrollingOffLeavesTimerOff",
     {
         {Ev::Click, L, 1, true, 6, 49, kOff33, kOn1, 0},
         {Ev::Leave, R, 1, false, 6, 49, kOff33, kOn1, 0},
     }},
};

class LinkCarouselArrows : public testing::TestWithParam<ArrowCase> {};

TEST_P(LinkCarouselArrows, Sequence) {
    Started s(7);
    for (std::size_t r = 0; r < GetParam().rows.size(); ++r) {
        const Row& row = GetParam().rows[r];
        SCOPED_TRACE("row " + std::to_string(r));
        for (int i = 0; i < row.times; ++i) {
            CarouselReaction reaction;
            switch (row.ev) {
                case Ev::Tick:
                    s.carousel.forwardTick(row.setting);
                    break;
                case Ev::Reverse:
                    s.carousel.reverseTick(row.setting);
                    break;
                case Ev::Down:
                    reaction = s.carousel.arrowDown(row.arrow);
                    EXPECT_EQ(reaction.arrow_picture, ArrowPicture::Dark);
                    break;
                case Ev::Up:
                    reaction = s.carousel.arrowUp(row.arrow);
                    EXPECT_EQ(reaction.arrow_picture, ArrowPicture::Normal);
                    break;
                case Ev::Click:
                    reaction = s.carousel.arrowClick(row.arrow);
                    break;
                case Ev::Leave:
                    reaction = s.carousel.arrowLeave(row.arrow, row.setting);
                    break;
            }
            EXPECT_FALSE(reaction.show_link_panel);
            EXPECT_FALSE(reaction.title_label);
        }
        EXPECT_EQ(s.carousel.step(), row.step);
        EXPECT_EQ(s.carousel.fastCountdown(), row.countdown);
        EXPECT_EQ(s.carousel.scrollTimer(), row.scroll);
        EXPECT_EQ(s.carousel.reverseScrollTimer(), row.reverse);
        const std::vector<int> lefts = slotLefts(s.carousel);
        EXPECT_EQ(((lefts[0] - kStartLeft - row.moved) % kRing + kRing) % kRing, 0) << lefts[0];
        // Wraps keep the five slots one ring: 61 pixels apart in the order 1, 2, 3, 4, 5 cyclically.
        for (int k = 0; k < 5; ++k) {
            const int d = lefts[static_cast<std::size_t>((k + 1) % 5)] - lefts[static_cast<std::size_t>(k)];
            EXPECT_TRUE(d == 61 || d == 61 - kRing) << "slots " << k + 1 << " and " << (k + 1) % 5 + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Events, LinkCarouselArrows, testing::ValuesIn(kArrowCases),
                         [](const testing::TestParamInfo<ArrowCase>& p) { return p.param.name; });

// Reverse wraps cycle the sites already on screen: slot 5's site (entry 4) reappears at the left on
// the first tick. The queue is rotated back so that forward scrolling afterwards shows the same sites
// again in the wrapping slots before site 5 comes in.
TEST(LinkCarouselReverse, LeftArrowAfterStartUpBringsNoNewSite) {
    Started s(7);
    s.carousel.arrowClick(CarouselArrow::Left);
    s.carousel.reverseTick(true);
    EXPECT_EQ(s.carousel.slot(5).title, "T4");
    EXPECT_EQ(s.carousel.slot(5).left, s.carousel.slot(1).left - 61);
    EXPECT_EQ(s.carousel.slot(5).left, 501);
    EXPECT_EQ(s.thumbnails.calls, (std::vector<std::pair<std::string, int>>{{"p4.png", 5}}));
    EXPECT_EQ(s.carousel.titleQueBox().toVector(), (Lines{"T4", "T5", "T6", "T0", "T1", "T2", "T3"}));
    EXPECT_EQ(s.carousel.imageQueBox()[0], "p4.png");

    while (s.carousel.reverseScrollTimer().enabled)
        s.carousel.reverseTick(true);
    EXPECT_EQ(slotTitles(s.carousel), (Lines{"T0", "T1", "T2", "T3", "T4"}));
    EXPECT_EQ(s.thumbnails.calls.size(), 5u);  // every slot wrapped once, each to its own site
    for (const auto& [name, slot] : s.thumbnails.calls)
        EXPECT_EQ(name, "p" + std::to_string(slot - 1) + ".png");

    s.thumbnails.calls.clear();
    while (s.thumbnails.calls.size() < 6)
        s.carousel.forwardTick(true);
    EXPECT_EQ(s.thumbnails.calls,
              (std::vector<std::pair<std::string, int>>{
                  {"p0.png", 1}, {"p1.png", 2}, {"p2.png", 3}, {"p3.png", 4}, {"p4.png", 5}, {"p5.png", 1}}));
}

// A picture that cannot be loaded leaves the slot's picture but not its site.
TEST(LinkCarouselThumbnails, FailedPictureKeepsOldPictureButTakesSite) {
    FakeThumbnails thumbnails;
    thumbnails.failing = {"p1.png", "p5.png"};
    LinkCarousel carousel(thumbnails.loader());
    carousel.layout(1024, 768);
    carousel.load(makeSites(6));
    EXPECT_EQ(carousel.slot(2).title, "T1");
    EXPECT_EQ(carousel.slot(2).link, "http://site1.example");
    EXPECT_EQ(carousel.slot(2).picture, "");  // still the placeholder

    for (int i = 0; i < 60; ++i)
        carousel.forwardTick(true);
    EXPECT_EQ(carousel.slot(1).title, "T5");
    EXPECT_EQ(carousel.slot(1).link, "http://site5.example");
    EXPECT_EQ(carousel.slot(1).picture, "p0.png");
    EXPECT_EQ(carousel.imageQueBox().toVector(),
              (Lines{"p0.png", "p1.png", "p2.png", "p3.png", "p4.png", "p5.png"}));
}

// Five sites or fewer fill the first slots only; the queues, ScrollTimer and the flag are untouched,
// and with empty queues a tick resets the timer but moves nothing.
TEST(LinkCarouselLoad, FiveOrFewerSites) {
    struct Case {
        int n;
        Lines titles;
    };
    const Case cases[] = {
        {0, {"", "", "", "", ""}},
        {1, {"T0", "", "", "", ""}},
        {5, {"T0", "T1", "T2", "T3", "T4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        FakeThumbnails thumbnails;
        LinkCarousel carousel(thumbnails.loader());
        carousel.layout(1024, 768);
        carousel.load(makeSites(c.n));
        EXPECT_EQ(slotTitles(carousel), c.titles);
        EXPECT_EQ(thumbnails.calls.size(), static_cast<std::size_t>(c.n));
        EXPECT_TRUE(carousel.titleQueBox().empty());
        EXPECT_TRUE(carousel.imageQueBox().empty());
        EXPECT_FALSE(carousel.scrollTimer().enabled);
        EXPECT_FALSE(carousel.resumeAfterSave());

        carousel.setScrollTimerEnabled(true);
        carousel.arrowClick(CarouselArrow::Right);
        carousel.forwardTick(true);
        EXPECT_EQ(carousel.fastCountdown(), 46);
        carousel.arrowClick(CarouselArrow::Left);
        carousel.reverseTick(true);
        EXPECT_EQ(carousel.fastCountdown(), 48);
        EXPECT_EQ(slotLefts(carousel), (std::vector<int>{556, 617, 678, 739, 800}));
    }
}

TEST(LinkCarouselLoad, FewSitesOverARunningQueueChangeOnlyTheFirstSlots) {
    Started s(7);
    s.carousel.setScrollTimerEnabled(false);
    s.carousel.load(makeSites(3, "new"));
    EXPECT_EQ(slotTitles(s.carousel), (Lines{"Tnew0", "Tnew1", "Tnew2", "T3", "T4"}));
    EXPECT_EQ(s.carousel.titleQueBox().toVector(), (Lines{"T5", "T6", "T0", "T1", "T2", "T3", "T4"}));
    EXPECT_FALSE(s.carousel.scrollTimer().enabled);

    s.carousel.load(SiteColumns{});
    EXPECT_EQ(slotTitles(s.carousel), (Lines{"Tnew0", "Tnew1", "Tnew2", "T3", "T4"}));
}

// After a settings save the queues are the columns themselves, the load refills the slots where they
// stand, and ScrollTimer resumes only once a load has filled the queues before.
TEST(LinkCarouselLoad, ReloadAfterSettingsSave) {
    {
        Started s(7);
        for (int i = 0; i < 70; ++i)
            s.carousel.forwardTick(true);
        const std::vector<int> lefts = slotLefts(s.carousel);
        s.carousel.setScrollTimerEnabled(false);
        s.carousel.reloadAfterSettingsSave(makeSites(8));
        EXPECT_EQ(slotLefts(s.carousel), lefts);
        EXPECT_EQ(slotTitles(s.carousel), (Lines{"T0", "T1", "T2", "T3", "T4"}));
        EXPECT_EQ(s.carousel.titleQueBox().toVector(),
                  (Lines{"T5", "T6", "T7", "T0", "T1", "T2", "T3", "T4"}));
        EXPECT_TRUE(s.carousel.scrollTimer().enabled);
    }
    {
        // Three sites: the copied columns become the queue and keep turning.
        Started s(7);
        s.carousel.setScrollTimerEnabled(false);
        s.carousel.reloadAfterSettingsSave(makeSites(3));
        EXPECT_TRUE(s.carousel.scrollTimer().enabled);
        EXPECT_EQ(s.carousel.titleQueBox().toVector(), (Lines{"T0", "T1", "T2"}));
        for (int i = 0; i < 60; ++i)
            s.carousel.forwardTick(true);
        EXPECT_EQ(s.carousel.slot(1).title, "T0");
        EXPECT_EQ(s.carousel.titleQueBox().toVector(), (Lines{"T1", "T2", "T0"}));
    }
    {
        // An empty list empties the queues: the strip stands.
        Started s(7);
        s.carousel.reloadAfterSettingsSave(SiteColumns{});
        EXPECT_TRUE(s.carousel.titleQueBox().empty());
        const std::vector<int> lefts = slotLefts(s.carousel);
        s.carousel.forwardTick(true);
        EXPECT_EQ(slotLefts(s.carousel), lefts);
        EXPECT_EQ(slotTitles(s.carousel), (Lines{"T0", "T1", "T2", "T3", "T4"}));
    }
    {
        // No earlier load filled the queues: the timer stays as it was.
        Started s(4, /*scrolling_on=*/false);
        s.carousel.reloadAfterSettingsSave(makeSites(3));
        EXPECT_FALSE(s.carousel.scrollTimer().enabled);
    }
}

CarouselReaction reaction(bool show_link_panel, std::optional<std::string> title_label) {
    CarouselReaction r;
    r.show_link_panel = show_link_panel;
    r.title_label = std::move(title_label);
    return r;
}

TEST(LinkCarouselMouse, SlotHoverStopsAndShowsTitle) {
    Started s(6);
    const PopUpContext popup{.large_link_popup_checked = true, .password_prompt_visible = false};
    EXPECT_EQ(s.carousel.slotEnter(2, popup), reaction(true, "T1"));
    EXPECT_TRUE(s.carousel.scrollTimer().enabled);  // entering alone does not stop the strip
    EXPECT_EQ(s.carousel.slotMove(2), reaction(false, "T1"));
    EXPECT_FALSE(s.carousel.scrollTimer().enabled);
    EXPECT_EQ(s.carousel.slotLeave(2, false), reaction(false, ""));
    EXPECT_FALSE(s.carousel.scrollTimer().enabled);
    s.carousel.slotMove(2);
    EXPECT_EQ(s.carousel.slotLeave(2, true), reaction(false, ""));
    EXPECT_TRUE(s.carousel.scrollTimer().enabled);

    for (int bad : {0, 6}) {
        EXPECT_EQ(s.carousel.slotMove(bad), CarouselReaction{});
        EXPECT_EQ(s.carousel.clickSlot(bad, "/data/"), "");
    }
    EXPECT_TRUE(s.carousel.scrollTimer().enabled);
}

TEST(LinkCarouselMouse, LargeLinkPopUpNeedsSettingAndNoPasswordPrompt) {
    struct Case {
        bool checked, prompt_visible, shows;
    };
    const Case cases[] = {
        {true, false, true}, {true, true, false}, {false, false, false}, {false, true, false}};
    for (const Case& c : cases) {
        const PopUpContext context{.large_link_popup_checked = c.checked,
                                   .password_prompt_visible = c.prompt_visible};
        LinkCarousel carousel;
        EXPECT_EQ(carousel.slotEnter(1, context).show_link_panel, c.shows);
        EXPECT_EQ(carousel.arrowEnter(CarouselArrow::Left, context).show_link_panel, c.shows);
        EXPECT_EQ(carousel.arrowEnter(CarouselArrow::Right, context).show_link_panel, c.shows);
        EXPECT_FALSE(carousel.scrollTimer().enabled);
    }
}

TEST(LinkCarouselMouse, ClickOpensLinkOrLocalHomePage) {
    SiteColumns sites;
    for (const char* link : {"HOMEHOMEHOME", "homehomehome", "http://a.example/", "", "HOMEHOMEHOME "}) {
        sites.titles.append("t");
        sites.links.append(link);
        sites.thumbnails.append("t.png");
    }
    LinkCarousel carousel;
    carousel.layout(1024, 768);
    carousel.load(sites);
    EXPECT_EQ(carousel.clickSlot(1, "/data/"), "/data/files/index.htm");
    EXPECT_EQ(carousel.clickSlot(1, "/data"), "/data/files/index.htm");
    EXPECT_EQ(carousel.clickSlot(2, "/data/"), "homehomehome");
    EXPECT_EQ(carousel.clickSlot(3, "/data/"), "http://a.example/");
    EXPECT_EQ(carousel.clickSlot(4, "/data/"), "");
    EXPECT_EQ(carousel.clickSlot(5, "/data/"), "HOMEHOMEHOME ");

    LinkCarousel empty;
    EXPECT_EQ(empty.clickSlot(3, "/data/"), "");  // a slot that never had a site
}

}  // namespace
}  // namespace tn
