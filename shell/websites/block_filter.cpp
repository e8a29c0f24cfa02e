#include "websites/block_filter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>

namespace tn {
namespace {

constexpr std::size_t kGram = 5;
constexpr std::uint64_t kGramMask = (std::uint64_t{1} << (8 * kGram)) - 1;
// Grams considered (and counted) when filing an entry: enough for any realistic entry to find a rare
// one, without costing time in proportion to an entry of megabytes.
constexpr std::size_t kAnchorCandidates = 64;  // anchors fit in 6 bits of a gram slot's hint
// Lengths from this one on do not fit the 10 bits a gram slot's hint has for them.
constexpr std::uint32_t kLongHint = 1023;
// Gram occurrences per frequency counter the sketch is sized for, and the most it lets through before
// it grows (and is counted again).
constexpr std::size_t kWindowsPerCounter = 8;
constexpr std::size_t kMaxWindowsPerCounter = 32;
// The two hashes that pick a gram's counters.
constexpr std::uint64_t kRarityHashA = 0x9E3779B97F4A7C15u;
constexpr std::uint64_t kRarityHashB = 0xC2B2AE3D27D4EB4Fu;

std::size_t windowsOf(std::string_view entry) {
    return std::min(entry.size() - kGram + 1, kAnchorCandidates);
}

const unsigned char* bytesOf(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

// The 5 bytes at p as one number, first byte highest: the value a rolling window over a url holds.
std::uint64_t packGram(const unsigned char* p) {
    return (std::uint64_t{p[0]} << 32) | (std::uint64_t{p[1]} << 24) | (std::uint64_t{p[2]} << 16) |
           (std::uint64_t{p[3]} << 8) | std::uint64_t{p[4]};
}

// Key of a short entry (2 to 4 bytes): its length above its bytes, so lengths never collide.
std::uint64_t shortKey(std::uint64_t packed, std::size_t length) {
    return (std::uint64_t{length} << 32) | packed;
}

std::uint64_t hashText(std::string_view s) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15u;
    std::uint64_t h = s.size() * kMul;
    const char* p = s.data();
    std::size_t n = s.size();
    const auto mix = [&h](std::uint64_t word) {
        h = (h ^ word) * kMul;
        h ^= h >> 29;
    };
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        mix(word);
    }
    if (n > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, n);
        mix(word);
    }
    h ^= h >> 32;
    h *= kMul;
    return h ^ (h >> 29);
}

bool pointsInto(std::string_view s, const std::vector<char>& buffer) {
    const std::less<const char*> before;
    return !buffer.empty() && !before(s.data(), buffer.data()) &&
           before(s.data(), buffer.data() + buffer.size());
}

// Grows a buffer by half rather than by double when it is full: the arena and the entry records of a
// list of millions are the bulk of the filter's memory.
template <class T>
void makeRoom(std::vector<T>& v, std::size_t extra) {
    const std::size_t needed = v.size() + extra;
    if (needed > v.capacity()) v.reserve(std::max(needed, v.capacity() + v.capacity() / 2));
}

}  // namespace

bool linearScanBlocks(const TextList& blocked, std::string_view url) {
    for (const std::string_view entry : blocked) {
        if (!entry.empty() && url.find(entry) != std::string_view::npos) return true;
    }
    return false;
}

// ---- ProbeTable ----

template <class Slot>
template <class Match>
Slot* BlockFilter::ProbeTable<Slot>::find(std::uint64_t hash, Match match) {
    if (used_ == 0) return nullptr;
    const std::size_t m = mask();
    const Probe p = probe(hash);
    for (std::size_t i = p.home; marks_[i] != 0; i = (i + 1) & m) {
        if (marks_[i] == p.mark && match(slots_[i])) return &slots_[i];
    }
    return nullptr;
}

template <class Slot>
template <class Match>
const Slot* BlockFilter::ProbeTable<Slot>::find(std::uint64_t hash, Match match) const {
    return const_cast<ProbeTable*>(this)->find(hash, match);
}

template <class Slot>
void BlockFilter::ProbeTable<Slot>::insert(const Slot& slot) {
    if ((used_ + 1) * 4 > slots_.size() * 3) resize(std::max<std::size_t>(16, slots_.size() * 2));
    place(slot);
    ++used_;
}

