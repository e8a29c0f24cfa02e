#include "core/text_list.h"

#include <cstring>
#include <memory>
#include <stdexcept>

namespace tn {
namespace {

// The number of CR and LF bytes in text, eight bytes at a time.
std::size_t countBreakBytes(const char* text, std::size_t size) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7f;
    // The top bit of each byte of x that is zero, and no other bit.
    const auto zeroBytes = [](std::uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); };
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        const std::uint64_t hits = zeroBytes(word ^ (kOnes * '\r')) | zeroBytes(word ^ (kOnes * '\n'));
        // One bit per byte moved to the bottom, then summed into the top byte.
        count += static_cast<std::size_t>(((hits >> 7) * kOnes) >> 56);
    }
    for (; i < size; ++i)
        count += text[i] == '\r' || text[i] == '\n';
    return count;
}

}  // namespace

TextList TextList::fromText(std::string text) {
    TextList list;
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        text.resize(static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
    }
    list.bytes_ = std::move(text);
    const char* const base = list.bytes_.data();
    const std::size_t size = list.bytes_.size();

    // Two memchr cursors (one per break character) keep the scan vectorised; in the usual
    // CR LF or LF file one of them runs ahead and is consulted only when the other catches up.
    auto find = [&](char c, std::size_t from) -> std::size_t {
        if (from >= size) return size;
        const void* hit = std::memchr(base + from, c, size - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - base) : size;
    };
    // Room for every entry up front: one pass of counting costs far less than regrowing an array of
    // millions of spans (each regrowth copies it and touches fresh memory). Every entry but the last
    // ends at a CR or an LF, so their count bounds the entries; pages of the bound never used are
    // never touched.
    list.spans_.reserve(countBreakBytes(base, size) + 1);

    std::size_t next_cr = find('\r', 0);
    std::size_t next_lf = find('\n', 0);
    std::size_t start = 0;
    while (start < size) {
        if (next_cr < start) next_cr = find('\r', start);
        if (next_lf < start) next_lf = find('\n', start);
        const std::size_t brk = next_cr < next_lf ? next_cr : next_lf;
        list.spans_.push_back({start, brk - start});
        if (brk == size) break;
        start = brk + 1;
        if (base[brk] == '\r' && start < size && base[start] == '\n') ++start;
    }
    return list;
}

TextList TextList::fromLines(std::initializer_list<std::string_view> lines) {
    TextList list;
    for (auto line : lines)
        list.append(line);
    return list;
}

std::string_view TextList::operator[](std::size_t index) const {
    if (index >= spans_.size()) throw std::out_of_range("TextList index out of range");
    const Span& s = spans_[index];
    return {bytes_.data() + s.offset, static_cast<std::size_t>(s.length)};
}

std::string_view TextList::at_or_empty(std::size_t index) const {
    return index < spans_.size() ? (*this)[index] : std::string_view{};
}

TextList::Span TextList::store(std::string_view line) {
    // line may point into bytes_ itself; append() then handles the reallocation correctly because
    // std::string::append copies from a view of the old storage before releasing it.
    const std::uint64_t offset = bytes_.size();
    bytes_.append(line.data(), line.size());
    return {offset, line.size()};
}

void TextList::append(std::string_view line) {
    spans_.push_back(store(line));
}

void TextList::insert(std::size_t index, std::string_view line) {
    if (index > spans_.size()) throw std::out_of_range("TextList insert position out of range");
    const Span s = store(line);
    spans_.insert(spans_.begin() + static_cast<std::ptrdiff_t>(index), s);
}

void TextList::set(std::size_t index, std::string_view line) {
    if (index >= spans_.size()) throw std::out_of_range("TextList index out of range");
    const Span s = store(line);
    dead_bytes_ += spans_[index].length;
    spans_[index] = s;
    compactIfWasteful();
}

void TextList::erase(std::size_t index) {
    if (index >= spans_.size()) throw std::out_of_range("TextList index out of range");
    dead_bytes_ += spans_[index].length;
    spans_.erase(spans_.begin() + static_cast<std::ptrdiff_t>(index));
    compactIfWasteful();
}

void TextList::clear() {
    bytes_.clear();
    spans_.clear();
    dead_bytes_ = 0;
}

void TextList::compactIfWasteful() {
    // Rewrites the buffer once replaced bytes outweigh live ones, so repeated edits of one entry
    // (a setting changed many times) cannot grow memory without bound.
    if (dead_bytes_ < 4096 || dead_bytes_ * 2 < bytes_.size()) return;
    std::string fresh;
    fresh.reserve(bytes_.size() - dead_bytes_);
    for (Span& s : spans_) {
        const std::uint64_t offset = fresh.size();
        fresh.append(bytes_, s.offset, s.length);
        s.offset = offset;
    }
    bytes_ = std::move(fresh);
    dead_bytes_ = 0;
}

std::size_t TextList::indexOf(std::string_view line) const {
    for (std::size_t i = 0; i < spans_.size(); ++i) {
        if ((*this)[i] == line) return i;
    }
    return npos;
}

std::string TextList::toText() const {
    std::string out;
    out.reserve(bytes_.size() - dead_bytes_ + 2 * spans_.size());
    writeText([&out](std::string_view piece) { out.append(piece); });
    return out;
}

void TextList::writeText(const std::function<void(std::string_view)>& sink, std::size_t chunk_size) const {
    const char* const base = bytes_.data();
    // bytes_[run_begin, run_end): entries in their written form, not yet handed over.
    std::size_t run_begin = 0;
    std::size_t run_end = 0;
    // Entries copied together with their CR LF; at most one of run and staged is non-empty.
    std::unique_ptr<char[]> staged;
    std::size_t staged_size = 0;
    const auto flushRun = [&] {
        if (run_end > run_begin) sink({base + run_begin, run_end - run_begin});
        run_begin = run_end = 0;
    };
    const auto flushStaged = [&] {
        if (staged_size > 0) sink({staged.get(), staged_size});
        staged_size = 0;
    };
    for (const Span& s : spans_) {
        const std::size_t begin = static_cast<std::size_t>(s.offset);
        const std::size_t end = begin + static_cast<std::size_t>(s.length);
        if (end + 2 <= bytes_.size() && base[end] == '\r' && base[end + 1] == '\n') {
            if (run_end == run_begin || run_end != begin) {
                flushStaged();
                flushRun();
                run_begin = begin;
            }
            run_end = end + 2;
            continue;
        }
        flushRun();
        const std::string_view line(base + begin, end - begin);
        if (staged_size + line.size() + 2 > chunk_size) {
            flushStaged();
            if (line.size() + 2 > chunk_size) {
                sink(line);
                sink("\r\n");
                continue;
            }
        }
        if (!staged) staged.reset(new char[chunk_size]);
        std::memcpy(staged.get() + staged_size, line.data(), line.size());
        staged_size += line.size();
        staged[staged_size++] = '\r';
        staged[staged_size++] = '\n';
    }
    flushRun();
    flushStaged();
}

std::vector<std::string> TextList::toVector() const {
    std::vector<std::string> out;
    out.reserve(spans_.size());
    for (auto line : *this)
        out.emplace_back(line);
    return out;
}

bool TextList::operator==(const TextList& other) const {
    if (size() != other.size()) return false;
    for (std::size_t i = 0; i < size(); ++i) {
        if ((*this)[i] != other[i]) return false;
    }
    return true;
}

}  // namespace tn
