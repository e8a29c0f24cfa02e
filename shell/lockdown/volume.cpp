#include "lockdown/volume.h"

#include <algorithm>
#include <string>

namespace tn {

int clampVolumePosition(int position) {
    return std::clamp(position, kVolumeTopPosition, kVolumeBottomPosition);
}

std::uint32_t volumeWord(int position) {
    const auto level =
        static_cast<std::uint32_t>(kVolumeBottomPosition - clampVolumePosition(position)) * 0x1111u;
    return (level << 16) | level;
}

bool VolumeSlider::setPosition(int position) {
    position = clampVolumePosition(position);
    if (position == position_) return false;
    position_ = position;
    applyChange();
    return true;
}

bool VolumeSlider::setPositionFromSettings(std::string_view line5) {
    // line5 may view the settings list itself: it is read once, before anything is written.
    const std::optional<int> stored = parseDecimal(line5);
    if (!stored) return false;
    const int position = clampVolumePosition(*stored);
    if (position != *stored) settings_.set(setting::kVolumePosition, std::to_string(position));
    setPosition(position);
    return true;
}

// The slider's change event: the same level on every device, then the position for the next save.
void VolumeSlider::applyChange() {
    const std::uint32_t word = volumeWord(position_);
    const int devices = wave_out_.deviceCount();
    for (int device = 0; device < devices; ++device)
        wave_out_.setVolume(device, word);
    settings_.set(setting::kVolumePosition, std::to_string(position_));
}

}  // namespace tn
