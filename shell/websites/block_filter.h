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
// Inside: every distinct entry is stored once, with a count of its copies, in one byte arena. Each
// entry of five bytes or more is filed under one of its 5-byte grams: the one the fewest entries of
// the list contain (estimated by a small sketch of gram counts), since a gram rare in the list is
// rare in urls too, and few entries then share it. The gram table is open addressing with one slot
// per entry, holding the gram, the entry's id and the entry in brief (where the gram sits in it, its
// length, 16 bits of its hash), plus one mark byte per slot. A check slides a 5-byte window along
// the url; for each window it reads the marks, then the slots whose mark agrees, and compares a
// slot's brief with the url bytes around the window; only when they agree is the entry itself
// compared. Entries of one to four bytes sit in a separate small table consulted at every url
// position. Checks are const and may run side by side; edits may not run beside anything.
//
// Memory (memoryBytes()) stays within a few times the list file's bytes. The tables do not shrink
// when entries are removed (the arena does); rebuild() or clear() gives everything back. More than
// 2^32 - 2 distinct entries of five bytes or more throw std::length_error.
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
        std::uint32_t anchor;  // where, within the entry, the gram it is filed under starts (< 64)
        std::uint32_t copies;  // equal entries in the list; 0 marks a free record
    };

    // Gram table: one slot per distinct entry, under its gram. The entries filed under one gram lie in
    // one run of slots.
    struct GramSlot {
        std::uint64_t key;  // the 5 bytes, first byte highest
        std::uint32_t id;   // the entry
        // The entry in brief, so that a window of the url is mostly turned away without reading the
        // entry: bits 26-31 its anchor, bits 16-25 its length (1023: that long or longer, no check
        // from the brief), bits 0-15 the top of its tag (the top 32 bits of the hash of its text).
        std::uint32_t hint;
        std::uint64_t hash() const { return key; }
    };
    // Short table: entries of two to four bytes; key = the length above the bytes.
    struct ShortSlot {
        std::uint64_t key;
        std::uint32_t copies;
        std::uint64_t hash() const { return key; }
    };
    // Text table: finds an entry record from the entry's text, for copies and removal.
    struct TextSlot {
        std::uint32_t tag;  // of the entry's text
        std::uint32_t id;
        std::uint64_t hash() const { return tag; }
    };

    // Open addressing with linear probing, at most three quarters full, removal by shifting the
    // following slots back (no tombstones, so a table that sees many edits stays as fast as a fresh
    // one).
    // Beside the slots, one mark byte per slot: 0 when vacant, else 7 bits of the hash with the top
    // bit set. Probes read the marks, a small array, and only the slots whose mark agrees.
    template <class Slot>
    class ProbeTable {
    public:
        // The first slot of hash's probe path that satisfies match, or null.
        template <class Match>
        Slot* find(std::uint64_t hash, Match match);
        template <class Match>
        const Slot* find(std::uint64_t hash, Match match) const;
        // Stores slot; pointers to slots become invalid.
        void insert(const Slot& slot);
        void erase(Slot* slot);
        void reserve(std::size_t count);
        void clear();
        std::size_t size() const { return used_; }
        std::size_t bytes() const { return slots_.capacity() * sizeof(Slot) + marks_.capacity(); }

        // For probing loops of callers: the slot where hash's probe path starts, and its mark.
        struct Probe {
            std::size_t home;
            std::uint8_t mark;
        };
        Probe probe(std::uint64_t hash) const {
            const std::uint64_t product = hash * 0x9E3779B97F4A7C15u;
            return {static_cast<std::size_t>(product >> shift_),
                    static_cast<std::uint8_t>(0x80 | ((product >> (shift_ - 7)) & 0x7F))};
        }
        const Slot* slots() const { return slots_.data(); }
        const std::uint8_t* marks() const { return marks_.data(); }
        std::size_t mask() const { return slots_.size() - 1; }

    private:
        void resize(std::size_t capacity);
        void place(const Slot& slot);
        std::vector<Slot> slots_;
        std::vector<std::uint8_t> marks_;
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
    static std::uint32_t hintOf(const Entry& e, std::uint32_t tag);
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
    std::vector<char> bytes_;     // grown by hand: a vector reserves exactly what it is asked for
    std::size_t dead_bytes_ = 0;  // bytes of removed entries still in bytes_
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> free_ids_;
    ProbeTable<GramSlot> grams_;
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
    ProbeTable<ShortSlot> shorts_;
};

}  // namespace tn
