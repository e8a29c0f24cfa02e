#include "access/first_run.h"

#include "access/scramble.h"

namespace tn {

FirstRunResult runFirstRunPasswordCheck(IRegistry& registry, Settings& settings,
                                        const std::function<void()>& askForPassword,
                                        const std::function<std::error_code()>& writeSettings) {
    const std::string copy =
        registry.readString(IRegistry::Root::LocalMachine, kPasswordRegistryKey, kPasswordRegistryValue)
            .value_or(std::string());
    if (!settings.line(setting::kPassword).empty()) return {FirstRunOutcome::AlreadySet, {}};

    FirstRunOutcome outcome;
    if (!copy.empty() && storableScrambled(copy)) {
        settings.set(setting::kPassword, copy);
        outcome = FirstRunOutcome::AdoptedRegistry;
    } else {
        askForPassword();
        outcome = FirstRunOutcome::AskedParent;
    }
    return {outcome, writeSettings()};
}

}  // namespace tn
