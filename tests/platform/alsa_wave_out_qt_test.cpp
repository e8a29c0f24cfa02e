// The ALSA volume stand-in needs no display, but it lives in the Linux implementations, which only
// the Qt test binary links.
#include "platform/linux/alsa_wave_out.h"

#include <alsa/asoundlib.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tn {
namespace {

TEST(AlsaVolumeFor, MapsTheLevelLinearlyOntoTheElementsRange) {
    struct Case {
        std::uint16_t level;
        long min, max, expected;
    };
    for (const Case& c : {
             Case{0, 0, 87, 0},
             Case{0xFFFF, 0, 87, 87},
             Case{0x5555, 0, 87, 29},
             Case{0xAAAA, 0, 87, 58},
             Case{0x5555, -50, 50, -17},
             Case{0, -50, 50, -50},
             // Rounded to the nearest value.
             Case{0x7FFF, 0, 1, 0},
             Case{0x8000, 0, 1, 1},
             // The widest range does not overflow.
             Case{0xFFFF, LONG_MIN, LONG_MAX, LONG_MAX},
             Case{0, LONG_MIN, LONG_MAX, LONG_MIN},
             Case{0x8000, LONG_MIN, LONG_MAX, 140739635871744L},
             // An empty or reversed range holds only its minimum.
             Case{0xFFFF, 4, 4, 4},
             Case{0xFFFF, 9, 3, 9},
         }) {
        SCOPED_TRACE(testing::Message() << c.level << " on " << c.min << ".." << c.max);
        EXPECT_EQ(alsaVolumeFor(c.level, c.min, c.max), c.expected);
    }
}

// Counts the cards the way the kernel shows them, without ALSA.
int controlNodes() {
    int n = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/snd", ec)) {
        if (entry.path().filename().string().rfind("controlC", 0) == 0) ++n;
    }
    return n;
}

TEST(AlsaWaveOut, HasOneDevicePerSoundCardAndIgnoresOtherNumbers) {
    AlsaWaveOut wave;
    const int cards = controlNodes();
    EXPECT_EQ(wave.deviceCount(), cards);
    // Device numbers outside the list touch nothing (so this never changes a real card's volume).
    for (int device : {-1, cards, cards + 3})
        wave.setVolume(device, 0);
    EXPECT_EQ(wave.deviceCount(), cards);
}

std::uint32_t word(std::uint16_t left, std::uint16_t right) {
    return (std::uint32_t{right} << 16) | left;
}

// Cards made of mixer controls held in memory by a control plugin the tests build, through an ALSA
// configuration of the test's own: the mixer code runs for real without a sound card.
class AlsaMixer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (const char* old = std::getenv("ALSA_CONFIG_PATH")) saved_ = old;
        dir_ = std::make_unique<test::TempDir>();
        dir_->write("asound.conf",
                    std::string("ctl_type.tnfake { lib \"") + TN_FAKE_ALSA_CONTROL + "\" }\n" + R"(
ctl.stereo { type tnfake controls [ "Master Playback Volume:2:0:87" "Master Playback Switch:2"
                                    "PCM Playback Volume:2:0:255" ] }
ctl.pcm_only { type tnfake controls [ "Headphone Playback Volume:2:0:10" "PCM Playback Volume:2:-50:50" ] }
ctl.master_switch_only { type tnfake controls [ "Master Playback Switch:1" "Speaker Playback Volume:1:0:31" ] }
ctl.surround { type tnfake controls [ "Master Playback Volume:6:0:100" ] }
ctl.good { type tnfake controls [ "Master Playback Volume:2:0:87" ] }
ctl.capture_only { type tnfake controls [ "Capture Volume:2:0:63" ] }
)");
        ::setenv("ALSA_CONFIG_PATH", dir_->file("asound.conf").c_str(), 1);
    }
    static void TearDownTestSuite() {
        if (saved_) {
            ::setenv("ALSA_CONFIG_PATH", saved_->c_str(), 1);
        } else {
            ::unsetenv("ALSA_CONFIG_PATH");
        }
        snd_config_update_free_global();
        dir_.reset();
    }

    // The values of a control as the card holds them, read through a handle of the test's own.
    static std::vector<long> read(const std::string& device, const std::string& control) {
        snd_ctl_t* ctl = nullptr;
        if (snd_ctl_open(&ctl, device.c_str(), 0) < 0) return {};
        snd_ctl_elem_id_t* id = nullptr;
        snd_ctl_elem_info_t* info = nullptr;
        snd_ctl_elem_value_t* value = nullptr;
        snd_ctl_elem_id_malloc(&id);
        snd_ctl_elem_info_malloc(&info);
        snd_ctl_elem_value_malloc(&value);
        snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
        snd_ctl_elem_id_set_name(id, control.c_str());
        snd_ctl_elem_info_set_id(info, id);
        snd_ctl_elem_value_set_id(value, id);
        std::vector<long> out;
        if (snd_ctl_elem_info(ctl, info) >= 0 && snd_ctl_elem_read(ctl, value) >= 0) {
            for (unsigned int i = 0; i < snd_ctl_elem_info_get_count(info); ++i)
                out.push_back(snd_ctl_elem_value_get_integer(value, i));
        }
        snd_ctl_elem_value_free(value);
        snd_ctl_elem_info_free(info);
        snd_ctl_elem_id_free(id);
        snd_ctl_close(ctl);
        return out;
    }

    static inline std::unique_ptr<test::TempDir> dir_;
    static inline std::optional<std::string> saved_;
};

