#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace tn::updater {

// Reads a whole file into out (cleared first).
std::error_code readWholeFile(const std::string& path, std::string& out);

// Both replacements below go through a temporary file in the target's folder that is synced,
// given the old target's permission bits (or the default when there was no target), renamed over
// the target, after which the folder is synced. A crash, a kill or a failure at any point leaves
// either the complete old file or the complete new one, never a half-written one or none; on
// failure the temporary is removed.
//
// The rename also works while the old target is a running executable (it cannot be written to, but
// it can be replaced); the running process keeps its old file until it ends.

// Replaces path with bytes. A new file gets rw-r--r--.
std::error_code writeFileAtomically(const std::string& path, std::string_view bytes);

// Replaces target with a copy of source, which must be a regular file. A new target gets rwxr-xr-x;
// the replacement is executable by whoever may read it.
std::error_code replaceWithCopy(const std::string& source, const std::string& target);

}  // namespace tn::updater
