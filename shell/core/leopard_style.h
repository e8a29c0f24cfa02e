#pragma once

#include <QString>

namespace tn {

// The shell's own look, "Leopard": warm amber buttons and tabs with dark brown edges on cream lists
// and fields, large enough for a child's eye and hand. Applied to the whole application at start-up,
// so every window of the shell (prompts, the administration panel, the virtual desktop's buttons)
// shares it.
QString leopardStyleSheet();

}  // namespace tn