TEST_F(AlsaMixer, SetsMasterPerChannelAndSwitchesItOffOnlyAtSilence) {
    AlsaWaveOut wave({"stereo"});
    ASSERT_EQ(wave.deviceCount(), 1);

    wave.setVolume(0, word(0xAAAA, 0x5555));
    EXPECT_EQ(read("stereo", "Master Playback Volume"), (std::vector<long>{58, 29}));
    EXPECT_EQ(read("stereo", "Master Playback Switch"), (std::vector<long>{1, 1}));
    EXPECT_EQ(read("stereo", "PCM Playback Volume"), (std::vector<long>{255, 255}));  // Master wins

    wave.setVolume(0, 0);
    EXPECT_EQ(read("stereo", "Master Playback Volume"), (std::vector<long>{0, 0}));
    EXPECT_EQ(read("stereo", "Master Playback Switch"), (std::vector<long>{0, 0}));

    // Turning it up again brings the sound back.
    wave.setVolume(0, word(0x5555, 0x5555));
    EXPECT_EQ(read("stereo", "Master Playback Volume"), (std::vector<long>{29, 29}));
    EXPECT_EQ(read("stereo", "Master Playback Switch"), (std::vector<long>{1, 1}));
}

TEST_F(AlsaMixer, FallsBackToPcmThenToTheFirstPlaybackVolume) {
    AlsaWaveOut wave({"pcm_only", "master_switch_only", "surround"});
    ASSERT_EQ(wave.deviceCount(), 3);

    wave.setVolume(0, word(0x5555, 0x5555));
    EXPECT_EQ(read("pcm_only", "PCM Playback Volume"), (std::vector<long>{-17, -17}));
    EXPECT_EQ(read("pcm_only", "Headphone Playback Volume"), (std::vector<long>{10, 10}));

    // A Master with a switch but no volume does not count; a mono element gets the average.
    wave.setVolume(1, word(0xFFFF, 0));
    EXPECT_EQ(read("master_switch_only", "Speaker Playback Volume"), (std::vector<long>{15}));
    EXPECT_EQ(read("master_switch_only", "Master Playback Switch"), (std::vector<long>{1}));

    // Front left and right get their own levels; rear, centre and bass the average.
    wave.setVolume(2, word(0xFFFF, 0));
    EXPECT_EQ(read("surround", "Master Playback Volume"), (std::vector<long>{100, 0, 50, 50, 50, 50}));
}

TEST_F(AlsaMixer, ACardItCannotSetIsSkippedAndReportedOnce) {
    AlsaWaveOut wave({"capture_only", "no_such_card", "good"});
    ASSERT_EQ(wave.deviceCount(), 3);
    testing::internal::CaptureStderr();
    for (int round = 0; round < 2; ++round) {
        for (int device = 0; device < 3; ++device)
            wave.setVolume(device, 0);
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(read("capture_only", "Capture Volume"), (std::vector<long>{63, 63}));
    // The card that works is set all the same.
    EXPECT_EQ(read("good", "Master Playback Volume"), (std::vector<long>{0, 0}));
    // One line of ours per failing device, however often it is asked.
    std::size_t ours = 0;
    for (std::size_t at = 0;
         (at = errors.find("tumblenest: the volume of sound device", at)) != std::string::npos; ++at)
        ++ours;
    EXPECT_EQ(ours, 2u) << errors;
    EXPECT_NE(errors.find("capture_only"), std::string::npos);
    EXPECT_NE(errors.find("no_such_card"), std::string::npos);
}

}  // namespace
}  // namespace tn
