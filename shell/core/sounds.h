#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/sound.h"

namespace tn {

// The shell's seven sounds, each bound once at start-up to its wave file in the data directory.
// A file that is missing or cannot be opened leaves its sound silent: start-up and every handler
// that plays it carry on.
class Sounds {
public:
    enum Id { Tick, TimesUp, Alert, Decent, Bass, Exit, Slip, Count };

    // Opens the files in the order tick, timeup, alert, decent, bass, exit, slip.
    Sounds(ISoundSystem& system, const std::string& data_dir);

    void play(Id id);
    bool isOpen(Id id) const { return players_[id] != nullptr; }
    static const char* fileName(Id id);

private:
    std::array<std::unique_ptr<ISoundPlayer>, Count> players_;
};

}  // namespace tn