template <class Slot>
void BlockFilter::ProbeTable<Slot>::place(const Slot& slot) {
    const std::size_t m = mask();
    const Probe p = probe(slot.hash());
    std::size_t i = p.home;
    while (marks_[i] != 0)
        i = (i + 1) & m;
    slots_[i] = slot;
    marks_[i] = p.mark;
}

template <class Slot>
void BlockFilter::ProbeTable<Slot>::erase(Slot* slot) {
    const std::size_t m = mask();
    std::size_t hole = static_cast<std::size_t>(slot - slots_.data());
    // Each following slot of the run moves into the hole unless its home lies after the hole (then
    // moving it would put it before its home, where no probe would look).
    for (std::size_t j = (hole + 1) & m; marks_[j] != 0; j = (j + 1) & m) {
        const std::size_t from_home = (j - probe(slots_[j].hash()).home) & m;
        if (from_home >= ((j - hole) & m)) {
            slots_[hole] = slots_[j];
            marks_[hole] = marks_[j];
            hole = j;
        }
    }
    marks_[hole] = 0;
    --used_;
}

template <class Slot>
void BlockFilter::ProbeTable<Slot>::reserve(std::size_t count) {
    const std::size_t capacity = std::bit_ceil(std::max<std::size_t>(16, count + count / 3 + 1));
    if (capacity > slots_.size()) resize(capacity);
}

template <class Slot>
void BlockFilter::ProbeTable<Slot>::clear() {
    std::vector<Slot>().swap(slots_);
    std::vector<std::uint8_t>().swap(marks_);
    used_ = 0;
    shift_ = 64;
}

template <class Slot>
void BlockFilter::ProbeTable<Slot>::resize(std::size_t capacity) {
    std::vector<Slot> old_slots(capacity);
    std::vector<std::uint8_t> old_marks(capacity, 0);
    old_slots.swap(slots_);
    old_marks.swap(marks_);
    shift_ = static_cast<unsigned>(64 - std::countr_zero(capacity));
    for (std::size_t i = 0; i < old_slots.size(); ++i) {
        if (old_marks[i] != 0) place(old_slots[i]);
    }
}

// ---- BlockFilter ----

void BlockFilter::clear() {
    size_ = 0;
    empty_entries_ = 0;
    std::vector<char>().swap(bytes_);
    dead_bytes_ = 0;
    std::vector<Entry>().swap(entries_);
    std::vector<std::uint32_t>().swap(free_ids_);
    grams_.clear();
    texts_.clear();
    std::vector<std::uint16_t>().swap(rarity_);
    rarity_shift_ = 64;
    windows_counted_ = 0;
    single_.fill(0);
    std::vector<std::uint32_t>().swap(pairs_);
    short_by_length_.fill(0);
    shorts_.clear();
}

void BlockFilter::rebuild(const TextList& blocked) {
    clear();
    // Room for every long entry up front (duplicates overestimate it, harmlessly): one allocation
    // each instead of a series of regrowths, and no table rehashed on the way.
    std::size_t long_entries = 0;
    std::size_t long_bytes = 0;
    std::size_t windows = 0;
    for (const std::string_view entry : blocked) {
        if (entry.size() < kGram) continue;
        ++long_entries;
        long_bytes += entry.size();
        windows += windowsOf(entry);
    }
    resizeRarity(windows);
    bytes_.reserve(long_bytes);
    entries_.reserve(long_entries);
    grams_.reserve(long_entries);
    texts_.reserve(long_entries);
    // Every gram counted before any is chosen, so that each entry is filed by the rarity of its grams
    // in the whole list. Copies are counted here as well and uncounted when they turn out to be copies.
    for (const std::string_view entry : blocked) {
        if (entry.size() >= kGram) countGrams(entry, true);
    }
    for (const std::string_view entry : blocked) {
        if (entry.size() >= kGram) {
            addLong(entry, true);
            ++size_;
        } else {
            add(entry);
        }
    }
}

void BlockFilter::add(std::string_view entry) {
    if (entry.empty()) {
        ++empty_entries_;
    } else if (entry.size() < kGram) {
        addShort(entry);
    } else {
        addLong(entry, false);
    }
    ++size_;
}

