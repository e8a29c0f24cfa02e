#pragma once

#include <cstdint>
#include <string_view>

#include "core/settings.h"
#include "platform/sound.h"

namespace tn {

// Positions of the volume slider: 0 at the top is the loudest the slider allows, 10 at the bottom is
// silence, and the slider starts in the middle.
inline constexpr int kVolumeTopPosition = 0;
inline constexpr int kVolumeBottomPosition = 10;
inline constexpr int kVolumeInitialPosition = 5;

int clampVolumePosition(int position);

// The wave-output volume word for a slider position: (10 - position) x 0x1111 in both the low (left)
// and the high (right) half. The top gives 0xAAAA per channel, not full volume; the bottom silence.
// Positions outside 0 to 10 count as the nearest end.
std::uint32_t volumeWord(int position);

// The volume slider's behaviour apart from the control that shows it. It holds the slider's position;
// the control mirrors it.
class VolumeSlider {
public:
    VolumeSlider(IWaveOut& wave_out, Settings& settings) : wave_out_(wave_out), settings_(settings) {}

    int position() const { return position_; }

    // Moves the slider, by the child's mouse or by code. The position is clamped to 0 to 10; when it
    // differs from the current one the change runs: every wave output device gets the position's
    // level and settings line 5 (in memory) gets the position. The current position changes nothing.
    // Returns whether the position changed.
    bool setPosition(int position);

    // Start-up: moves the slider to the position stored in settings line 5, so the volume is applied
    // only when it differs from the initial 5. A stored value outside 0 to 10 is clamped and the
    // clamped value is written back to line 5 at once, whether or not the slider moves. A line that is
    // not a decimal number changes nothing and gives false (start-up refuses such a file earlier).
    bool setPositionFromSettings(std::string_view line5);

private:
    void applyChange();

    IWaveOut& wave_out_;
    Settings& settings_;
    int position_ = kVolumeInitialPosition;
};

}  // namespace tn
