#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/text_list.h"

namespace tn {

// The rule of the blocked list, written out plainly: url is refused when any non-empty entry of
// blocked occurs somewhere inside it as the same run of bytes (letter case counts, bytes are never
// converted). An empty entry blocks nothing; an empty list lets everything through.
// Costs time in proportion to the whole list; BlockFilter must give exactly its answers.
bool linearScanBlocks(const TextList& blocked, std::string_view url);

// The same answers as linearScanBlocks for a blocked list of millions of entries, from an index whose
// cost per check does not grow with the list.
//
// The owner keeps the list itself (a TextList) as the source of truth and mirrors it here: rebuild()
// after the whole list is replaced, add() and remove() for each entry appended, inserted or erased
// (replacing an entry is remove(old) then add(new)). Order does not matter to the answers, so an
// insertion at any index is just add().
//
// Inside: every distinct entry is stored once, with a count of its copies, in one byte arena. Entries
// of five bytes or more are filed under one of their 5-byte grams in an open-addressing table: the
// gram that the fewest entries of the list contain (counted in a small sketch of gram frequencies),
// since a gram rare in the list is rare in urls as well, and few entries share it. A check looks up
// each 5-byte window of the url and compares the entries filed under it with the bytes around the
// window (a hash of the entry first, the bytes only when it agrees). Entries of one to four bytes sit
// in a separate small table consulted at every url position.
//
// Memory (memoryBytes()) stays within a few times the list's bytes; it is not given back when entries
// are removed, only by rebuild() or clear().
class BlockFilter {
public:
    BlockFilter() = default;
    explicit BlockFilter(const TextList& blocked) { rebuild(blocked); }

    // Replaces the contents with the entries of blocked.
    void rebuild(const TextList& blocked);
    void clear();

    // Adds one entry (an equal entry already present simply gains a copy). Any bytes, any length.
    void add(std::string_view entry);
    // Removes one copy of an entry equal to entry; false (and no change) when there is none.
    bool remove(std::string_view entry);

    // Whether linearScanBlocks(list, url) holds for the list mirrored here.
    bool blocks(std::string_view url) const { return !findMatch(url).empty(); }
    // The text of an entry that occurs in url, or an empty view when url is allowed. Which of several
    // matching entries is unspecified. The view points into url or into the filter and is valid while
    // both are unchanged.
    std::string_view findMatch(std::string_view url) const;

    // Number of entries mirrored, counting copies and empty entries: the mirrored list's size().
    std::size_t size() const { return size_; }
    // Bytes held by the index, including its copy of the entries.
    std::size_t memoryBytes() const;

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    struct Entry {
        std::uint64_t offset;  // first byte in bytes_
        std::uint64_t length;
        std::uint32_t anchor;  // where, within the entry, the gram it is filed under starts
        std::uint32_t next;    // the next entry filed under the same gram, or kNone
        std::uint32_t copies;  // equal entries in the list; 0 marks a free record
        std::uint32_t tag;     // 32 bits of the hash of the text
    };

    // Gram table: key = the 5 bytes, head = first entry filed under it, count = entries filed.
    // Short table: key = length and bytes, count = copies (head unused).
    struct KeySlot {
        static constexpr std::uint64_t kVacant = ~std::uint64_t{0};
        std::uint64_t key;
        std::uint32_t head;
        std::uint32_t count;
        std::uint64_t hash() const { return key; }
        bool vacant() const { return key == kVacant; }
        static KeySlot makeVacant() { return {kVacant, kNone, 0}; }
    };
    // Text table: finds an entry record from the entry's text, for copies and removal.
    struct TextSlot {
        std::uint32_t tag;
        std::uint32_t id;
        std::uint64_t hash() const { return tag; }
        bool vacant() const { return id == kNone; }
        static TextSlot makeVacant() { return {0, kNone}; }
    };

    // Open addressing with linear probing, at most half full, removal by shifting the following
    // slots back (no tombstones, so a table that sees many edits stays as fast as a fresh one).
    template <class Slot>
    class ProbeTable {
    public:
        // The first slot of hash's probe path that is vacant or satisfies match.
        template <class Match>
        Slot* find(std::uint64_t hash, Match match);
        template <class Match>
        const Slot* find(std::uint64_t hash, Match match) const;
        // Stores slot (whose value must not be present yet); pointers to slots become invalid.
        void insert(const Slot& slot);
        void erase(Slot* slot);
        void reserve(std::size_t count);
        void clear();
        std::size_t size() const { return used_; }
        std::size_t bytes() const { return slots_.capacity() * sizeof(Slot); }
        const Slot* data() const { return slots_.data(); }
        std::size_t mask() const { return slots_.size() - 1; }
        std::size_t home(std::uint64_t hash) const {
            return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15u) >> shift_);
        }

    private:
        void resize(std::size_t capacity);
        std::vector<Slot> slots_;
        std::size_t used_ = 0;
        unsigned shift_ = 64;
    };

    // counted: the entry's grams are already in the frequency sketch.
    void addLong(std::string_view entry, bool counted);
    bool removeLong(std::string_view entry);
    void addShort(std::string_view entry);
    bool removeShort(std::string_view entry);
    std::uint32_t findText(std::string_view entry, std::uint32_t tag) const;
    std::uint32_t chooseAnchor(std::string_view entry) const;
    std::size_t rarityIndex(std::uint64_t gram, std::uint64_t multiplier) const;
    void countGrams(std::string_view entry, bool add);
    void resizeRarity(std::size_t windows);
    void compactIfWasteful();
    std::string_view text(const Entry& e) const;
    std::string_view findShortMatch(std::string_view url) const;
    std::string_view findLongMatch(std::string_view url) const;

    std::size_t size_ = 0;
    std::size_t empty_entries_ = 0;

    // Entries of five bytes or more.
    std::vector<char> bytes_;  // grown by hand: a vector reserves exactly what it is asked for
    std::size_t dead_bytes_ = 0;  // bytes of removed entries still in bytes_
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> free_ids_;
    ProbeTable<KeySlot> grams_;
    ProbeTable<TextSlot> texts_;
    // How many distinct entries contain each gram, approximately: two saturating counters per gram
    // (chosen by two hashes), the smaller one read. Only steers the choice of gram, never an answer.
    std::vector<std::uint16_t> rarity_;
    unsigned rarity_shift_ = 64;
    std::size_t windows_counted_ = 0;

    // Entries of one to four bytes.
    std::array<std::uint32_t, 256> single_{};  // copies of each one-byte entry
    std::vector<std::uint32_t> pairs_;         // copies of 2-4 byte entries by first two bytes
    std::array<std::size_t, 5> short_by_length_{};
    ProbeTable<KeySlot> shorts_;
};

}  // namespace tn
