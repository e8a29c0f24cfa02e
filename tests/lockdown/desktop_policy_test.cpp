#include "lockdown/desktop_policy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "access/file_registry.h"
#include "platform/doubles/recording.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

using Root = IRegistry::Root;

const std::string kPolicy = std::string("HKCU\\") + kExplorerPolicyKey;

std::vector<std::string> itemLockCalls() {
    std::vector<std::string> calls;
    for (int item : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 14})
        calls.push_back("wlDisableItem " + std::to_string(item) + " 1");
    return calls;
}

std::vector<std::string> concat(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Processes that a real desktop, a compatibility layer and look-alikes could show.
std::vector<IProcesses::Process> crowdedMachine() {
    return {
        {101, "/opt/win/explorer.exe"},
        {102, "/opt/win/EXPLORER.EXE"},
        {103, "/usr/lib/wine/wine64-preloader"},  // what a compatibility layer's explorer.exe shows
        {104, "/opt/win/explorer.exe.bak"},
        {105, "/opt/explorer.exe/tool"},
        {106, ""},  // a kernel thread or someone else's process
        {107, "/opt/gadgets/sidebar.exe"},
    };
}

class DesktopPolicyTest : public ::testing::Test {
protected:
    std::shared_ptr<CallLog> log = std::make_shared<CallLog>();
    MemoryRegistry registry{log};
    RecordingShellOpen shell{log};
    RecordingProcesses processes{log};
    RecordingLockdown lockdown{log};
    std::vector<std::string> log_lines;

    DesktopPolicy make(bool end_desktop_on_unlock = true) {
        return DesktopPolicy(
            registry, shell, processes, lockdown, end_desktop_on_unlock,
            [this] { log->add("follow-up scheduled"); },
            [this](std::string_view line) { log_lines.emplace_back(line); });
    }
    void addGuardKey() { registry.createKey(Root::CurrentUser, kDesktopGuardKey); }
};

TEST_F(DesktopPolicyTest, LockWithoutGuardKeyHidesTheDesktopAndEndsNothing) {
    processes.processes = crowdedMachine();
    auto policy = make();
    policy.LockDownWindows7Click();

    const std::string write = "registry write " + kPolicy + " NoDesktop=1";
    EXPECT_EQ(log->calls, concat({{write}, itemLockCalls(), {write, "follow-up scheduled"}}));
    EXPECT_EQ(registry.readString(Root::CurrentUser, kExplorerPolicyKey, "NoDesktop"), "1");
    EXPECT_TRUE(log_lines.empty());
}

TEST_F(DesktopPolicyTest, GuardKeyMakesTheLockEndTheDesktopButNeverRunsTheSecurityCommand) {
    addGuardKey();
    processes.processes = crowdedMachine();
    auto policy = make();
    policy.LockDownWindows7Click();

    const std::string write = "registry write " + kPolicy + " NoDesktop=1";
    EXPECT_EQ(
        log->calls,
        concat({{write}, itemLockCalls(), {write, "terminate 101", "terminate 102", "follow-up scheduled"}}));
    ASSERT_EQ(log_lines.size(), 1u);
    EXPECT_NE(log_lines[0].find("skipped"), std::string::npos);

    policy.UnlockWindows7Click();
    EXPECT_TRUE(log->starting("shellOpen").empty());
    EXPECT_EQ(log_lines.size(), 2u);
}

TEST_F(DesktopPolicyTest, UnlockDeletesBothValuesAndEndsTheDesktopExceptInTheBasicBuild) {
    for (const bool guard : {false, true}) {
        for (const bool end_desktop : {true, false}) {
            SCOPED_TRACE(testing::Message() << "guard " << guard << ", end desktop " << end_desktop);
            log->calls.clear();
            log_lines.clear();
            registry = MemoryRegistry(log);
            if (guard) addGuardKey();
            registry.writeDword(Root::CurrentUser, kExplorerPolicyKey, "NoDesktop", 1, true);
            registry.writeDword(Root::CurrentUser, kExplorerPolicyKey, "NoSetTaskbar", 1, true);
            log->calls.clear();
            processes.processes = crowdedMachine();

            make(end_desktop).UnlockWindows7Click();

            std::vector<std::string> expected = {"registry delete " + kPolicy + " NoDesktop",
                                                 "registry delete " + kPolicy + " NoSetTaskbar"};
            if (end_desktop) expected.insert(expected.end(), {"terminate 101", "terminate 102"});
            EXPECT_EQ(log->calls, expected);
            EXPECT_FALSE(registry.readString(Root::CurrentUser, kExplorerPolicyKey, "NoDesktop"));
            EXPECT_FALSE(registry.readString(Root::CurrentUser, kExplorerPolicyKey, "NoSetTaskbar"));
            EXPECT_EQ(log_lines.size(), guard ? 1u : 0u);
        }
    }
}

// Through the real file store: the lock and the unlock reach the same key, and an unlock on a machine
// without the policy key leaves the store exactly as it was.
TEST_F(DesktopPolicyTest, FileRegistryRoundTripAndUnlockWithoutPolicyKey) {
    test::TempDir dir;
    FileRegistry files(dir.file("machine"), dir.file("user"));
    std::filesystem::create_directories(dir.file("user"));
    processes.processes = crowdedMachine();
    DesktopPolicy policy(
        files, shell, processes, lockdown, true, [] {}, [](std::string_view) {});

    policy.UnlockWindows7Click();
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("user")));
    EXPECT_EQ(log->starting("terminate"), (std::vector<std::string>{"terminate 101", "terminate 102"}));

    policy.LockDownWindows7Click();
    EXPECT_EQ(files.readDword(Root::CurrentUser, kExplorerPolicyKey, "NoDesktop"), 1u);
    files.writeString(Root::CurrentUser, kExplorerPolicyKey, "NoSetTaskbar", "x", false);
    files.writeString(Root::CurrentUser, kExplorerPolicyKey, "Other", "kept", false);
    policy.UnlockWindows7Click();
    EXPECT_FALSE(files.readDword(Root::CurrentUser, kExplorerPolicyKey, "NoDesktop"));
    EXPECT_FALSE(files.readString(Root::CurrentUser, kExplorerPolicyKey, "NoSetTaskbar"));
    EXPECT_EQ(files.readString(Root::CurrentUser, kExplorerPolicyKey, "Other"), "kept");
}

