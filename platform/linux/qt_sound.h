#pragma once

#include "platform/sound.h"

namespace tn {

// Wave playback through Qt Multimedia. A file opens when it exists and carries a RIFF/WAVE header;
// playback problems later (no audio device) stay silent.
class QtSoundSystem final : public ISoundSystem {
public:
    std::unique_ptr<ISoundPlayer> open(const std::string& path) override;
};

}  // namespace tn
