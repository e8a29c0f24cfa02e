#include "platform/linux/alsa_wave_out.h"

#include <alsa/asoundlib.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace tn {
namespace {

struct MixerCloser {
    void operator()(snd_mixer_t* mixer) const { snd_mixer_close(mixer); }
};
using Mixer = std::unique_ptr<snd_mixer_t, MixerCloser>;

std::vector<std::string> soundCards() {
    std::vector<std::string> cards;
    int card = -1;
    while (snd_card_next(&card) >= 0 && card >= 0)
        cards.push_back("hw:" + std::to_string(card));
    return cards;
}

// The simple mixer of a control device, loaded; null with err set when it cannot be opened.
Mixer openMixer(const std::string& device, int& err) {
    snd_mixer_t* raw = nullptr;
    err = snd_mixer_open(&raw, 0);
    if (err < 0) return nullptr;
    Mixer mixer(raw);
    if ((err = snd_mixer_attach(raw, device.c_str())) < 0) return nullptr;
    if ((err = snd_mixer_selem_register(raw, nullptr, nullptr)) < 0) return nullptr;
    if ((err = snd_mixer_load(raw)) < 0) return nullptr;
    return mixer;
}

// The first active element with a playback volume, named name (index 0) unless name is null.
snd_mixer_elem_t* playbackVolume(snd_mixer_t* mixer, const char* name) {
    for (snd_mixer_elem_t* elem = snd_mixer_first_elem(mixer); elem != nullptr;
         elem = snd_mixer_elem_next(elem)) {
        if (!snd_mixer_selem_is_active(elem) || !snd_mixer_selem_has_playback_volume(elem)) continue;
        if (name == nullptr) return elem;
        if (std::strcmp(snd_mixer_selem_get_name(elem), name) == 0 && snd_mixer_selem_get_index(elem) == 0)
            return elem;
    }
    return nullptr;
}

snd_mixer_elem_t* mainPlaybackVolume(snd_mixer_t* mixer) {
    for (const char* name : {"Master", "PCM"}) {
        if (snd_mixer_elem_t* elem = playbackVolume(mixer, name)) return elem;
    }
    return playbackVolume(mixer, nullptr);
}

// Sets the element's channels: front left and right their own levels; a mono or joined element, and
// any further channel (rear, centre, bass), the average, so that silence on both sides silences the
// whole card. Returns the first error.
int setLevels(snd_mixer_elem_t* elem, std::uint16_t left, std::uint16_t right) {
    long min = 0;
    long max = 0;
    int err = snd_mixer_selem_get_playback_volume_range(elem, &min, &max);
    if (err < 0) return err;
    if (max < min) return -EINVAL;
    const auto average = static_cast<std::uint16_t>((left + right) / 2);
    const bool single =
        snd_mixer_selem_is_playback_mono(elem) != 0 || snd_mixer_selem_has_playback_volume_joined(elem) != 0;
    const auto levelOf = [&](snd_mixer_selem_channel_id_t channel) -> std::uint16_t {
        if (single) return average;
        if (channel == SND_MIXER_SCHN_FRONT_LEFT) return left;
        if (channel == SND_MIXER_SCHN_FRONT_RIGHT) return right;
        return average;
    };

    int first_error = 0;
    const auto note = [&](int result) {
        if (result < 0 && first_error == 0) first_error = result;
    };
    if (single) {
        note(snd_mixer_selem_set_playback_volume_all(elem, alsaVolumeFor(average, min, max)));
    } else {
        for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
            const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
            if (!snd_mixer_selem_has_playback_channel(elem, channel)) continue;
            note(snd_mixer_selem_set_playback_volume(elem, channel,
                                                     alsaVolumeFor(levelOf(channel), min, max)));
        }
    }
    // The bottom of many volume ranges is quiet but not silent; the element's switch makes level 0
    // silent, and any other level switches the sound back on.
    if (snd_mixer_selem_has_playback_switch(elem)) {
        if (single || snd_mixer_selem_has_playback_switch_joined(elem)) {
            note(snd_mixer_selem_set_playback_switch_all(elem, (left != 0 || right != 0) ? 1 : 0));
        } else {
            for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
                const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
                if (!snd_mixer_selem_has_playback_channel(elem, channel)) continue;
                note(snd_mixer_selem_set_playback_switch(elem, channel, levelOf(channel) != 0 ? 1 : 0));
            }
        }
    }
    return first_error;
}

}  // namespace

long alsaVolumeFor(std::uint16_t level, long min, long max) {
    if (max <= min) return min;
    // Exact integer arithmetic over the whole range of long: span x level / 0xFFFF, rounded, split so
    // that no product overflows.
    const unsigned long span = static_cast<unsigned long>(max) - static_cast<unsigned long>(min);
    const unsigned long offset = (span / 0xFFFF) * level + ((span % 0xFFFF) * level + 0x7FFF) / 0xFFFF;
    return static_cast<long>(static_cast<unsigned long>(min) + offset);
}

int AlsaWaveOut::deviceCount() {
    try {
        if (!fixed_) devices_ = soundCards();
        return static_cast<int>(devices_.size());
    } catch (...) {
        devices_.clear();
        return 0;
    }
}

void AlsaWaveOut::setVolume(int device, std::uint32_t volume) {
    if (device < 0 || static_cast<std::size_t>(device) >= devices_.size()) return;
    try {
        const std::string& name = devices_[static_cast<std::size_t>(device)];
        int err = 0;
        const Mixer mixer = openMixer(name, err);
        if (!mixer) return reportOnce(name, snd_strerror(err));
        snd_mixer_elem_t* elem = mainPlaybackVolume(mixer.get());
        if (elem == nullptr) return reportOnce(name, "it has no playback volume control");
        err = setLevels(elem, static_cast<std::uint16_t>(volume & 0xFFFF),
                        static_cast<std::uint16_t>(volume >> 16));
        if (err < 0) reportOnce(name, snd_strerror(err));
    } catch (...) {
        // Out of memory while naming a card: the volume stays as it is.
    }
}

void AlsaWaveOut::reportOnce(const std::string& device, const std::string& problem) {
    if (!reported_.insert(device).second) return;
    std::fprintf(stderr,
                 "tumblenest: the volume of sound device %s cannot be set (%s); it is left as it is\n",
                 device.c_str(), problem.c_str());
}

}  // namespace tn