bool BlockFilter::remove(std::string_view entry) {
    bool removed;
    if (entry.empty()) {
        removed = empty_entries_ > 0;
        if (removed) --empty_entries_;
    } else if (entry.size() < kGram) {
        removed = removeShort(entry);
    } else {
        removed = removeLong(entry);
    }
    if (removed) --size_;
    return removed;
}

std::string_view BlockFilter::text(const Entry& e) const {
    return {bytes_.data() + e.offset, static_cast<std::size_t>(e.length)};
}

std::uint32_t BlockFilter::findText(std::string_view entry, std::uint32_t tag) const {
    const TextSlot* slot =
        texts_.find(tag, [&](const TextSlot& s) { return s.tag == tag && text(entries_[s.id]) == entry; });
    return slot ? slot->id : kNone;
}

std::size_t BlockFilter::rarityIndex(std::uint64_t gram, std::uint64_t multiplier) const {
    return static_cast<std::size_t>((gram * multiplier) >> rarity_shift_);
}

// The gram estimated to occur in the fewest entries (the first such, on a tie).
std::uint32_t BlockFilter::chooseAnchor(std::string_view entry) const {
    const unsigned char* p = bytesOf(entry);
    const std::size_t candidates = windowsOf(entry);
    std::size_t best = 0;
    std::uint16_t best_count = std::numeric_limits<std::uint16_t>::max();
    for (std::size_t a = 0; a < candidates; ++a) {
        const std::uint64_t gram = packGram(p + a);
        const std::uint16_t count =
            std::min(rarity_[rarityIndex(gram, kRarityHashA)], rarity_[rarityIndex(gram, kRarityHashB)]);
        if (count < best_count) {
            best = a;
            best_count = count;
        }
    }
    return static_cast<std::uint32_t>(best);
}

std::uint32_t BlockFilter::hintOf(const Entry& e, std::uint32_t tag) {
    const auto length = static_cast<std::uint32_t>(std::min<std::uint64_t>(e.length, kLongHint));
    return (e.anchor << 26) | (length << 16) | (tag >> 16);
}

// Counts (or uncounts) the grams of one distinct entry. A saturated counter stays saturated: the
// estimate may stay too high, which costs at most a less good choice.
void BlockFilter::countGrams(std::string_view entry, bool add) {
    const unsigned char* p = bytesOf(entry);
    const std::size_t windows = windowsOf(entry);
    for (std::size_t a = 0; a < windows; ++a) {
        const std::uint64_t gram = packGram(p + a);
        for (const std::uint64_t multiplier : {kRarityHashA, kRarityHashB}) {
            std::uint16_t& counter = rarity_[rarityIndex(gram, multiplier)];
            if (counter == std::numeric_limits<std::uint16_t>::max()) continue;
            if (add) {
                ++counter;
            } else if (counter > 0) {
                --counter;
            }
        }
    }
    if (add) {
        windows_counted_ += windows;
    } else {
        windows_counted_ -= windows;
    }
}

// Sizes the sketch for windows gram occurrences and counts the entries held again.
void BlockFilter::resizeRarity(std::size_t windows) {
    const std::size_t counters = std::bit_ceil(std::max<std::size_t>(4096, windows / kWindowsPerCounter));
    rarity_.assign(counters, 0);
    rarity_shift_ = static_cast<unsigned>(64 - std::countr_zero(counters));
    windows_counted_ = 0;
    for (const Entry& e : entries_) {
        if (e.copies != 0) countGrams(text(e), true);
    }
}

void BlockFilter::addLong(std::string_view entry, bool counted) {
    const auto tag = static_cast<std::uint32_t>(hashText(entry) >> 32);
    const std::uint32_t existing = findText(entry, tag);
    if (existing != kNone) {
        ++entries_[existing].copies;
        if (counted) countGrams(entry, false);
        return;
    }
    // A view of the arena itself would dangle once the arena grows.
    std::string own;
    if (pointsInto(entry, bytes_)) {
        own.assign(entry);
        entry = own;
    }

    std::uint32_t id;
    if (!free_ids_.empty()) {
        id = free_ids_.back();
        free_ids_.pop_back();
    } else {
        if (entries_.size() >= kNone) throw std::length_error("BlockFilter: too many entries");
        makeRoom(entries_, 1);
        id = static_cast<std::uint32_t>(entries_.size());
        entries_.push_back({});
    }
    makeRoom(bytes_, entry.size());
    if (!counted) {
        if (windows_counted_ + windowsOf(entry) > rarity_.size() * kMaxWindowsPerCounter) {
            resizeRarity(2 * (windows_counted_ + windowsOf(entry)));
        }
        countGrams(entry, true);
    }
    const std::uint32_t anchor = chooseAnchor(entry);
    Entry& e = entries_[id];
    e = {bytes_.size(), entry.size(), anchor, 1};
    bytes_.insert(bytes_.end(), entry.begin(), entry.end());

    grams_.insert({packGram(bytesOf(entry) + anchor), id, hintOf(e, tag)});
    texts_.insert({tag, id});
}

