#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tn {

// The durations the parent can pick, in the order of the Timer tab's list: entry i lasts
// (i + 1) x 300 seconds.
inline constexpr int kPlayTimerDurationCount = 24;
inline constexpr std::array<const char*, kPlayTimerDurationCount> kPlayTimerCaptions = {
    "5 min",       "10 min",      "15 min",      "20 min",      "25 min",      "30 min",
    "35 min",      "40 min",      "45 min",      "50 min",      "55 min",      "1 hr",
    "1 hr 5 min",  "1 hr 10 min", "1 hr 15 min", "1 hr 20 min", "1 hr 25 min", "1 hr 30 min",
    "1 hr 35 min", "1 hr 40 min", "1 hr 45 min", "1 hr 50 min", "1 hr 55 min", "2 hrs"};
std::int32_t playTimerSeconds(int index);

// "HH:MM:SS", each part two digits at least, for a count of zero or more seconds.
std::string formatTimeLeft(std::int32_t seconds);

// The label's font colours, as 0xRRGGBB.
enum class TimerColour : std::uint32_t {
    Lime = 0x00FF00,
    Yellow = 0xFFFF00,
    Red = 0xFF0000,
    Magenta = 0xFF00FF
};

inline constexpr const char* kNoTimeSelected = "No time selected";
inline constexpr const char* kSetTimerCaption = "Set Timer";
inline constexpr const char* kClearTimerCaption = "Clear Timer";

// What the Set/Clear button asks of the form beyond the state below.
struct SetClearResult {
    std::optional<std::string> message;       // an information box to show
    std::optional<std::string> timer_length;  // the new text of settings line 22
};

// What arming at start-up asks of the form.
struct StartupArming {
    bool default_box_checked = false;   // DefaultTimerCheckBox
    std::optional<int> selected_index;  // the entry to select in TimeListBox
    // Line 22 was not an index of the list; the nearest valid entry was armed instead (below).
    bool length_adjusted = false;
};

// What one countdown tick asks of the form beyond the state below.
struct TickEvents {
    bool play_tick_sound = false;
    // The count has run out: the form closes the virtual desktop and its programs, maximises the
    // main window, stops the carousel, hides the main tabs, plays the time-up sound and, unless the
    // password prompt is open, shows the "Time Is Up" box.
    bool time_up = false;
};

// The play timer's state machine. It counts ticks, never the clock: one countdown tick is one
// second of the child's time, so time spent paused or in administration mode is not counted.
//
// The form mirrors the state after every call: ParentTimer runs while counting(), TimerColorWarning
// while blinking(); the label shows labelText() in labelColour() while labelVisible(); the button
// reads buttonCaption().
//
// States:
//   not armed       - at start, after Clear, and after the time is up.
//   armed, paused   - after Set (in the administration panel), or after the password is accepted.
//   armed, counting - after arming at start-up, or on the return to locked mode while armed.
//   time up         - the tick that shows "00:00:00". The count stays at 0 and the timer is no longer
//                     armed, so nothing counts again, and no time below zero is ever shown, until
//                     the parent sets a new time. The button then reads "Set Timer" and sets
//                     (not clears) a new time with one click. The time-up flag stays set while the
//                     "Time Is Up" box is up and the parent deals with it; it is cleared by
//                     Set/Clear, by a countdown tick, or by the return to locked mode.
class PlayTimer {
public:
    // Set/Clear. selected is the index chosen in the list, nullopt when none is.
    //  - armed: stop counting, count 0, hide the label, clear the armed and time-up flags.
    //  - nothing selected (or an index outside the list): message "No time selected"; no change.
    //  - otherwise: arm with the entry's length, show the label, store the index in line 22, clear
    //    the time-up flag. The countdown starts on the return to locked mode.
    // Either change also stops the warning blink, so a new countdown does not start blinking.
    SetClearResult setOrClear(std::optional<int> selected);

    // At start-up, after the settings file has been checked. Line 21 "yes" arms the timer and starts
    // the countdown at once with entry line 22. A line 22 outside 0 to 23 (an edited file) arms the
    // nearest entry, so the limit the parent asked for stays in force; a line 22 that is not a number
    // at all (start-up refuses such a file before this) arms the first. Line 22 itself is left as it
    // was; the next Set rewrites it.
    StartupArming armAtStartup(std::string_view line21, std::string_view line22);

    // One second of ParentTimer. Ignored while not counting.
    TickEvents tick();
    // One step of TimerColorWarning: red and magenta in turn. Ignored while not blinking. Returns
    // the label's colour.
    TimerColour blinkStep();

    // The password was accepted: the countdown pauses with its count unchanged, the blink stops, the
    // label is hidden.
    void pause();
    // Back to locked mode: counting again if armed (the label shows at the next tick); the time-up
    // flag is cleared, so the child's screen behaves as usual again.
    void resume();

    std::int32_t remainingSeconds() const { return remaining_; }
    bool armed() const { return armed_; }
    bool timeUp() const { return time_up_; }
    bool counting() const { return counting_; }
    bool blinking() const { return blinking_; }
    int blinkPhase() const { return blink_phase_; }
    bool labelVisible() const { return label_visible_; }
    const std::string& labelText() const { return label_text_; }
    TimerColour labelColour() const { return colour_; }
    const char* buttonCaption() const { return armed_ ? kClearTimerCaption : kSetTimerCaption; }

private:
    void arm(int index);

    std::int32_t remaining_ = 0;
    bool armed_ = false;
    bool time_up_ = false;
    bool counting_ = false;
    bool blinking_ = false;
    int blink_phase_ = 0;
    bool label_visible_ = false;
    std::string label_text_ = "00:00:00";
    TimerColour colour_ = TimerColour::Lime;
};

}  // namespace tn