TEST_F(DesktopPolicyTest, FollowUpEndsOnlyTheExactSidebarNameAndRestartsItLater) {
    processes.processes = {
        {201, "/opt/gadgets/sidebar.exe"}, {202, "/opt/gadgets/Sidebar.exe"},
        {203, "/opt/gadgets/SIDEBAR.EXE"}, {204, "/usr/bin/sidebar"},
        {205, "/opt/sidebar.exe/tool"},    {206, ""},
        {207, "/opt/win/explorer.exe"},
    };
    auto policy = make();
    policy.restartSidebar("open");
    EXPECT_FALSE(policy.sidebarFlag());

    policy.DelayLockdouwnW7Timer();
    EXPECT_EQ(log->calls, concat({{"terminate 201"}, itemLockCalls()}));
    EXPECT_TRUE(policy.sidebarFlag());

    // The flag stays for the run: every later restart opens the sidebar, running or not.
    log->calls.clear();
    policy.DelayLockdouwnW7Timer();
    EXPECT_TRUE(policy.sidebarFlag());
    policy.restartSidebar("open");
    policy.restartSidebar("");
    EXPECT_EQ(log->starting("shellOpen"),
              (std::vector<std::string>{"shellOpen [open] [sidebar] [] []", "shellOpen [] [sidebar] [] []"}));
}

// A sidebar that could not be ended is still running; starting it again would make a second one.
TEST_F(DesktopPolicyTest, SidebarThatCannotBeEndedIsNotRestarted) {
    struct Refusing final : IProcesses {
        std::vector<Process> list() override { return {{301, "/opt/gadgets/sidebar.exe"}}; }
        bool terminate(int) override { return false; }
    } refusing;
    DesktopPolicy policy(
        registry, shell, refusing, lockdown, true, [] {}, [](std::string_view) {});
    policy.DelayLockdouwnW7Timer();
    EXPECT_FALSE(policy.sidebarFlag());
    policy.restartSidebar("open");
    EXPECT_TRUE(log->starting("shellOpen").empty());
}

TEST_F(DesktopPolicyTest, EndProcessesByNameMatchesFileNameOrWholePathIgnoringCase) {
    struct Case {
        std::string name;
        std::vector<std::string> terminated;
        bool result;
    };
    const std::vector<Case> cases = {
        {"explorer.exe", {"terminate 101", "terminate 102"}, true},
        {"EXPLORER.exe", {"terminate 101", "terminate 102"}, true},
        {"/OPT/EXPLORER.EXE/TOOL", {"terminate 105"}, true},
        {"explorer", {}, false},
        {"win/explorer.exe", {}, false},
        // An empty name must not match the processes whose executable is unknown.
        {"", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log->calls.clear();
        processes.processes = crowdedMachine();
        EXPECT_EQ(make().endProcessesByName(c.name), c.result);
        EXPECT_EQ(log->calls, c.terminated);
    }

    // The result is that of the last termination: here the second process is already gone.
    processes.processes = crowdedMachine();
    struct Vanishing final : IProcesses {
        RecordingProcesses& inner;
        explicit Vanishing(RecordingProcesses& p) : inner(p) {}
        std::vector<Process> list() override { return inner.list(); }
        bool terminate(int pid) override { return pid != 102 && inner.terminate(pid); }
    } vanishing(processes);
    DesktopPolicy policy(
        registry, shell, vanishing, lockdown, true, [] {}, [](std::string_view) {});
    EXPECT_FALSE(policy.endProcessesByName("explorer.exe"));
}

}  // namespace
}  // namespace tn