bool BlockFilter::removeLong(std::string_view entry) {
    const auto tag = static_cast<std::uint32_t>(hashText(entry) >> 32);
    const std::uint32_t id = findText(entry, tag);
    if (id == kNone) return false;
    Entry& e = entries_[id];
    if (e.copies > 1) {
        --e.copies;
        return true;
    }

    const std::uint64_t key =
        packGram(reinterpret_cast<const unsigned char*>(bytes_.data() + e.offset + e.anchor));
    grams_.erase(grams_.find(key, [key, id](const GramSlot& s) { return s.key == key && s.id == id; }));
    texts_.erase(texts_.find(tag, [id](const TextSlot& s) { return s.id == id; }));
    countGrams(text(e), false);

    dead_bytes_ += e.length;
    e = {0, 0, 0, 0};
    free_ids_.push_back(id);
    compactIfWasteful();
    return true;
}

// Once removed entries' bytes are half the arena, the live ones are copied together; each copy is
// paid for by as many removals as there are bytes left, so removals stay cheap on average.
void BlockFilter::compactIfWasteful() {
    if (texts_.size() == 0) {
        bytes_.clear();
        entries_.clear();
        free_ids_.clear();
        dead_bytes_ = 0;
        return;
    }
    if (dead_bytes_ < 4096 || dead_bytes_ * 2 < bytes_.size()) return;
    std::vector<char> fresh;
    fresh.reserve(bytes_.size() - dead_bytes_);
    for (Entry& e : entries_) {
        if (e.copies == 0) continue;
        const std::string_view t = text(e);
        e.offset = fresh.size();
        fresh.insert(fresh.end(), t.begin(), t.end());
    }
    bytes_.swap(fresh);
    dead_bytes_ = 0;
}

void BlockFilter::addShort(std::string_view entry) {
    const unsigned char* p = bytesOf(entry);
    ++short_by_length_[entry.size()];
    if (entry.size() == 1) {
        ++single_[p[0]];
        return;
    }
    std::uint64_t packed = 0;
    for (std::size_t i = 0; i < entry.size(); ++i)
        packed = (packed << 8) | p[i];
    const std::uint64_t key = shortKey(packed, entry.size());
    if (ShortSlot* slot = shorts_.find(key, [key](const ShortSlot& s) { return s.key == key; })) {
        ++slot->copies;
    } else {
        shorts_.insert({key, 1});
    }
    if (pairs_.empty()) pairs_.assign(1 << 16, 0);
    ++pairs_[(std::size_t{p[0]} << 8) | p[1]];
}

bool BlockFilter::removeShort(std::string_view entry) {
    const unsigned char* p = bytesOf(entry);
    if (entry.size() == 1) {
        if (single_[p[0]] == 0) return false;
        --single_[p[0]];
    } else {
        std::uint64_t packed = 0;
        for (std::size_t i = 0; i < entry.size(); ++i)
            packed = (packed << 8) | p[i];
        const std::uint64_t key = shortKey(packed, entry.size());
        ShortSlot* slot = shorts_.find(key, [key](const ShortSlot& s) { return s.key == key; });
        if (!slot) return false;
        if (--slot->copies == 0) shorts_.erase(slot);
        --pairs_[(std::size_t{p[0]} << 8) | p[1]];
    }
    --short_by_length_[entry.size()];
    return true;
}

std::string_view BlockFilter::findMatch(std::string_view url) const {
    const std::string_view found = findShortMatch(url);
    return found.empty() ? findLongMatch(url) : found;
}

