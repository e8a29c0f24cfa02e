#include "programs/shell_link_format.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tn {
namespace {

// ---- Bytes and text -------------------------------------------------------------------------------

std::uint32_t byteAt(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

// Whether count bytes starting at `at` lie inside bytes (written so that nothing can overflow).
bool fits(std::string_view bytes, std::size_t at, std::size_t count) {
    return at <= bytes.size() && count <= bytes.size() - at;
}

std::optional<std::uint16_t> u16At(std::string_view bytes, std::size_t at) {
    if (!fits(bytes, at, 2)) return std::nullopt;
    return static_cast<std::uint16_t>(byteAt(bytes, at) | byteAt(bytes, at + 1) << 8);
}

std::optional<std::uint32_t> u32At(std::string_view bytes, std::size_t at) {
    if (!fits(bytes, at, 4)) return std::nullopt;
    return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8 | byteAt(bytes, at + 2) << 16 |
           byteAt(bytes, at + 3) << 24;
}

void putU16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8 & 0xFF));
}

void putU32(std::string& out, std::uint32_t value) {
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

void setU32(std::string& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
}

void appendUtf8(std::string& out, std::uint32_t code_point) {
    if (code_point < 0x80) {
        out.push_back(static_cast<char>(code_point));
    } else if (code_point < 0x800) {
        out.push_back(static_cast<char>(0xC0 | code_point >> 6));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | code_point >> 12));
        out.push_back(static_cast<char>(0x80 | (code_point >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | code_point >> 18));
        out.push_back(static_cast<char>(0x80 | (code_point >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    }
}

// The code points of UTF-8 text; nullopt for anything that is not well-formed UTF-8 (overlong
// forms, surrogates and values past U+10FFFF included).
std::optional<std::u32string> decodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::uint32_t lead = byteAt(text, i);
        std::size_t length = 0;
        std::uint32_t code_point = 0;
        std::uint32_t minimum = 0;
        if (lead < 0x80) {
            length = 1, code_point = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, code_point = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code_point = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code_point = lead & 0x07, minimum = 0x10000;
        } else {
            return std::nullopt;
        }
        if (!fits(text, i, length)) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            const std::uint32_t next = byteAt(text, i + k);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            code_point = code_point << 6 | (next & 0x3F);
        }
        if (code_point < minimum || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point < 0xE000)) {
            return std::nullopt;
        }
        out.push_back(code_point);
        i += length;
    }
    return out;
}

// Windows-1252 bytes 0x80..0x9F; the five bytes the code page leaves undefined map to the C1
// control of the same value, as Windows itself converts them.
constexpr std::array<std::uint16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string decodeCodePage(std::string_view bytes) {
    if (decodeUtf8(bytes)) return std::string(bytes);
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint32_t byte = byteAt(bytes, i);
        appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : byte);
    }
    return out;
}

