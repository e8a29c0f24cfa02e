#include "lockdown/lockdown_sequences.h"

namespace tn {
namespace {

constexpr int kItems[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 14};

struct KeyEntry {
    int key;
    int modifiers;
};
// Virtual-key code and modifier set of each locked combination.
constexpr KeyEntry kKeys[] = {{27, 3}, {9, 1}, {115, 3}, {0, 8}};
constexpr KeyEntry kCtrlAltDel = {46, 3};

void items(ILockdown& lockdown, int state) {
    for (int id : kItems)
        lockdown.wlDisableItem(id, state);
}

void keys(ILockdown& lockdown, int state) {
    for (const auto& k : kKeys)
        lockdown.wlDisableKey(0, k.key, k.modifiers, state);
}

}  // namespace

void itemLock(ILockdown& lockdown) {
    items(lockdown, 1);
}
void itemUnlock(ILockdown& lockdown) {
    items(lockdown, 0);
}
void keyLock(ILockdown& lockdown) {
    keys(lockdown, 1);
}
void keyUnlock(ILockdown& lockdown) {
    keys(lockdown, 0);
}

void setCtrlAltDelDisabled(ILockdown& lockdown, bool disabled) {
    lockdown.wlDisableKey(0, kCtrlAltDel.key, kCtrlAltDel.modifiers, disabled ? 1 : 0);
}

}  // namespace tn
