#include "core/list_file.h"

#include "core/atomic_file.h"

namespace tn {

bool loadListFile(const std::string& path, TextList& list) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) {
        list.clear();
        return false;
    }
    list = TextList::fromText(std::move(bytes));
    return true;
}

std::error_code saveListFile(const std::string& path, const TextList& list) {
    AtomicFile file(path);
    // Large pieces, and for a list read from a CR LF file straight from its buffer: no copy of the
    // whole list is made, and the number of system calls stays small for millions of entries.
    list.writeText([&file](std::string_view piece) { file.write(piece); });
    return file.commit();
}

}  // namespace tn