// The Windows-1252 form of text; characters the code page lacks become '?'.
std::string encodeCodePage(const std::u32string& text) {
    std::string out;
    for (const char32_t c : text) {
        std::uint32_t byte = '?';
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            byte = c;
        } else {
            for (std::uint32_t k = 0; k < kWindows1252High.size(); ++k) {
                if (kWindows1252High[k] == c) byte = 0x80 + k;
            }
        }
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

// UTF-16LE code units, two bytes each, to UTF-8.
std::string decodeUtf16(std::string_view bytes) {
    std::string out;
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = *u16At(bytes, 2 * i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
            const std::uint32_t low = *u16At(bytes, 2 * i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    return out;
}

// Code points to UTF-16LE bytes; the number of code units goes to units.
std::string encodeUtf16(const std::u32string& text, std::size_t& units) {
    std::string out;
    units = 0;
    for (const char32_t c : text) {
        if (c >= 0x10000) {
            putU16(out, 0xD800 + ((c - 0x10000) >> 10));
            putU16(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
            units += 2;
        } else {
            putU16(out, c);
            units += 1;
        }
    }
    return out;
}

// A NUL-terminated code-page string starting at `at`; the NUL must lie inside bytes.
std::optional<std::string> codePageStringAt(std::string_view bytes, std::size_t at) {
    if (at >= bytes.size()) return std::nullopt;
    const std::size_t end = bytes.find('\0', at);
    if (end == std::string_view::npos) return std::nullopt;
    return decodeCodePage(bytes.substr(at, end - at));
}

// A UTF-16 string ended by a zero code unit starting at `at`; the terminator must lie inside bytes.
std::optional<std::string> utf16StringAt(std::string_view bytes, std::size_t at) {
    for (std::size_t end = at; fits(bytes, end, 2); end += 2) {
        if (*u16At(bytes, end) == 0) return decodeUtf16(bytes.substr(at, end - at));
    }
    return std::nullopt;
}

// ---- Shell links ---------------------------------------------------------------------------------

constexpr std::uint32_t kHeaderSize = 0x4C;
constexpr std::array<unsigned char, 16> kLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                      0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::size_t kFlagsOffset = 0x14;

// LinkFlags
constexpr std::uint32_t kHasLinkTargetIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasName = 0x4;
constexpr std::uint32_t kHasRelativePath = 0x8;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kForceNoLinkInfo = 0x100;

// LinkInfoFlags
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x2;

constexpr std::uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr std::uint32_t kLinkInfoHeaderSizeWithUnicode = 0x24;
constexpr std::uint32_t kVolumeIdHeaderSize = 0x10;
constexpr std::uint32_t kNetworkLinkMinimumSize = 0x14;
constexpr std::uint32_t kDriveFixed = 3;
constexpr std::uint32_t kShowNormal = 1;

// A string that is either in the code page (at plain_offset) or, when unicode_offset is not zero,
// in UTF-16; both offsets count from the start of area. Zero offsets mean "absent": "".
std::optional<std::string> stringIn(std::string_view area, std::uint32_t plain_offset,
                                    std::uint32_t unicode_offset) {
    if (unicode_offset != 0) return utf16StringAt(area, unicode_offset);
    if (plain_offset != 0) return codePageStringAt(area, plain_offset);
    return std::string();
}

// The share name of a CommonNetworkRelativeLink starting at `at` in the LinkInfo.
std::optional<std::string> networkName(std::string_view info, std::size_t at) {
    const auto size = u32At(info, at);
    if (!size || *size < kNetworkLinkMinimumSize || !fits(info, at, *size)) return std::nullopt;
    const std::string_view link = info.substr(at, *size);
    const std::uint32_t name_offset = *u32At(link, 8);
    // The Unicode offsets exist only in the longer form, which a name offset past 0x14 announces.
    const std::uint32_t unicode_offset =
        name_offset > kNetworkLinkMinimumSize ? u32At(link, kNetworkLinkMinimumSize).value_or(0) : 0;
    if (name_offset == 0 && unicode_offset == 0) return std::nullopt;
    return stringIn(link, name_offset, unicode_offset);
}

// The target a LinkInfo names ("" for none); nullopt when the structure is broken.
std::optional<std::string> linkInfoTarget(std::string_view info) {
    const std::uint32_t header_size = *u32At(info, 4);
    if (header_size < kLinkInfoHeaderSize || header_size > info.size()) return std::nullopt;
    const std::uint32_t flags = *u32At(info, 8);
    const bool has_unicode = header_size >= kLinkInfoHeaderSizeWithUnicode;
    const std::uint32_t base_unicode = has_unicode ? *u32At(info, 0x1C) : 0;
    const std::uint32_t suffix_unicode = has_unicode ? *u32At(info, 0x20) : 0;

    const auto suffix = stringIn(info, *u32At(info, 0x18), suffix_unicode);
    if (!suffix) return std::nullopt;
    if (flags & kVolumeIdAndLocalBasePath) {
        const std::uint32_t volume_offset = *u32At(info, 0x0C);
        const auto volume_size = u32At(info, volume_offset);
        if (!volume_size || *volume_size <= kVolumeIdHeaderSize || !fits(info, volume_offset, *volume_size)) {
            return std::nullopt;
        }
        const std::uint32_t base_offset = *u32At(info, 0x10);
        if (base_offset == 0 && base_unicode == 0) return std::nullopt;
        const auto base = stringIn(info, base_offset, base_unicode);
        if (!base) return std::nullopt;
        return *base + *suffix;
    }
    if (flags & kCommonNetworkRelativeLinkAndPathSuffix) {
        const auto share = networkName(info, *u32At(info, 0x14));
        if (!share) return std::nullopt;
        return suffix->empty() ? *share : *share + "\\" + *suffix;
    }
    return std::string();
}

}  // namespace

std::optional<ShortcutTarget> parseShellLink(std::string_view bytes) {
    if (!fits(bytes, 0, kHeaderSize) || *u32At(bytes, 0) != kHeaderSize ||
        std::memcmp(bytes.data() + 4, kLinkClsid.data(), kLinkClsid.size()) != 0) {
        return std::nullopt;
    }
    const std::uint32_t flags = *u32At(bytes, kFlagsOffset);
    std::size_t at = kHeaderSize;

    if (flags & kHasLinkTargetIdList) {
        const auto size = u16At(bytes, at);
        if (!size || !fits(bytes, at + 2, *size)) return std::nullopt;
        at += 2 + std::size_t{*size};
    }

    std::string target;
    if (flags & kHasLinkInfo) {
        const auto size = u32At(bytes, at);
        if (!size || *size < kLinkInfoHeaderSize || !fits(bytes, at, *size)) return std::nullopt;
        if (!(flags & kForceNoLinkInfo)) {
            const auto named = linkInfoTarget(bytes.substr(at, *size));
            if (!named) return std::nullopt;
            target = *named;
        }
        at += *size;
    }

    // The string data, in the order the flags are listed; each is a count of characters followed
    // by the characters, two bytes each in a Unicode link.
    std::string relative_path;
    std::string working_folder;
    const std::size_t char_size = flags & kIsUnicode ? 2 : 1;
    for (const std::uint32_t flag :
         {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments, kHasIconLocation}) {
        if (!(flags & flag)) continue;
        const auto count = u16At(bytes, at);
        if (!count || !fits(bytes, at + 2, *count * char_size)) return std::nullopt;
        const std::string_view raw = bytes.substr(at + 2, *count * char_size);
        at += 2 + raw.size();
        const std::string text = char_size == 2 ? decodeUtf16(raw) : decodeCodePage(raw);
        if (flag == kHasRelativePath) relative_path = text;
        if (flag == kHasWorkingDir) working_folder = text;
    }

    // Extra data blocks, each led by its size, up to the terminal block (a size below 4).
    for (;;) {
        const auto size = u32At(bytes, at);
        if (!size) return std::nullopt;
        if (*size < 4) break;
        if (!fits(bytes, at, *size)) return std::nullopt;
        at += *size;
    }

    if (target.empty()) target = relative_path;
    if (target.empty()) return std::nullopt;
    return ShortcutTarget{target, working_folder};
}

std::optional<std::string> buildShellLink(const ShortcutTarget& target) {
    if (target.path.empty() || target.path.find('\0') != std::string::npos) return std::nullopt;
    const auto path = decodeUtf8(target.path);
    const auto folder = decodeUtf8(target.working_folder);
    if (!path || !folder) return std::nullopt;
    std::size_t path_units = 0;
    std::size_t folder_units = 0;
    const std::string path_utf16 = encodeUtf16(*path, path_units);
    const std::string folder_utf16 = encodeUtf16(*folder, folder_units);
    if (folder_units > 0xFFFF) return std::nullopt;
    const std::string path_code_page = encodeCodePage(*path);

    // LinkInfo: header with the Unicode offsets, VolumeID, LocalBasePath, CommonPathSuffix, then
    // the UTF-16 copies of both.
    std::string info;
    putU32(info, 0);  // LinkInfoSize, set below
    putU32(info, kLinkInfoHeaderSizeWithUnicode);
    putU32(info, kVolumeIdAndLocalBasePath);
    putU32(info, kLinkInfoHeaderSizeWithUnicode);  // VolumeIDOffset: right after the header
    const std::size_t offsets_at = info.size();
    for (int i = 0; i < 5; ++i)
        putU32(info, 0);  // the string offsets, set below
    // VolumeID of a fixed disk with no serial number and an empty label.
    putU32(info, kVolumeIdHeaderSize + 1);
    putU32(info, kDriveFixed);
    putU32(info, 0);
    putU32(info, kVolumeIdHeaderSize);
    info.push_back('\0');

    const auto offset_here = [&info] { return static_cast<std::uint32_t>(info.size()); };
    setU32(info, offsets_at, offset_here());  // LocalBasePathOffset
    info += path_code_page;
    info.push_back('\0');
    setU32(info, offsets_at + 4, 0);              // CommonNetworkRelativeLinkOffset
    setU32(info, offsets_at + 8, offset_here());  // CommonPathSuffixOffset
    info.push_back('\0');
    setU32(info, offsets_at + 12, offset_here());  // LocalBasePathOffsetUnicode
    info += path_utf16;
    putU16(info, 0);
    setU32(info, offsets_at + 16, offset_here());  // CommonPathSuffixOffsetUnicode
    putU16(info, 0);
    if (info.size() > 0xFFFFFFFFu) return std::nullopt;
    setU32(info, 0, offset_here());

    const std::uint32_t flags = kHasLinkInfo | kIsUnicode | (folder_units > 0 ? kHasWorkingDir : 0);
    std::string out;
    putU32(out, kHeaderSize);
    out.append(reinterpret_cast<const char*>(kLinkClsid.data()), kLinkClsid.size());
    putU32(out, flags);
    putU32(out, 0);  // FileAttributes
    for (int i = 0; i < 6; ++i)
        putU32(out, 0);  // creation, access and write times
    putU32(out, 0);      // FileSize
    putU32(out, 0);      // IconIndex
    putU32(out, kShowNormal);
    putU16(out, 0);  // HotKey
    putU16(out, 0);  // reserved
    putU32(out, 0);
    putU32(out, 0);
    out += info;
    if (flags & kHasWorkingDir) {
        putU16(out, static_cast<std::uint32_t>(folder_units));
        out += folder_utf16;
    }
    putU32(out, 0);  // terminal extra-data block
    return out;
}

// ---- Desktop entries and command lines -----------------------------------------------------------

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Splits an Exec-style command line. With field codes, "%%" becomes "%", every other "%x" is
// removed, and an argument made only of field codes is dropped.
std::optional<std::vector<std::string>> splitArguments(std::string_view line, bool field_codes) {
    std::vector<std::string> arguments;
    std::string current;
    bool in_argument = false;  // a character or a quote was seen since the last separator
    bool keep = false;         // the argument holds something besides field codes
    bool in_quotes = false;
    const auto finish = [&] {
        if (in_argument && keep) arguments.push_back(current);
        current.clear();
        in_argument = keep = false;
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!in_quotes && isSeparator(c)) {
            finish();
            continue;
        }
        in_argument = true;
        if (c == '"') {
            in_quotes = !in_quotes;
            keep = true;  // even "" is an argument
        } else if (in_quotes && c == '\\' && i + 1 < line.size() &&
                   std::string_view("\"`$\\").find(line[i + 1]) != std::string_view::npos) {
            current.push_back(line[++i]);
            keep = true;
        } else if (field_codes && c == '%') {
            if (i + 1 < line.size() && line[i + 1] == '%') {
                current.push_back('%');
                keep = true;
            }
            ++i;  // any other code expands to nothing here: no files, icon, name or location
        } else {
            current.push_back(c);
            keep = true;
        }
    }
    if (in_quotes) return std::nullopt;
    finish();
    return arguments;
}

// The escapes of string values: \s \n \t \r \\. An unknown escape is kept as written, so that a
// '\"' meant for the Exec quoting survives.
std::string unescapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.push_back(value[i]);
            continue;
        }
        switch (value[i + 1]) {
            case 's':
                out.push_back(' ');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case '\\':
                out.push_back('\\');
                break;
            default:
                out.append(value.substr(i, 2));
                break;
        }
        ++i;
    }
    return out;
}

