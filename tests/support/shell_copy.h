#pragma once

#include <string>

namespace tn::test {

// Copies the built shell and its staged data directory into folder, so a test can run the real
// program on data of its own (the shell's data directory is the folder of its executable).
// Returns the path of the copied executable.
std::string copyShell(const std::string& folder);

}  // namespace tn::test
