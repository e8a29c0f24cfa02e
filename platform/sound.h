#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tn {

// One sound bound to one wave file for the whole run.
class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    // Starts playing from the beginning; a sound already playing starts over. Never blocks.
    virtual void play() = 0;
};

// Opens wave files for playback.
class ISoundSystem {
public:
    virtual ~ISoundSystem() = default;
    // A player for the file, or null when the file is missing or not a playable wave file.
    virtual std::unique_ptr<ISoundPlayer> open(const std::string& path) = 0;
};

// The wave output devices' volume.
class IWaveOut {
public:
    virtual ~IWaveOut() = default;
    virtual int deviceCount() = 0;
    // volume: low 16 bits left channel, high 16 bits right channel, 0 silent to 0xFFFF full.
    virtual void setVolume(int device, std::uint32_t volume) = 0;
};

}  // namespace tn
