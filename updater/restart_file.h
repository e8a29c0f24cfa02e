#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tn::updater {

// "restart.ini", written by the shell before it hands over to the updater.
//   line 1 exactly "yes": start the shell when done (the updater then sets it to "no")
//   line 2 exactly "yes": replace the shell's executable with "newexe.bin"
// Every other line is kept as it was read.
struct RestartFile {
    std::vector<std::string> lines;

    bool startsShell() const { return isYes(0); }
    bool replacesExecutable() const { return isYes(1); }
    // Line 1 becomes "no", so that a later run of the updater does not start the shell again.
    void markShellStarted();

private:
    bool isYes(std::size_t line) const { return line < lines.size() && lines[line] == "yes"; }
};

// Lines end at CR LF, CR or LF (the file may have been edited by hand); a NUL ends the text.
RestartFile parseRestartFile(std::string_view bytes);
// The file as written back: CR LF after every line.
std::string formatRestartFile(const RestartFile& file);

}  // namespace tn::updater
