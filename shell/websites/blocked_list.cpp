#include "websites/blocked_list.h"

namespace tn {

void BlockedList::assign(TextList entries) {
    entries_ = std::move(entries);
    filter_.rebuild(entries_);
}

void BlockedList::append(std::string_view entry) {
    entries_.append(entry);
    filter_.add(entries_[entries_.size() - 1]);
}

void BlockedList::erase(std::size_t index) {
    // The filter counts equal entries, so removing one copy keeps any duplicate in force.
    filter_.remove(entries_[index]);
    entries_.erase(index);
}

}  // namespace tn
