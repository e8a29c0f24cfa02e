#include "core/sounds.h"

namespace tn {

const char* Sounds::fileName(Id id) {
    static constexpr const char* kFiles[Count] = {"files/tick.wav",   "files/timeup.wav", "files/alert.wav",
                                                  "files/decent.wav", "files/bass.wav",   "files/exit.wav",
                                                  "files/slip.wav"};
    return kFiles[id];
}

Sounds::Sounds(ISoundSystem& system, const std::string& data_dir) {
    for (int i = 0; i < Count; ++i) {
        players_[static_cast<std::size_t>(i)] = system.open(data_dir + fileName(static_cast<Id>(i)));
    }
}

void Sounds::play(Id id) {
    if (auto& p = players_[id]) p->play();
}

}  // namespace tn
