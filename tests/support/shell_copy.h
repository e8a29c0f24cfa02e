#pragma once

#include <string>

namespace tn::test {

// Copies the built shell and its staged data directory into folder, so a test can run the real
// program on data of its own (the shell's data directory is the folder of its executable).
// The copy's parent password is "parent". Returns the path of the copied executable.
std::string copyShell(const std::string& folder);
// Stores `plain` as the parent password of the copy in folder (empty: no password).
void setShellPassword(const std::string& folder, const std::string& plain);

}  // namespace tn::test
