#pragma once

#include <string_view>

#include "core/text_list.h"
#include "websites/block_filter.h"

namespace tn {

// The blocked list: its entries, in file order, and the index that answers "does this address
// contain an entry?" without scanning them. Every change goes through here, so the two never
// disagree: the next navigation after an edit already sees it.
class BlockedList {
public:
    const TextList& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }

    void assign(TextList entries);
    void append(std::string_view entry);
    void erase(std::size_t index);
    void clear() { assign(TextList{}); }

    // True when some non-empty entry occurs in url, letter case exact.
    bool blocks(std::string_view url) const { return filter_.blocks(url); }

private:
    TextList entries_;
    BlockFilter filter_;
};

}  // namespace tn
