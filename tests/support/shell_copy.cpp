#include "support/shell_copy.h"

#include <filesystem>

#include "access/scramble.h"
#include "core/list_file.h"

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
    // A parent password is set, as after the first run; tests of the first run clear it again.
    setShellPassword(folder, "parent");
    return folder + "/tumblenest";
}

void setShellPassword(const std::string& folder, const std::string& plain) {
    const std::string config = folder + "/files/config.ini";
    TextList lines;
    loadListFile(config, lines);
    if (lines.empty()) return;
    lines.set(0, ScrambleText(plain));
    (void)saveListFile(config, lines);
}

}  // namespace tn::test
