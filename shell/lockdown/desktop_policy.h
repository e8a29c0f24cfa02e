#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/lockdown.h"
#include "platform/system.h"

namespace tn {

// The desktop policy key of the current user. The lock writes "NoDesktop" = 1 into it (creating the
// key); the unlock deletes "NoDesktop" and "NoSetTaskbar" from it when it exists.
inline constexpr const char* kExplorerPolicyKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
// A key (not a value) whose mere presence makes the lock and the unlock more forceful: the lock then
// also ends the desktop process. Its last part is spelled "NoDektop" on purpose; installations that
// set it use this spelling.
inline constexpr const char* kDesktopGuardKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\NoDektop";

// The executable names the policy looks for among the running processes.
inline constexpr const char* kDesktopProcessName = "explorer.exe";
inline constexpr const char* kSidebarProcessName = "sidebar.exe";
// What the shell is asked to open to bring the sidebar back.
inline constexpr const char* kSidebarOpenName = "sidebar";

// The desktop policy lockdown: a registry policy that hides the desktop while the child uses the
// shell, the ending of the sidebar and desktop processes, and the lifting of it all when the parent
// takes over or the shell ends.
//
// Lock (LockDownWindows7Click):
//   1. the user-account-control step (see below), only when the guard key exists;
//   2. "NoDesktop" = 1 into the policy key, created if missing;
//   3. item lock;
//   4. "NoDesktop" = 1 again;
//   5. when the guard key exists, endProcessesByName("explorer.exe");
//   6. schedule_follow_up(): the owner runs DelayLockdouwnW7Timer one second later.
// Follow-up (DelayLockdouwnW7Timer):
//   1. every process whose executable's file name is exactly "sidebar.exe" (letter case counts) is
//      terminated; a successful termination sets the sidebar flag;
//   2. item lock.
//   A desktop that briefly shows its items again while the ended process goes away is covered by
//   the item lock; SIGKILL needs no grace period, so the follow-up does not wait between the two
//   steps (a wait here would freeze the shell's only thread).
// Unlock (UnlockWindows7Click):
//   1. the user-account-control step, only when the guard key exists;
//   2. "NoDesktop" deleted from the policy key, if the key exists (never created);
//   3. "NoSetTaskbar" deleted the same way;
//   4. endProcessesByName("explorer.exe"), unless the build leaves it out.
//
// The user-account-control step belongs to desktops where the shell also switched off the system's
// elevation prompt. That weakens the machine's security for every user, so it is never done: the step
// runs nothing, hands nothing to the shell-open service and only writes a line to the log.
//
// Processes are matched by the file name of their real executable (IProcesses::list). A native
// Linux desktop has no process of these names, so on Linux the ending steps usually end nothing.
// Programs that run under a compatibility layer show the layer's loader as their executable, so the
// layer's own "explorer.exe" (which hosts the windows of the programs the child may be running) is
// never taken for the desktop process.
//
// Failures are ignored throughout: a key that is missing skips its delete, a process that cannot be
// ended keeps running, a sidebar that cannot be started is not reported.
class DesktopPolicy {
public:
    using Log = std::function<void(std::string_view line)>;

    // end_desktop_on_unlock: false in the basic build, which leaves out step 4 of the unlock.
    // schedule_follow_up switches the one-shot follow-up timer on; switching on a timer that is
    // already on leaves it as it is. log receives one line per skipped step; empty means stderr.
    DesktopPolicy(IRegistry& registry, IShellOpen& shell, IProcesses& processes, ILockdown& lockdown,
                  bool end_desktop_on_unlock, std::function<void()> schedule_follow_up, Log log = {});

    void LockDownWindows7Click();
    void DelayLockdouwnW7Timer();
    void UnlockWindows7Click();

    // Set once the follow-up has ended a sidebar process; never cleared during the run.
    bool sidebarFlag() const { return sidebar_flag_; }
    // When the sidebar flag is set, asks the shell to open "sidebar" with the given verb ("open" or
    // ""), no parameters and no working folder. Nothing otherwise.
    void restartSidebar(const std::string& verb);

    // Terminates every process whose executable file name (the part after the last "/"), or whose
    // whole executable path, equals name ignoring ASCII case. An empty name matches nothing, and a
    // process whose executable is unknown is never matched. Returns the result of the last
    // termination, false when none was attempted.
    bool endProcessesByName(const std::string& name);

private:
    void skipUserAccountControlStep(std::string_view moment);

    IRegistry& registry_;
    IShellOpen& shell_;
    IProcesses& processes_;
    ILockdown& lockdown_;
    bool end_desktop_on_unlock_;
    std::function<void()> schedule_follow_up_;
    Log log_;
    bool sidebar_flag_ = false;
};

}  // namespace tn
