#include "lockdown/desktop_policy.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "lockdown/lockdown_sequences.h"

namespace tn {
namespace {

using Root = IRegistry::Root;

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view fileName(std::string_view path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

DesktopPolicy::DesktopPolicy(IRegistry& registry, IShellOpen& shell, IProcesses& processes,
                             ILockdown& lockdown, bool end_desktop_on_unlock,
                             std::function<void()> schedule_follow_up, Log log)
    : registry_(registry),
      shell_(shell),
      processes_(processes),
      lockdown_(lockdown),
      end_desktop_on_unlock_(end_desktop_on_unlock),
      schedule_follow_up_(std::move(schedule_follow_up)),
      log_(std::move(log)) {
    if (!log_) {
        log_ = [](std::string_view line) {
            std::fprintf(stderr, "tumblenest: %.*s\n", static_cast<int>(line.size()), line.data());
        };
    }
}

void DesktopPolicy::skipUserAccountControlStep(std::string_view moment) {
    std::string line = "desktop policy ";
    line += moment;
    line +=
        ": the step that would switch off the elevation prompt is skipped; it would weaken the "
        "system's security";
    log_(line);
}

void DesktopPolicy::LockDownWindows7Click() {
    const bool guarded = registry_.keyExists(Root::CurrentUser, kDesktopGuardKey);
    if (guarded) skipUserAccountControlStep("lock");
    registry_.writeDword(Root::CurrentUser, kExplorerPolicyKey, "NoDesktop", 1, true);
    itemLock(lockdown_);
    registry_.writeDword(Root::CurrentUser, kExplorerPolicyKey, "NoDesktop", 1, true);
    if (guarded) endProcessesByName(kDesktopProcessName);
    if (schedule_follow_up_) schedule_follow_up_();
}

void DesktopPolicy::DelayLockdouwnW7Timer() {
    for (const auto& process : processes_.list()) {
        if (process.executable.empty() || fileName(process.executable) != kSidebarProcessName) continue;
        if (processes_.terminate(process.pid)) sidebar_flag_ = true;
    }
    itemLock(lockdown_);
}

void DesktopPolicy::UnlockWindows7Click() {
    if (registry_.keyExists(Root::CurrentUser, kDesktopGuardKey)) skipUserAccountControlStep("unlock");
    // Deleting only from a key that exists: the unlock never creates the policy key.
    if (registry_.keyExists(Root::CurrentUser, kExplorerPolicyKey))
        registry_.deleteValue(Root::CurrentUser, kExplorerPolicyKey, "NoDesktop");
    if (registry_.keyExists(Root::CurrentUser, kExplorerPolicyKey))
        registry_.deleteValue(Root::CurrentUser, kExplorerPolicyKey, "NoSetTaskbar");
    if (end_desktop_on_unlock_) endProcessesByName(kDesktopProcessName);
}

void DesktopPolicy::restartSidebar(const std::string& verb) {
    if (sidebar_flag_) shell_.open(verb, kSidebarOpenName, "", "");
}

bool DesktopPolicy::endProcessesByName(const std::string& name) {
    if (name.empty()) return false;
    bool result = false;
    for (const auto& process : processes_.list()) {
        if (process.executable.empty()) continue;
        if (equalsIgnoringCase(fileName(process.executable), name) ||
            equalsIgnoringCase(process.executable, name))
            result = processes_.terminate(process.pid);
    }
    return result;
}

}  // namespace tn