std::string escapeValue(std::string_view value) {
    std::string out;
    bool leading = true;  // blanks at the start would be read as the space around '='
    for (const char c : value) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case ' ':
                out += leading ? "\\s" : " ";
                break;
            default:
                out.push_back(c);
                break;
        }
        leading = leading && isBlank(c);
    }
    return out;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The keys of the [Desktop Entry] group that matter here.
struct EntryKeys {
    std::optional<std::string> type;
    std::optional<std::string> exec;
    std::optional<std::string> path;
};

std::optional<EntryKeys> readEntryKeys(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    EntryKeys keys;
    bool found_group = false;
    bool in_group = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        while (!line.empty() && isBlank(line.front()))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::string_view header = trimBlanks(line);
            in_group = header == "[Desktop Entry]";
            found_group = found_group || in_group;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!in_group || equals == std::string_view::npos) continue;
        const std::string_view key = trimBlanks(line.substr(0, equals));
        std::string_view value = line.substr(equals + 1);
        while (!value.empty() && isBlank(value.front()))
            value.remove_prefix(1);
        // A key may appear once in a group; later copies are ignored. Localised keys ("Exec[de]")
        // are different keys and so never match.
        std::optional<std::string>* slot = key == "Type"   ? &keys.type
                                           : key == "Exec" ? &keys.exec
                                           : key == "Path" ? &keys.path
                                                           : nullptr;
        if (slot && !*slot) *slot = unescapeValue(value);
    }
    if (!found_group) return std::nullopt;
    return keys;
}

