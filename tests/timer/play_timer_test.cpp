#include "timer/play_timer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"

namespace tn {
namespace {

// What the label showed at one countdown tick.
struct Shown {
    std::string text;
    TimerColour colour;
    bool blinking;
    bool tick_sound;
    bool time_up;
};

// Ticks until time is up (or a limit), recording every tick.
std::vector<Shown> runToTheEnd(PlayTimer& timer, int limit = 8000) {
    std::vector<Shown> shown;
    for (int i = 0; i < limit; ++i) {
        const TickEvents events = timer.tick();
        shown.push_back({timer.labelText(), timer.labelColour(), timer.blinking(), events.play_tick_sound,
                         events.time_up});
        if (events.time_up) break;
    }
    return shown;
}

std::size_t indexOf(const std::vector<Shown>& shown, const std::string& text) {
    for (std::size_t i = 0; i < shown.size(); ++i)
        if (shown[i].text == text) return i;
    return shown.size();
}

// Set in the administration panel, then back to locked mode.
PlayTimer armed(int index) {
    PlayTimer timer;
    timer.setOrClear(index);
    timer.resume();
    return timer;
}

TEST(PlayTimerDurations, RunFromFiveMinutesToTwoHoursInFiveMinuteSteps) {
    EXPECT_EQ(kPlayTimerCaptions.size(), 24u);
    EXPECT_STREQ(kPlayTimerCaptions[0], "5 min");
    EXPECT_STREQ(kPlayTimerCaptions[11], "1 hr");
    EXPECT_STREQ(kPlayTimerCaptions[12], "1 hr 5 min");
    EXPECT_STREQ(kPlayTimerCaptions[23], "2 hrs");
    for (int i = 0; i < kPlayTimerDurationCount; ++i) {
        const int minutes = playTimerSeconds(i) / 60;
        std::string caption;
        if (minutes >= 60) caption = minutes == 120 ? "2 hrs" : "1 hr";
        if (minutes % 60) caption += (caption.empty() ? "" : " ") + std::to_string(minutes % 60) + " min";
        EXPECT_EQ(caption, kPlayTimerCaptions[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(FormatTimeLeft, ShowsHoursMinutesAndSecondsInTwoDigits) {
    EXPECT_EQ(formatTimeLeft(0), "00:00:00");
    EXPECT_EQ(formatTimeLeft(9), "00:00:09");
    EXPECT_EQ(formatTimeLeft(61), "00:01:01");
    EXPECT_EQ(formatTimeLeft(3599), "00:59:59");
    EXPECT_EQ(formatTimeLeft(7200), "02:00:00");
    EXPECT_EQ(formatTimeLeft(36000 + 600 + 10), "10:10:10");
    EXPECT_EQ(formatTimeLeft(-1), "00:00:00");
}

TEST(PlayTimerCountdown, FiveMinutesFromYellowToBlinkingToTimeUp) {
    PlayTimer timer = armed(0);
    EXPECT_EQ(timer.remainingSeconds(), 300);
    const auto shown = runToTheEnd(timer);

    ASSERT_EQ(shown.size(), 301u);
    EXPECT_EQ(shown[0].text, "00:05:00");
    EXPECT_EQ(shown[0].colour, TimerColour::Yellow);
    EXPECT_EQ(shown[1].text, "00:04:59");
    EXPECT_EQ(shown.back().text, "00:00:00");
    for (std::size_t i = 0; i + 1 < shown.size(); ++i)
        ASSERT_FALSE(shown[i].time_up) << shown[i].text;
    EXPECT_TRUE(shown.back().time_up);

    const std::size_t blink = indexOf(shown, "00:02:00");
    EXPECT_FALSE(shown[blink - 1].blinking);
    EXPECT_TRUE(shown[blink].blinking);
    const std::size_t sound = indexOf(shown, "00:00:31");
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i].tick_sound, i >= sound) << shown[i].text;
    EXPECT_EQ(shown.size() - sound, 32u);  // 00:00:31 down to 00:00:00
}

TEST(PlayTimerCountdown, FirstTickShowsTheWholeDurationInItsColour) {
    struct Case {
        int index;
        const char* first;
        TimerColour colour;
        std::size_t ticks;
    };
    for (const Case& c :
         {Case{0, "00:05:00", TimerColour::Yellow, 301}, Case{1, "00:10:00", TimerColour::Lime, 601},
          Case{11, "01:00:00", TimerColour::Lime, 3601}, Case{23, "02:00:00", TimerColour::Lime, 7201}}) {
        SCOPED_TRACE(c.first);
        PlayTimer timer = armed(c.index);
        const auto shown = runToTheEnd(timer);
        EXPECT_EQ(shown.front().text, c.first);
        EXPECT_EQ(shown.front().colour, c.colour);
        EXPECT_EQ(shown.size(), c.ticks);
        // Yellow from the tick that shows 00:05:00 (lime before), until the blink takes over.
        const std::size_t yellow = indexOf(shown, "00:05:00");
        if (c.index > 0) {
            EXPECT_EQ(shown[yellow - 1].colour, TimerColour::Lime);
        }
        EXPECT_EQ(shown[yellow].colour, TimerColour::Yellow);
    }
}

TEST(PlayTimerCountdown, StaysAtZeroAfterTimeIsUpUntilTheParentSetsAgain) {
    PlayTimer timer = armed(0);
    runToTheEnd(timer);
    EXPECT_TRUE(timer.timeUp());
    EXPECT_FALSE(timer.armed());
    EXPECT_FALSE(timer.counting());
    EXPECT_EQ(timer.remainingSeconds(), 0);
    EXPECT_STREQ(timer.buttonCaption(), "Set Timer");
    EXPECT_TRUE(timer.labelVisible());
    EXPECT_TRUE(timer.blinking());

    // A stray tick changes nothing; no time below zero is ever shown.
    EXPECT_FALSE(timer.tick().time_up);
    EXPECT_EQ(timer.labelText(), "00:00:00");
    EXPECT_TRUE(timer.timeUp());

    // The parent enters the password and returns to locked mode without setting a time: nothing
    // counts, and the child's screen is an ordinary one again.
    timer.pause();
    EXPECT_TRUE(timer.timeUp());
    timer.resume();
    EXPECT_FALSE(timer.counting());
    EXPECT_FALSE(timer.timeUp());
    EXPECT_FALSE(timer.labelVisible());
    EXPECT_FALSE(timer.tick().time_up);
    EXPECT_EQ(timer.remainingSeconds(), 0);

    // "Set Timer" sets with one click.
    const auto set = timer.setOrClear(1);
    EXPECT_EQ(set.timer_length, "1");
    EXPECT_TRUE(timer.armed());
    EXPECT_EQ(timer.remainingSeconds(), 600);
    timer.resume();
    timer.tick();
    EXPECT_EQ(timer.labelText(), "00:10:00");
}

TEST(PlayTimerSetClear, SetArmsWithoutCountingAndClearResets) {
    PlayTimer timer;
    EXPECT_STREQ(timer.buttonCaption(), "Set Timer");

    const auto nothing = timer.setOrClear(std::nullopt);
    EXPECT_EQ(nothing.message, "No time selected");
    EXPECT_FALSE(nothing.timer_length);
    EXPECT_FALSE(timer.armed());
    EXPECT_EQ(timer.setOrClear(24).message, "No time selected");
    EXPECT_EQ(timer.setOrClear(-1).message, "No time selected");
    EXPECT_FALSE(timer.armed());

    const auto set = timer.setOrClear(23);
    EXPECT_FALSE(set.message);
    EXPECT_EQ(set.timer_length, "23");
    EXPECT_TRUE(timer.armed());
    EXPECT_EQ(timer.remainingSeconds(), 7200);
    EXPECT_TRUE(timer.labelVisible());
    EXPECT_STREQ(timer.buttonCaption(), "Clear Timer");
    EXPECT_FALSE(timer.counting());  // counts from the return to locked mode
    EXPECT_FALSE(timer.tick().time_up);
    EXPECT_EQ(timer.remainingSeconds(), 7200);

    timer.resume();
    for (int i = 0; i < 5; ++i)
        timer.tick();
    timer.pause();
    // Clear while armed: whatever is selected, it clears.
    const auto clear = timer.setOrClear(3);
    EXPECT_FALSE(clear.message);
    EXPECT_FALSE(clear.timer_length);
    EXPECT_FALSE(timer.armed());
    EXPECT_FALSE(timer.counting());
    EXPECT_EQ(timer.remainingSeconds(), 0);
    EXPECT_FALSE(timer.labelVisible());
    EXPECT_STREQ(timer.buttonCaption(), "Set Timer");
    timer.resume();
    EXPECT_FALSE(timer.counting());

    // A later Set starts from the newly selected duration.
    EXPECT_EQ(timer.setOrClear(2).timer_length, "2");
    EXPECT_EQ(timer.remainingSeconds(), 900);
}

TEST(PlayTimerSetClear, TwoHoursAreStoredAndArmedAgainAtTheNextStart) {
    TextList lines;
    for (std::size_t i = 0; i < setting::kRequiredLines; ++i)
        lines.append("");
    Settings settings(std::move(lines));
    settings.setYes(setting::kTimerAtEveryStart, true);

    PlayTimer first_run;
    settings.set(setting::kTimerLength, *first_run.setOrClear(23).timer_length);
    EXPECT_EQ(settings.line(setting::kTimerLength), "23");

    PlayTimer next_start;
    const auto arming = next_start.armAtStartup(settings.line(setting::kTimerAtEveryStart),
                                                settings.line(setting::kTimerLength));
    EXPECT_TRUE(arming.default_box_checked);
    EXPECT_EQ(arming.selected_index, 23);
    EXPECT_FALSE(arming.length_adjusted);
    EXPECT_EQ(next_start.remainingSeconds(), 7200);
    EXPECT_TRUE(next_start.armed());
    EXPECT_TRUE(next_start.counting());
    EXPECT_TRUE(next_start.labelVisible());
    EXPECT_STREQ(next_start.buttonCaption(), "Clear Timer");
}

TEST(PlayTimerStartup, ArmsOnlyOnYesAndKeepsTheLengthInsideTheList) {
    struct Case {
        const char* line21;
        const char* line22;
        bool armed;
        int index;
        bool adjusted;
    };
    for (const Case& c : {
             Case{"yes", "0", true, 0, false},
             Case{"yes", "11", true, 11, false},
             Case{"yes", "24", true, 23, true},
             Case{"yes", "2147483647", true, 23, true},
             Case{"yes", "-1", true, 0, true},
             Case{"yes", "-2147483648", true, 0, true},
             Case{"yes", "abc", true, 0, true},
             Case{"no", "5", false, 0, false},
             Case{"Yes", "5", false, 0, false},
             Case{" yes", "5", false, 0, false},
             Case{"", "", false, 0, false},
         }) {
        SCOPED_TRACE(std::string(c.line21) + " / " + c.line22);
        PlayTimer timer;
        const auto arming = timer.armAtStartup(c.line21, c.line22);
        EXPECT_EQ(arming.default_box_checked, c.armed);
        EXPECT_EQ(timer.armed(), c.armed);
        EXPECT_EQ(timer.counting(), c.armed);
        EXPECT_EQ(arming.length_adjusted, c.adjusted);
        if (c.armed) {
            EXPECT_EQ(arming.selected_index, c.index);
            EXPECT_EQ(timer.remainingSeconds(), playTimerSeconds(c.index));
            EXPECT_EQ(runToTheEnd(timer).front().text, formatTimeLeft(playTimerSeconds(c.index)));
        } else {
            EXPECT_FALSE(arming.selected_index);
            EXPECT_FALSE(timer.labelVisible());
            EXPECT_EQ(timer.remainingSeconds(), 0);
        }
    }
}

TEST(PlayTimerPause, KeepsTheCountAndResumesWhereItStopped) {
    PlayTimer timer = armed(0);
    for (int i = 0; i < 10; ++i)
        timer.tick();
    EXPECT_EQ(timer.labelText(), "00:04:51");
    timer.pause();
    EXPECT_FALSE(timer.counting());
    EXPECT_FALSE(timer.labelVisible());
    EXPECT_TRUE(timer.armed());
    for (int i = 0; i < 5; ++i)
        timer.tick();
    EXPECT_EQ(timer.remainingSeconds(), 290);

    timer.resume();
    EXPECT_TRUE(timer.counting());
    EXPECT_FALSE(timer.labelVisible());  // shown again by the next tick
    timer.tick();
    EXPECT_EQ(timer.labelText(), "00:04:50");
    EXPECT_TRUE(timer.labelVisible());
}

TEST(PlayTimerBlink, AlternatesRedAndMagentaWithAPhaseThatIsNeverReset) {
    PlayTimer timer = armed(0);
    EXPECT_EQ(timer.blinkStep(), TimerColour::Lime);  // not blinking yet: no change
    EXPECT_EQ(timer.blinkPhase(), 0);
    while (!timer.blinking())
        timer.tick();
    EXPECT_EQ(timer.labelText(), "00:02:00");
    std::vector<TimerColour> colours;
    for (int i = 0; i < 5; ++i)
        colours.push_back(timer.blinkStep());
    EXPECT_EQ(colours, (std::vector<TimerColour>{TimerColour::Red, TimerColour::Magenta, TimerColour::Red,
                                                 TimerColour::Magenta, TimerColour::Red}));
    EXPECT_EQ(timer.blinkPhase(), 1);

    // Accepting the password stops the blink; the next tick below two minutes starts it again, and
    // the phase carries on from where it was.
    timer.pause();
    EXPECT_FALSE(timer.blinking());
    EXPECT_EQ(timer.blinkStep(), TimerColour::Red);
    EXPECT_EQ(timer.blinkPhase(), 1);
    timer.resume();
    timer.tick();
    EXPECT_TRUE(timer.blinking());
    EXPECT_EQ(timer.blinkStep(), TimerColour::Magenta);

    // A new countdown does not inherit the blink.
    timer.setOrClear(std::nullopt);  // clears
    EXPECT_FALSE(timer.blinking());
}

}  // namespace
}  // namespace tn
