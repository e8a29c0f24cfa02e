#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tn {

// An ordered list of byte strings: the in-memory form of every list file and of the hidden list
// controls of the main window. Entries are 8-bit text and are never converted; a view returned by
// operator[] stays valid until the list is next modified.
//
// The entries live in one shared byte buffer so that a list of millions of short entries (a blocked
// list) costs one allocation instead of one per entry, and a file can be split without copying.
class TextList {
public:
    TextList() = default;

    // Splits text into lines: CR LF, a lone CR and a lone LF each end a line; a final line break adds
    // no empty entry; a NUL byte ends the text. Takes the buffer over, so no byte is copied.
    static TextList fromText(std::string text);
    static TextList fromLines(std::initializer_list<std::string_view> lines);

    std::size_t size() const { return spans_.size(); }
    bool empty() const { return spans_.empty(); }
    std::string_view operator[](std::size_t index) const;
    // Entry at index, or an empty view when the list is shorter.
    std::string_view at_or_empty(std::size_t index) const;

    void append(std::string_view line);
    void insert(std::size_t index, std::string_view line);
    void set(std::size_t index, std::string_view line);
    void erase(std::size_t index);
    void clear();

    // Index of the first entry equal to line, or npos.
    std::size_t indexOf(std::string_view line) const;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // The bytes of the whole list as a list file holds them: every entry followed by CR LF.
    std::string toText() const;
    // The same bytes handed to sink piece by piece, in order, without building them all at once.
    // Entries that already lie in the buffer followed by CR LF, one after the other (a list read from
    // a CR LF file, however long), go out as one view of the buffer, uncopied; the others are
    // gathered into pieces of about chunk_size bytes. A view is valid only during the call.
    void writeText(const std::function<void(std::string_view)>& sink, std::size_t chunk_size = 1 << 20) const;

    std::vector<std::string> toVector() const;
    bool operator==(const TextList& other) const;

    class const_iterator {
    public:
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        const_iterator() = default;
        const_iterator(const TextList* list, std::size_t index) : list_(list), index_(index) {}
        std::string_view operator*() const { return (*list_)[index_]; }
        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        const_iterator operator++(int) {
            auto old = *this;
            ++index_;
            return old;
        }
        bool operator==(const const_iterator& other) const { return index_ == other.index_; }

    private:
        const TextList* list_ = nullptr;
        std::size_t index_ = 0;
    };
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, spans_.size()}; }

private:
    struct Span {
        std::uint64_t offset;
        std::uint64_t length;
    };
    Span store(std::string_view line);
    void compactIfWasteful();

    std::string bytes_;
    std::vector<Span> spans_;
    std::size_t dead_bytes_ = 0;  // bytes of replaced or erased entries still in bytes_
};

}  // namespace tn