std::string_view BlockFilter::findShortMatch(std::string_view url) const {
    const bool singles = short_by_length_[1] > 0;
    const bool longer = short_by_length_[2] + short_by_length_[3] + short_by_length_[4] > 0;
    if (!singles && !longer) return {};
    const unsigned char* u = bytesOf(url);
    const std::size_t n = url.size();
    for (std::size_t p = 0; p < n; ++p) {
        if (singles && single_[u[p]] != 0) return url.substr(p, 1);
        if (!longer || p + 1 >= n) continue;
        std::uint64_t packed = (std::uint64_t{u[p]} << 8) | u[p + 1];
        if (pairs_[static_cast<std::size_t>(packed)] == 0) continue;
        for (std::size_t length = 2; length <= 4 && p + length <= n; ++length) {
            if (length > 2) packed = (packed << 8) | u[p + length - 1];
            if (short_by_length_[length] == 0) continue;
            const std::uint64_t key = shortKey(packed, length);
            if (shorts_.find(key, [key](const ShortSlot& s) { return s.key == key; })) {
                return url.substr(p, length);
            }
        }
    }
    return {};
}

// The windows are taken a block at a time, in passes, so that the memory reads of a block overlap
// instead of waiting one after the other: the marks of all its windows are asked for, then read, then
// the slots whose mark agrees are. An entry itself is read only when its brief agrees with the url,
// which for an entry that does not occur there happens about once in 65536 times.
std::string_view BlockFilter::findLongMatch(std::string_view url) const {
    const std::size_t n = url.size();
    if (grams_.size() == 0 || n < kGram) return {};
    const unsigned char* u = bytesOf(url);
    const GramSlot* slots = grams_.slots();
    const std::uint8_t* marks = grams_.marks();
    const std::size_t m = grams_.mask();
    constexpr std::size_t kBlock = 32;
    std::array<std::uint64_t, kBlock> grams;
    std::array<ProbeTable<GramSlot>::Probe, kBlock> probes;
    std::array<std::size_t, kBlock> marked;  // windows whose path holds their mark
    std::uint64_t window = 0;
    for (std::size_t i = 0; i + 1 < kGram; ++i)
        window = (window << 8) | u[i];
    const std::size_t windows = n - kGram + 1;
    for (std::size_t first = 0; first < windows; first += kBlock) {
        const std::size_t count = std::min(kBlock, windows - first);
        for (std::size_t k = 0; k < count; ++k) {
            window = ((window << 8) | u[first + k + kGram - 1]) & kGramMask;
            grams[k] = window;
            probes[k] = grams_.probe(window);
            __builtin_prefetch(&marks[probes[k].home]);
        }
        std::size_t found = 0;
        for (std::size_t k = 0; k < count; ++k) {
            for (std::size_t s = probes[k].home; marks[s] != 0; s = (s + 1) & m) {
                if (marks[s] != probes[k].mark) continue;
                __builtin_prefetch(&slots[s]);
                marked[found++] = k;
                break;
            }
        }
        for (std::size_t f = 0; f < found; ++f) {
            const std::size_t k = marked[f];
            const std::size_t at = first + k;  // where the window starts in url
            for (std::size_t s = probes[k].home; marks[s] != 0; s = (s + 1) & m) {
                if (marks[s] != probes[k].mark || slots[s].key != grams[k]) continue;
                const std::uint32_t hint = slots[s].hint;
                const std::size_t anchor = hint >> 26;
                if (anchor > at) continue;
                const std::size_t start = at - anchor;
                const std::size_t length = (hint >> 16) & 1023;
                if (length > n - start) continue;
                if (length < kLongHint &&
                    (hashText(std::string_view(url.data() + start, length)) >> 48) != (hint & 0xFFFF)) {
                    continue;
                }
                const Entry& e = entries_[slots[s].id];
                if (e.length > n - start) continue;
                if (std::memcmp(u + start, bytes_.data() + e.offset, static_cast<std::size_t>(e.length)) ==
                    0) {
                    return text(e);
                }
            }
        }
    }
    return {};
}

std::size_t BlockFilter::memoryBytes() const {
    return sizeof(*this) + bytes_.capacity() + entries_.capacity() * sizeof(Entry) +
           free_ids_.capacity() * sizeof(std::uint32_t) + grams_.bytes() + texts_.bytes() + shorts_.bytes() +
           pairs_.capacity() * sizeof(std::uint32_t) + rarity_.capacity() * sizeof(std::uint16_t);
}

}  // namespace tn
