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
    // Fill a bounded buffer and hand it over in large writes: no copy of the whole list is made,
    // and the number of system calls stays small for lists of millions of entries.
    constexpr std::size_t kChunk = 1 << 20;
    std::string chunk;
    chunk.reserve(kChunk + 4096);
    for (auto line : list) {
        if (chunk.size() + line.size() + 2 > kChunk && !chunk.empty()) {
            file.write(chunk);
            chunk.clear();
        }
        if (line.size() + 2 > kChunk) {
            file.write(line);
            file.write("\r\n");
            continue;
        }
        chunk.append(line);
        chunk.append("\r\n");
    }
    file.write(chunk);
    return file.commit();
}

}  // namespace tn
