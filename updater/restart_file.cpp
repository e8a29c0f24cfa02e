#include "restart_file.h"

namespace tn::updater {

void RestartFile::markShellStarted() {
    if (lines.empty()) lines.emplace_back();
    lines[0] = "no";
}

RestartFile parseRestartFile(std::string_view bytes) {
    if (const auto nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    RestartFile file;
    std::size_t begin = 0;
    while (begin < bytes.size()) {
        const auto end = bytes.find_first_of("\r\n", begin);
        if (end == std::string_view::npos) {
            file.lines.emplace_back(bytes.substr(begin));
            break;
        }
        file.lines.emplace_back(bytes.substr(begin, end - begin));
        begin = end + 1;
        if (bytes[end] == '\r' && begin < bytes.size() && bytes[begin] == '\n') ++begin;
    }
    return file;
}

std::string formatRestartFile(const RestartFile& file) {
    std::string text;
    for (const auto& line : file.lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace tn::updater
