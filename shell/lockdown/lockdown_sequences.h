#pragma once

#include "platform/lockdown.h"

namespace tn {

// The fixed sequences of lockdown calls. Every moment that locks or unlocks the desktop uses these,
// so the identifiers and their order are stated once.
//
// Items 1 to 10 and 14, ascending. Keys: Ctrl+Alt+Escape, Alt+Tab, Ctrl+Alt+F4 and the Super key.
void itemLock(ILockdown& lockdown);
void itemUnlock(ILockdown& lockdown);
void keyLock(ILockdown& lockdown);
void keyUnlock(ILockdown& lockdown);
// Ctrl+Alt+Delete, governed by its own setting and never part of the key sequences.
void setCtrlAltDelDisabled(ILockdown& lockdown, bool disabled);

}  // namespace tn
