#include "access/first_run.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "access/file_registry.h"
#include "access/scramble.h"
#include "core/list_file.h"
#include "platform/doubles/recording.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

using Root = IRegistry::Root;

Settings settingsWithPassword(const std::string& line0) {
    TextList lines;
    lines.append(line0);
    for (std::size_t i = 1; i < setting::kRequiredLines; ++i)
        lines.append("line " + std::to_string(i));
    return Settings(std::move(lines));
}

// Runs the check and records what it did: how often the form was shown and what line 0 held at
// each write.
struct CheckRun {
    FirstRunResult result;
    int forms = 0;
    std::vector<std::string> writes;
};

CheckRun runCheck(IRegistry& registry, Settings& settings, const std::string& typed = "typed",
                  std::error_code write_error = {}) {
    CheckRun run{{FirstRunOutcome::AlreadySet, {}}, 0, {}};
    run.result = runFirstRunPasswordCheck(
        registry, settings,
        [&] {
            ++run.forms;
            settings.set(setting::kPassword, ScrambleText(typed));
        },
        [&] {
            run.writes.emplace_back(settings.line(setting::kPassword));
            return write_error;
        });
    return run;
}

TEST(FirstRunPasswordCheck, FollowsLineZeroThenTheRegistryThenAsksTheParent) {
    const std::string copy = ScrambleText("installer");
    struct Case {
        const char* what;
        std::string line0;
        std::optional<std::string> registry;  // HKLM SOFTWARE\TUMBLENEST pw
        FirstRunOutcome outcome;
        std::string line0_after;
        int forms;
        int writes;
    };
    const std::vector<Case> cases = {
        {"line 0 set wins over the registry", ScrambleText("own"), copy, FirstRunOutcome::AlreadySet,
         ScrambleText("own"), 0, 0},
        {"line 0 set, no registry", ScrambleText("own"), std::nullopt, FirstRunOutcome::AlreadySet,
         ScrambleText("own"), 0, 0},
        {"registry copy adopted unchanged", "", copy, FirstRunOutcome::AdoptedRegistry, copy, 0, 1},
        {"no registry value", "", std::nullopt, FirstRunOutcome::AskedParent, ScrambleText("typed"), 1, 1},
        {"empty registry value", "", std::string(), FirstRunOutcome::AskedParent, ScrambleText("typed"), 1,
         1},
        // As line 0 these would split the settings file and shift every later setting.
        {"registry value with LF", "", "ab\ncd", FirstRunOutcome::AskedParent, ScrambleText("typed"), 1, 1},
        {"registry value with CR", "", "ab\rcd", FirstRunOutcome::AskedParent, ScrambleText("typed"), 1, 1},
        {"registry value with NUL", "", std::string("ab\0cd", 5), FirstRunOutcome::AskedParent,
         ScrambleText("typed"), 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryRegistry registry(std::make_shared<CallLog>());
        if (c.registry)
            registry.putString(Root::LocalMachine, kPasswordRegistryKey, kPasswordRegistryValue, *c.registry);
        Settings settings = settingsWithPassword(c.line0);
        const CheckRun run = runCheck(registry, settings);
        EXPECT_EQ(run.result.outcome, c.outcome);
        EXPECT_EQ(settings.line(setting::kPassword), c.line0_after);
        EXPECT_EQ(run.forms, c.forms);
        ASSERT_EQ(static_cast<int>(run.writes.size()), c.writes);
        // The write comes after line 0 has been filled.
        if (c.writes) {
            EXPECT_EQ(run.writes[0], c.line0_after);
        }
        EXPECT_EQ(settings.line(1), "line 1");
        EXPECT_EQ(settings.lines().size(), setting::kRequiredLines);
    }
}

TEST(FirstRunPasswordCheck, ReadsOnlyTheMachineCopy) {
    MemoryRegistry registry(std::make_shared<CallLog>());
    registry.putString(Root::CurrentUser, kPasswordRegistryKey, kPasswordRegistryValue, ScrambleText("user"));
    registry.putString(Root::LocalMachine, kPasswordRegistryKey, "PW2", ScrambleText("other"));
    Settings settings = settingsWithPassword("");
    EXPECT_EQ(runCheck(registry, settings).forms, 1);
}

TEST(FirstRunPasswordCheck, HandsAFailedWriteBack) {
    MemoryRegistry registry(std::make_shared<CallLog>());
    registry.putString(Root::LocalMachine, kPasswordRegistryKey, kPasswordRegistryValue, ScrambleText("x"));
    Settings settings = settingsWithPassword("");
    const auto error = std::make_error_code(std::errc::read_only_file_system);
    const CheckRun run = runCheck(registry, settings, "typed", error);
    EXPECT_EQ(run.result.outcome, FirstRunOutcome::AdoptedRegistry);
    EXPECT_EQ(run.result.write_error, error);
}

// From an installer's hand-written registry file to the settings file on disk.
TEST(FirstRunPasswordCheck, AdoptsAnInstalledPasswordIntoTheSettingsFile) {
    test::TempDir dir;
    dir.write("machine/SOFTWARE/TUMBLENEST/values", "pw=sz:\\x85\\x94\\x86\n");
    FileRegistry registry(dir.file("machine"), dir.file("user"));
    Settings settings = settingsWithPassword("");
    dir.write("files/config.ini", settings.lines().toText());
    const std::string path = dir.file("files/config.ini");
    int forms = 0;
    const auto result = runFirstRunPasswordCheck(
        registry, settings, [&] { ++forms; }, [&] { return saveListFile(path, settings.lines()); });
    EXPECT_EQ(result.outcome, FirstRunOutcome::AdoptedRegistry);
    EXPECT_FALSE(result.write_error);
    EXPECT_EQ(forms, 0);

    TextList reread;
    ASSERT_TRUE(loadListFile(path, reread));
    EXPECT_TRUE(reread == settings.lines());
    EXPECT_TRUE(passwordMatches(reread[setting::kPassword], "pas"));
    // The registry copy is never written.
    EXPECT_EQ(dir.read("machine/SOFTWARE/TUMBLENEST/values"), "pw=sz:\\x85\\x94\\x86\n");
}

}  // namespace
}  // namespace tn
