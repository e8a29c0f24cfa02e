#pragma once

#include <string>
#include <system_error>

#include "core/text_list.h"

namespace tn {

// The one reader and the one writer of every list file and of the settings file.
//
// Reading: the whole file, split as TextList::fromText does (CR LF, CR or LF end a line; a NUL ends
// the text; a final line break adds no entry). Writing: every entry followed by CR LF, the file
// replaced atomically (see AtomicFile).

// Replaces list with the lines of the file. On failure (missing, unreadable, a folder) the list is
// left empty and false is returned; callers of optional files simply ignore the result.
bool loadListFile(const std::string& path, TextList& list);

// Replaces the file with the list. On failure the previous file is untouched and the error says why.
std::error_code saveListFile(const std::string& path, const TextList& list);

}  // namespace tn
