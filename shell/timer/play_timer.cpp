#include "timer/play_timer.h"

#include <algorithm>

#include "core/settings.h"

namespace tn {

namespace {

void appendTwoDigits(std::string& out, std::int32_t value) {
    if (value < 10) out += '0';
    out += std::to_string(value);
}

bool validIndex(int index) {
    return index >= 0 && index < kPlayTimerDurationCount;
}

}  // namespace

std::int32_t playTimerSeconds(int index) {
    return index * 300 + 300;
}

std::string formatTimeLeft(std::int32_t seconds) {
    seconds = std::max(seconds, 0);
    const std::int32_t hours = seconds / 60 / 60;
    const std::int32_t minutes = seconds / 60 - hours * 60;
    std::string out;
    appendTwoDigits(out, hours);
    out += ':';
    appendTwoDigits(out, minutes);
    out += ':';
    appendTwoDigits(out, seconds - hours * 3600 - minutes * 60);
    return out;
}

void PlayTimer::arm(int index) {
    armed_ = true;
    label_visible_ = true;
    remaining_ = playTimerSeconds(index);
    time_up_ = false;
}

SetClearResult PlayTimer::setOrClear(std::optional<int> selected) {
    if (armed_) {
        counting_ = false;
        blinking_ = false;
        remaining_ = 0;
        label_visible_ = false;
        time_up_ = false;
        armed_ = false;
        return {};
    }
    if (!selected || !validIndex(*selected)) return {kNoTimeSelected, std::nullopt};
    blinking_ = false;
    arm(*selected);
    return {std::nullopt, std::to_string(*selected)};
}

StartupArming PlayTimer::armAtStartup(std::string_view line21, std::string_view line22) {
    StartupArming result;
    if (!isYes(line21)) return result;
    result.default_box_checked = true;
    const std::optional<int> stored = parseDecimal(line22);
    const int index = std::clamp(stored.value_or(0), 0, kPlayTimerDurationCount - 1);
    result.length_adjusted = !stored || *stored != index;
    result.selected_index = index;
    arm(index);
    counting_ = true;
    return result;
}

TickEvents PlayTimer::tick() {
    TickEvents events;
    if (!counting_) return events;
    label_text_ = formatTimeLeft(remaining_);
    label_visible_ = true;
    // The count never goes below zero (time-up holds it at 0), so the label reads "00:00:00" exactly
    // when this is the last second.
    const bool last_second = remaining_ <= 0;
    remaining_ -= 1;
    time_up_ = false;
    if (remaining_ < 31) events.play_tick_sound = true;
    if (remaining_ < 120) {
        blinking_ = true;
    } else if (remaining_ < 300) {
        colour_ = TimerColour::Yellow;
    } else {
        colour_ = TimerColour::Lime;
    }
    if (last_second) {
        time_up_ = true;
        counting_ = false;
        armed_ = false;
        remaining_ = 0;
        events.time_up = true;
    }
    return events;
}

TimerColour PlayTimer::blinkStep() {
    if (!blinking_) return colour_;
    if (blink_phase_ <= 0) colour_ = TimerColour::Red;
    if (blink_phase_ > 0) {
        colour_ = TimerColour::Magenta;
        blink_phase_ = -1;
    }
    blink_phase_ += 1;
    return colour_;
}

void PlayTimer::pause() {
    counting_ = false;
    blinking_ = false;
    label_visible_ = false;
}

void PlayTimer::resume() {
    counting_ = armed_;
    time_up_ = false;
}

}  // namespace tn
