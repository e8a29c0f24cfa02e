#pragma once

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/sound.h"

namespace tn {

// The wave output devices are the sound cards, in ALSA's card order; a device's volume is its card's
// main playback control in the ALSA simple mixer: "Master", else "PCM", else the first element with
// a playback volume. Levels 0 to 0xFFFF map linearly onto the element's own volume range.
//
// Nothing here throws or stops the caller: a card that vanished, a mixer that cannot be opened or an
// element that refuses a value is skipped, and reported on standard error once per card.
class AlsaWaveOut final : public IWaveOut {
public:
    // The cards present when deviceCount() is asked; a card plugged in later counts from then on.
    AlsaWaveOut() = default;
    // A fixed list of mixer devices by ALSA control name ("hw:1", or a control the configuration
    // defines) instead of the cards.
    explicit AlsaWaveOut(std::vector<std::string> mixer_devices)
        : fixed_(mixer_devices), devices_(std::move(mixer_devices)) {}

    int deviceCount() override;
    // device indexes the list read by the last deviceCount() (the constructor's, for a fixed list);
    // any other number is ignored.
    void setVolume(int device, std::uint32_t volume) override;

private:
    void reportOnce(const std::string& device, const std::string& problem);

    std::optional<std::vector<std::string>> fixed_;
    std::vector<std::string> devices_;
    std::set<std::string> reported_;
};

// The raw element value for a level of 0 (silent) to 0xFFFF (full) on an element whose playback
// volume runs from min to max, rounded to the nearest step.
long alsaVolumeFor(std::uint16_t level, long min, long max);

}  // namespace tn
