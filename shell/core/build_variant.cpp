#include "core/shell_app.h"

#ifndef TN_BASIC_BUILD
#error "TN_BASIC_BUILD must be defined by the build: 0 for the full shell, 1 for the basic one"
#endif

namespace tn {

BuildVariant buildVariant() {
    constexpr bool full = TN_BASIC_BUILD == 0;
    return {full, full};
}

}  // namespace tn
