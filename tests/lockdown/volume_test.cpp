#include "lockdown/volume.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/doubles/recording.h"

namespace tn {
namespace {

TEST(VolumeWord, GivesBothChannelsTheSameLevelAndClampsThePosition) {
    struct Case {
        int position;
        std::uint32_t channel;
    };
    for (const Case& c : {Case{0, 0xAAAA}, Case{1, 0x9999}, Case{3, 0x7777}, Case{5, 0x5555}, Case{9, 0x1111},
                          Case{10, 0}, Case{-4, 0xAAAA}, Case{12, 0}, Case{-2147483647 - 1, 0xAAAA}}) {
        SCOPED_TRACE(c.position);
        const std::uint32_t word = volumeWord(c.position);
        EXPECT_EQ(word & 0xFFFF, c.channel);  // left
        EXPECT_EQ(word >> 16, c.channel);     // right
    }
}

// A settings list of the required length whose line 5 holds the initial position.
Settings freshSettings() {
    TextList lines;
    for (std::size_t i = 0; i < setting::kRequiredLines; ++i)
        lines.append(i == setting::kVolumePosition ? "5" : "other");
    return Settings(std::move(lines));
}

std::vector<std::string> setVolumeCalls(int devices, std::uint32_t word) {
    std::vector<std::string> calls;
    for (int d = 0; d < devices; ++d)
        calls.push_back("setVolume " + std::to_string(d) + " " + std::to_string(word));
    return calls;
}

TEST(VolumeSlider, AMoveSetsEveryDeviceAndKeepsThePositionInLine5) {
    struct Case {
        int devices;
        int target;
        int position;  // where the slider ends
        std::uint32_t word;
    };
    for (const Case& c : {Case{3, 10, 10, 0}, Case{2, 0, 0, 0xAAAAAAAA}, Case{1, 7, 7, 0x33333333},
                          Case{2, 12, 10, 0}, Case{1, -1, 0, 0xAAAAAAAA},
                          // With no wave output device only the position is kept.
                          Case{0, 8, 8, 0}}) {
        SCOPED_TRACE(testing::Message() << c.devices << " devices, to " << c.target);
        auto log = std::make_shared<CallLog>();
        RecordingWaveOut wave(log, c.devices);
        Settings settings = freshSettings();
        VolumeSlider slider(wave, settings);
        EXPECT_TRUE(slider.setPosition(c.target));
        EXPECT_EQ(slider.position(), c.position);
        EXPECT_EQ(log->calls, setVolumeCalls(c.devices, c.word));
        EXPECT_EQ(settings.line(setting::kVolumePosition), std::to_string(c.position));
        // Only line 5 is touched.
        EXPECT_EQ(settings.line(setting::kVolumePosition - 1), "other");
        EXPECT_EQ(settings.line(setting::kVolumePosition + 1), "other");
    }
}

TEST(VolumeSlider, TheCurrentPositionFiresNothing) {
    auto log = std::make_shared<CallLog>();
    RecordingWaveOut wave(log, 2);
    Settings settings = freshSettings();
    settings.set(setting::kVolumePosition, "untouched");
    VolumeSlider slider(wave, settings);
    EXPECT_FALSE(slider.setPosition(5));
    ASSERT_TRUE(slider.setPosition(10));
    log->calls.clear();
    settings.set(setting::kVolumePosition, "untouched");
    // Beyond the bottom clamps to where the slider already is.
    EXPECT_FALSE(slider.setPosition(10));
    EXPECT_FALSE(slider.setPosition(25));
    EXPECT_TRUE(log->calls.empty());
    EXPECT_EQ(settings.line(setting::kVolumePosition), "untouched");
}

TEST(VolumeSlider, StartUpAppliesTheStoredPositionOnlyWhenItMovesTheSlider) {
    struct Case {
        std::optional<int> before;  // a position the slider was moved to first; none = the initial 5
        const char* line5;
        bool accepted;
        int position;
        std::optional<std::uint32_t> word;  // none = no device call
        const char* line5_after;
    };
    for (const Case& c : {
             Case{std::nullopt, "5", true, 5, std::nullopt, "5"},
             Case{std::nullopt, "3", true, 3, 0x77777777, "3"},
             Case{std::nullopt, "10", true, 10, 0, "10"},
             // Out of range: clamped, silenced or at the top, and line 5 rewritten at once.
             Case{std::nullopt, "12", true, 10, 0, "10"},
             Case{std::nullopt, "-2", true, 0, 0xAAAAAAAA, "0"},
             // The write-back does not depend on the slider moving.
             Case{0, "-3", true, 0, std::nullopt, "0"},
             // Not a number (start-up stops before this): nothing happens.
             Case{std::nullopt, "loud", false, 5, std::nullopt, "loud"},
             Case{std::nullopt, "", false, 5, std::nullopt, ""},
         }) {
        SCOPED_TRACE(c.line5);
        auto log = std::make_shared<CallLog>();
        RecordingWaveOut wave(log, 2);
        Settings settings = freshSettings();
        VolumeSlider slider(wave, settings);
        if (c.before) slider.setPosition(*c.before);
        log->calls.clear();
        settings.set(setting::kVolumePosition, c.line5);

        EXPECT_EQ(slider.setPositionFromSettings(settings.line(setting::kVolumePosition)), c.accepted);
        EXPECT_EQ(slider.position(), c.position);
        EXPECT_EQ(log->calls, c.word ? setVolumeCalls(2, *c.word) : std::vector<std::string>{});
        EXPECT_EQ(settings.line(setting::kVolumePosition), c.line5_after);
    }
}

}  // namespace
}  // namespace tn