bool needsQuotes(std::string_view argument) {
    return argument.empty() || argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string_view::npos;
}

}  // namespace

std::optional<std::vector<std::string>> splitCommandLine(std::string_view line) {
    return splitArguments(line, false);
}

std::string joinCommandLine(const std::vector<std::string>& arguments) {
    std::string out;
    for (const std::string& argument : arguments) {
        if (!out.empty()) out.push_back(' ');
        if (!needsQuotes(argument)) {
            out += argument;
            continue;
        }
        out.push_back('"');
        for (const char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') out.push_back('\\');
            out.push_back(c);
        }
        out.push_back('"');
    }
    return out;
}

std::optional<ShortcutTarget> parseDesktopEntry(std::string_view text) {
    const auto keys = readEntryKeys(text);
    if (!keys || keys->type != "Application" || !keys->exec) return std::nullopt;
    const auto arguments = splitArguments(*keys->exec, true);
    if (!arguments || arguments->empty()) return std::nullopt;
    return ShortcutTarget{joinCommandLine(*arguments), keys->path.value_or(std::string())};
}

std::optional<std::string> buildDesktopEntry(const ShortcutTarget& target, std::string_view name) {
    const auto arguments = splitCommandLine(target.path);
    if (!arguments || arguments->empty()) return std::nullopt;
    if (target.working_folder.find('\0') != std::string::npos || name.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::string exec;
    for (const char c : joinCommandLine(*arguments)) {
        if (c == '\0') return std::nullopt;
        exec += c == '%' ? std::string("%%") : std::string(1, c);
    }
    std::string out = "[Desktop Entry]\nType=Application\n";
    out += "Name=" + escapeValue(name) + "\n";
    out += "Exec=" + escapeValue(exec) + "\n";
    if (!target.working_folder.empty()) out += "Path=" + escapeValue(target.working_folder) + "\n";
    return out;
}

}  // namespace tn
