#include "programs/virtual_desktop_titles.h"

#include <sys/stat.h>

#include <cstdint>
#include <utility>

#include "programs/shell_link_format.h"

namespace tn {
namespace {

bool continuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Reads the character at text[pos] and advances pos past it. A byte that does not start a valid
// UTF-8 sequence is a character of its own, numbered above the Unicode range so that it only ever
// equals the same byte.
std::uint32_t nextCharacter(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = 0;
    std::uint32_t value = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
    }
    if (length == 0 || pos + length > text.size()) {
        ++pos;
        return 0x110000u + lead;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!continuationByte(text[pos + i])) {
            ++pos;
            return 0x110000u + lead;
        }
        value = (value << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
    }
    pos += length;
    return value;
}

std::uint32_t lowerCase(std::uint32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 0x20;
    if (c < 0xC0) return c;
    // Latin-1 capitals, but not the multiplication sign.
    if (c <= 0xDE) return c == 0xD7 ? c : c + 0x20;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A: capital and small letters alternate, with a shift in the middle.
        if (c == 0x178) return 0xFF;
        if (c == 0x130 || c == 0x131) return c;  // dotted and dotless i pair with ASCII letters
        if ((c <= 0x137 || (c >= 0x14A && c <= 0x177)) && c % 2 == 0) return c + 1;
        if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1) return c + 1;
        return c;
    }
    // Greek.
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 0x3F;
    if (c == 0x3C2) return 0x3C3;  // final sigma
    // Cyrillic.
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    return c;
}

}  // namespace

std::string cutWindowTitle(std::string_view title) {
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < title.size(); ++pos) {
        if (continuationByte(title[pos])) continue;
        if (characters == kLongestWindowTitle) return std::string(title.substr(0, pos));
        ++characters;
    }
    return std::string(title);
}

bool sameTitleIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (lowerCase(nextCharacter(a, i)) != lowerCase(nextCharacter(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

std::string startFolder(const std::string& program) {
    std::string path = program;
    struct stat st {};
    if (::stat(program.c_str(), &st) != 0) {
        const auto words = splitCommandLine(program);
        if (words && !words->empty()) path = words->front();
    }
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

VirtualDesktopTitles::VirtualDesktopTitles(IWindows& windows, std::function<bool(IWindows::Id)> own_window)
    : windows_(windows), own_window_(std::move(own_window)) {}

std::vector<std::string> VirtualDesktopTitles::snapshot(bool visible_only) {
    std::vector<std::string> titles;
    for (const auto& window : windows_.list(false)) {
        if (window.title.empty() || own(window.id)) continue;
        if (visible_only && window.state == IWindows::State::Hidden) continue;
        titles.push_back(cutWindowTitle(window.title));
    }
    return titles;
}

std::optional<IWindows::Id> VirtualDesktopTitles::find(const std::string& title,
                                                       const std::vector<IWindows::Window>& all) const {
    for (const auto& window : all) {
        if (!own(window.id) && cutWindowTitle(window.title) == title) return window.id;
    }
    return std::nullopt;
}

void VirtualDesktopTitles::takeOriginal(bool visible_only) {
    OriginalListBox = snapshot(visible_only);
}

void VirtualDesktopTitles::difference() {
    DifferenceListBox.clear();
    NewListBox = snapshot(true);
    for (const auto& title : NewListBox) {
        bool recorded = false;
        for (const auto& original : OriginalListBox) {
            if (sameTitleIgnoringCase(title, original)) {
                recorded = true;
                break;
            }
        }
        if (!recorded) DifferenceListBox.push_back(title);
    }
}

void VirtualDesktopTitles::restore() {
    difference();
    if (DifferenceListBox.empty()) return;
    const auto all = windows_.list(false);
    const auto foreground = windows_.foreground();
    for (const auto& title : DifferenceListBox) {
        const auto id = find(title, all);
        if (id && id != foreground) windows_.showNormal(*id);
    }
}

bool VirtualDesktopTitles::closeNew() {
    if (OriginalListBox.empty()) return false;
    difference();
    if (DifferenceListBox.empty()) return true;
    const auto all = windows_.list(false);
    for (const auto& title : DifferenceListBox) {
        if (const auto id = find(title, all)) windows_.askToClose(*id);
    }
    return true;
}

}  // namespace tn
