#include "support/shell_copy.h"

#include <filesystem>

namespace tn::test {

std::string copyShell(const std::string& folder) {
    namespace fs = std::filesystem;
    const fs::path bin = TN_BIN_DIR;
    for (const char* item : {"tumblenest", "files", "Skins", "Activities"}) {
        if (fs::exists(bin / item)) {
            fs::copy(bin / item, fs::path(folder) / item,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        }
    }
    return folder + "/tumblenest";
}

}  // namespace tn::test
