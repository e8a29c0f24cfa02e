#include "programs/shell_links.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "programs/shell_link_format.h"
#include "support/temp_dir.h"

namespace tn {

// Internal linkage: other test files may want their own.
static bool operator==(const ShortcutTarget& a, const ShortcutTarget& b) {
    return a.path == b.path && a.working_folder == b.working_folder;
}

static std::ostream& operator<<(std::ostream& out, const ShortcutTarget& t) {
    return out << "{path \"" << t.path << "\", working folder \"" << t.working_folder << "\"}";
}

namespace {

using namespace std::literals;
using Args = std::vector<std::string>;

// ---- Building links by hand ------------------------------------------------------------------------

// Little-endian fields appended one after another.
class Bytes {
public:
    Bytes& u8(std::uint32_t v) {
        data_.push_back(static_cast<char>(v & 0xFF));
        return *this;
    }
    Bytes& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& u64(std::uint64_t v) {
        return u32(static_cast<std::uint32_t>(v & 0xFFFFFFFF)).u32(static_cast<std::uint32_t>(v >> 32));
    }
    Bytes& raw(std::string_view bytes) {
        data_ += bytes;
        return *this;
    }
    Bytes& utf16(std::u16string_view text) {
        for (const char16_t unit : text)
            u16(unit);
        return *this;
    }
    std::size_t size() const { return data_.size(); }
    const std::string& str() const { return data_; }

private:
    std::string data_;
};

const std::string kClsid = "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46"s;

constexpr std::uint32_t kHasIdList = 0x1;
constexpr std::uint32_t kHasLinkInfo = 0x2;
constexpr std::uint32_t kHasName = 0x4;
constexpr std::uint32_t kHasRelativePath = 0x8;
constexpr std::uint32_t kHasWorkingDir = 0x10;
constexpr std::uint32_t kHasArguments = 0x20;
constexpr std::uint32_t kHasIconLocation = 0x40;
constexpr std::uint32_t kIsUnicode = 0x80;
constexpr std::uint32_t kForceNoLinkInfo = 0x100;

Bytes& header(Bytes& b, std::uint32_t flags) {
    b.u32(0x4C).raw(kClsid).u32(flags).u32(0x20);  // FILE_ATTRIBUTE_ARCHIVE
    for (int i = 0; i < 3; ++i)
        b.u64(0x01C91515F2EEE9D0);
    return b.u32(0).u32(0).u32(1).u16(0).u16(0).u32(0).u32(0);
}

// An item ID list the reader must step over without looking inside: made-up items, then the
// terminating zero size.
std::string idList() {
    Bytes items;
    for (const std::string_view item : {"\x1F\x50root-folder-item"sv,
                                        "\x2F"
                                        "C:\\"sv,
                                        "\x31\x00test-folder"sv}) {
        items.u16(static_cast<std::uint32_t>(item.size() + 2)).raw(item);
    }
    items.u16(0);
    Bytes list;
    list.u16(static_cast<std::uint32_t>(items.size())).raw(items.str());
    return list.str();
}

// A LinkInfo for a local path: base (code page) + suffix (code page), with optional UTF-16 copies.
std::string localLinkInfo(std::string_view base, std::string_view suffix,
                          std::optional<std::u16string> base16 = std::nullopt,
                          std::optional<std::u16string> suffix16 = std::nullopt) {
    const bool wide = base16 || suffix16;
    const std::uint32_t header_size = wide ? 0x24 : 0x1C;
    Bytes volume;
    volume.u32(0x11).u32(3).u32(0x12345678).u32(0x10).u8(0);
    Bytes body;  // everything after the header, offsets counted from the LinkInfo's start
    const auto here = [&] { return static_cast<std::uint32_t>(header_size + body.size()); };
    const std::uint32_t volume_offset = here();
    body.raw(volume.str());
    const std::uint32_t base_offset = here();
    body.raw(base).u8(0);
    const std::uint32_t suffix_offset = here();
    body.raw(suffix).u8(0);
    std::uint32_t base16_offset = 0;
    std::uint32_t suffix16_offset = 0;
    if (base16) base16_offset = here(), body.utf16(*base16).u16(0);
    if (suffix16) suffix16_offset = here(), body.utf16(*suffix16).u16(0);
    Bytes info;
    info.u32(here()).u32(header_size).u32(1).u32(volume_offset).u32(base_offset).u32(0).u32(suffix_offset);
    if (wide) info.u32(base16_offset).u32(suffix16_offset);
    return info.raw(body.str()).str();
}

// A LinkInfo for a network share (CommonNetworkRelativeLink, no local path).
std::string networkLinkInfo(std::string_view share, std::string_view suffix) {
    Bytes net;
    net.u32(static_cast<std::uint32_t>(0x14 + share.size() + 1)).u32(0).u32(0x14).u32(0).u32(0x00020000);
    net.raw(share).u8(0);
    const std::uint32_t net_offset = 0x1C;
    const auto suffix_offset = static_cast<std::uint32_t>(net_offset + net.size());
    Bytes info;
    info.u32(static_cast<std::uint32_t>(suffix_offset + suffix.size() + 1)).u32(0x1C).u32(2).u32(0).u32(0);
    info.u32(net_offset).u32(suffix_offset).raw(net.str()).raw(suffix).u8(0);
    return info.str();
}

std::string unicodeString(std::u16string_view text) {
    Bytes b;
    return b.u16(static_cast<std::uint32_t>(text.size())).utf16(text).str();
}

std::string codePageString(std::string_view text) {
    Bytes b;
    return b.u16(static_cast<std::uint32_t>(text.size())).raw(text).str();
}

const std::string kTerminalBlock = "\0\0\0\0"s;

// header, [ID list], [LinkInfo], string data, a special-folder extra-data block, terminal block
std::string link(std::uint32_t flags, std::string_view link_info, const std::vector<std::string>& strings,
                 std::string_view ending = kTerminalBlock) {
    Bytes b;
    header(b, flags);
    if (flags & kHasIdList) b.raw(idList());
    if (flags & kHasLinkInfo) b.raw(link_info);
    for (const std::string& s : strings)
        b.raw(s);
    b.u32(0x10).u32(0xA0000005).u32(0x24).u32(0);
    return b.raw(ending).str();
}

// The format's own sample: a shortcut to "C:\test\a.txt", written field by field with the values its
// description gives (the item ID list is replaced by made-up items; readers skip it).
std::string documentedExample() {
    Bytes b;
    // HasLinkTargetIDList | HasLinkInfo | HasRelativePath | HasWorkingDir | IsUnicode | EnableTargetMetadata
    header(b, 0x0008009B);
    b.raw(idList());
    // LinkInfo: size 0x3C, header 0x1C, VolumeIDAndLocalBasePath, VolumeID at 0x1C, LocalBasePath at
    // 0x2D, no network link, CommonPathSuffix at 0x3B.
    b.u32(0x3C).u32(0x1C).u32(1).u32(0x1C).u32(0x2D).u32(0).u32(0x3B);
    // VolumeID: size 0x11, DRIVE_FIXED, serial number 0x307A8A81, label at 0x10: "".
    b.u32(0x11).u32(3).u32(0x307A8A81).u32(0x10).u8(0);
    b.raw("C:\\test\\a.txt").u8(0);
    b.u8(0);  // CommonPathSuffix ""
    b.u16(7).utf16(u".\\a.txt");
    b.u16(7).utf16(u"C:\\test");
    return b.u32(0).str();  // no extra data: the terminal block
}

// ---- Shell links: reading ---------------------------------------------------------------------------

TEST(ShellLinkRead, DocumentedExample) {
    EXPECT_EQ(parseShellLink(documentedExample()), (ShortcutTarget{"C:\\test\\a.txt", "C:\\test"}));
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::optional<ShortcutTarget> target;
};

std::ostream& operator<<(std::ostream& out, const ReadCase& c) {
    return out << c.name;
}

// A LinkInfo header (size 0x1C, VolumeIDAndLocalBasePath, the VolumeID right after it) over body.
std::string rawLinkInfo(std::uint32_t base_offset, std::uint32_t suffix_offset, std::string_view body) {
    Bytes b;
    b.u32(static_cast<std::uint32_t>(0x1C + body.size())).u32(0x1C).u32(1).u32(0x1C).u32(base_offset).u32(0);
    return b.u32(suffix_offset).raw(body).str();
}

// A VolumeID of 0x11 bytes: fixed disk, empty label.
const std::string kVolume = "\x11\0\0\0\x03\0\0\0\0\0\0\0\x10\0\0\0\0"s;

const std::string kRelative = unicodeString(u".\\a.txt");
const std::string kWorkDir = unicodeString(u"C:\\test");
constexpr std::uint32_t kTypical = kHasIdList | kHasLinkInfo | kHasRelativePath | kHasWorkingDir | kIsUnicode;

const ReadCase kReadCases[] = {
    {"SuffixFollowsBase", link(kTypical, localLinkInfo("C:\\test\\", "a.txt"), {kRelative, kWorkDir}),
     ShortcutTarget{"C:\\test\\a.txt", "C:\\test"}},
    {"UnicodeCopiesPreferred",
     link(kTypical, localLinkInfo("C:\\t?st", "\\?.txt", u"C:\\t\u00EBst", u"\\\u4E2D.txt"),
          {kRelative, kWorkDir}),
     ShortcutTarget{"C:\\t\u00EBst\\\u4E2D.txt", "C:\\test"}},
    {"UnicodeBaseWithCodePageSuffix",
     link(kTypical, localLinkInfo("C:\\t?st", "\\a.txt", u"C:\\t\u00EBst"), {kRelative, kWorkDir}),
     ShortcutTarget{"C:\\t\u00EBst\\a.txt", "C:\\test"}},
    {"CodePageReadAsWindows1252",
     link(kTypical, localLinkInfo("C:\\Caf\xE9\\\x80.txt", ""), {kRelative, kWorkDir}),
     ShortcutTarget{"C:\\Caf\u00E9\\\u20AC.txt", "C:\\test"}},
    {"CodePageThatIsUtf8Kept",
     link(kTypical, localLinkInfo("/home/kid/Caf\xC3\xA9", ""), {kRelative, kWorkDir}),
     ShortcutTarget{"/home/kid/Caf\u00E9", "C:\\test"}},
    {"NetworkShareAndSuffix",
     link(kTypical, networkLinkInfo("\\\\server\\share", "test\\a.txt"), {kRelative, kWorkDir}),
     ShortcutTarget{"\\\\server\\share\\test\\a.txt", "C:\\test"}},
    {"NetworkShareAlone", link(kTypical, networkLinkInfo("\\\\server\\share", ""), {kRelative, kWorkDir}),
     ShortcutTarget{"\\\\server\\share", "C:\\test"}},
    {"NoLinkInfoFallsBackToRelativePath",
     link(kHasRelativePath | kHasWorkingDir | kIsUnicode, "", {kRelative, kWorkDir}),
     ShortcutTarget{".\\a.txt", "C:\\test"}},
    {"ForcedNoLinkInfoFallsBackToRelativePath",
     link(kTypical | kForceNoLinkInfo, localLinkInfo("C:\\other.txt", ""), {kRelative, kWorkDir}),
     ShortcutTarget{".\\a.txt", "C:\\test"}},
    {"CodePageStringData",
     link(kHasLinkInfo | kHasRelativePath | kHasWorkingDir, localLinkInfo("C:\\a.txt", ""),
          {codePageString(".\\a.txt"), codePageString("C:\\Spi\xE9le")}),
     ShortcutTarget{"C:\\a.txt", "C:\\Spi\u00E9le"}},
    {"EveryStringPresent",
     link(kTypical | kHasName | kHasArguments | kHasIconLocation, localLinkInfo("C:\\a.txt", ""),
          {unicodeString(u"Comment"), kRelative, kWorkDir, unicodeString(u"--big"), unicodeString(u"a.ico")}),
     ShortcutTarget{"C:\\a.txt", "C:\\test"}},
    {"NoWorkingFolder", link(kHasLinkInfo | kIsUnicode, localLinkInfo("C:\\a.txt", ""), {}),
     ShortcutTarget{"C:\\a.txt", ""}},
    {"SurrogatePairsAndLoneSurrogate",
     link(kHasRelativePath | kHasWorkingDir | kIsUnicode, "",
          {unicodeString(u"\U0001F600.txt"), unicodeString(u"x"s + static_cast<char16_t>(0xD800) + u"y")}),
     ShortcutTarget{"\U0001F600.txt", "x\uFFFDy"}},
    {"BytesAfterTheTerminalBlockIgnored",
     link(kTypical, localLinkInfo("C:\\a.txt", ""), {kRelative, kWorkDir}, kTerminalBlock + "junk"),
     ShortcutTarget{"C:\\a.txt", "C:\\test"}},

    {"NoTargetAnywhere", link(kHasWorkingDir | kIsUnicode, "", {kWorkDir}), std::nullopt},
    {"LinkInfoWithoutAPath",
     link(kHasLinkInfo | kIsUnicode, "\x1C\0\0\0\x1C\0\0\0"s + std::string(20, '\0'), {}), std::nullopt},
    {"NoTerminalBlock", link(kTypical, localLinkInfo("C:\\a.txt", ""), {kRelative, kWorkDir}, ""),
     std::nullopt},
    {"ExtraDataBlockPastTheEnd",
     link(kTypical, localLinkInfo("C:\\a.txt", ""), {kRelative, kWorkDir}, "\x40\0\0\0\x01\0\0\xA0"s),
     std::nullopt},
    {"BasePathNotTerminatedInsideLinkInfo", link(kHasLinkInfo, rawLinkInfo(0x2D, 0, kVolume + "C:\\"), {}),
     std::nullopt},
    {"VolumeIdTooSmall", link(kHasLinkInfo, rawLinkInfo(0x2D, 0, "\x10"s + kVolume.substr(1) + "C:\0"s), {}),
     std::nullopt},
    {"VolumeIdPastTheLinkInfo",
     link(kHasLinkInfo, rawLinkInfo(0x2D, 0, "\x40"s + kVolume.substr(1) + "C:\0"s), {}), std::nullopt},
    {"BaseOffsetFarPastTheLinkInfo", link(kHasLinkInfo, rawLinkInfo(0xFFFFFFFF, 0, kVolume + "C:\0"s), {}),
     std::nullopt},
    {"SuffixOffsetPastTheLinkInfo", link(kHasLinkInfo, rawLinkInfo(0x2D, 0x40, kVolume + "C:\0"s), {}),
     std::nullopt},
    {"StringCountPastTheEnd", link(kHasRelativePath | kIsUnicode, "", {"\xFF\x7F"s + "a\0"s}, ""),
     std::nullopt},
    {"WrongHeaderSize", "\x4D"s + link(kTypical, localLinkInfo("C:\\a.txt", ""), {}).substr(1), std::nullopt},
    {"WrongClsid", link(kTypical, localLinkInfo("C:\\a.txt", ""), {}).replace(4, 1, "\x02"), std::nullopt},
    {"Empty", "", std::nullopt},
};

class ShellLinkReadCases : public testing::TestWithParam<ReadCase> {};

TEST_P(ShellLinkReadCases, Target) {
    EXPECT_EQ(parseShellLink(GetParam().bytes), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Links, ShellLinkReadCases, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase>& p) { return p.param.name; });

// ---- Shell links: writing ---------------------------------------------------------------------------

std::string longPath() {
    std::string path = "/home/kid";
    while (path.size() < 5000)
        path += "/Verzeichnis-\u00E4\u00F6\u00FC-\u4E2D\u6587";
    return path + "/spiel";
}

const ShortcutTarget kLinkTargets[] = {
    {"C:\\Windows\\notepad.exe", "C:\\Windows"},
    {"/usr/games/tuxpaint", "/home/kid"},
    {"/opt/Spiele/M\u00E4use & K\u00E4se/start", "/opt/Spiele/M\u00E4use & K\u00E4se"},
    {"/opt/\u20AC\u0152\u2122/run", "/opt/\u20AC"},
    {"/home/\u5B50\u4F9B/\u30B2\u30FC\u30E0", "/home/\u5B50\u4F9B"},
    {"/home/kid/\U0001F600 smile", "/home/kid/\U0001F680"},
    {"relative/target", ""},
    {longPath(), longPath()},
};

TEST(ShellLinkWrite, ReadsBackIdentically) {
    for (const ShortcutTarget& target : kLinkTargets) {
        const auto bytes = buildShellLink(target);
        ASSERT_TRUE(bytes) << target;
        EXPECT_EQ(parseShellLink(*bytes), target);
    }
}

// Readers that know only the code-page fields (no Unicode offsets in LinkInfo) still find the target
// as far as Windows-1252 can say it.
TEST(ShellLinkWrite, CodePageCopyOfTheTarget) {
    const struct {
        std::string path;
        std::string code_page_reading;
    } cases[] = {
        {"C:\\Windows\\notepad.exe", "C:\\Windows\\notepad.exe"},
        {"/opt/Caf\u00E9 \u20AC", "/opt/Caf\u00E9 \u20AC"},
        {"/home/\u5B50/x", "/home/?/x"},
    };
    for (const auto& c : cases) {
        std::string bytes = *buildShellLink({c.path, "/w"});
        ASSERT_EQ(bytes.substr(0, 4), "\x4C\0\0\0"s);
        ASSERT_EQ(bytes.substr(4, 16), kClsid);
        EXPECT_EQ(bytes.substr(0x14, 4), "\x92\0\0\0"s);  // HasLinkInfo | HasWorkingDir | IsUnicode
        // LinkInfo follows the header; blank out LocalBasePathOffsetUnicode and
        // CommonPathSuffixOffsetUnicode.
        bytes.replace(0x4C + 0x1C, 8, std::string(8, '\0'));
        EXPECT_EQ(parseShellLink(bytes), (ShortcutTarget{c.code_page_reading, "/w"})) << c.path;
    }
}

TEST(ShellLinkWrite, RefusesWhatTheFormatCannotHold) {
    const ShortcutTarget refused[] = {
        {"", "/home/kid"},
        {"/bin/a\0b"s, ""},
        {"/bin/\xFF", ""},
        {"/bin/a", "/home/\xC3"},
        {"/bin/a", std::string(0x10000, 'w')},
    };
    for (const ShortcutTarget& target : refused)
        EXPECT_FALSE(buildShellLink(target)) << target;
    EXPECT_TRUE(buildShellLink({"/bin/a", std::string(0xFFFF, 'w')}));
}

// ---- Shell links: damaged files --------------------------------------------------------------------

TEST(ShellLinkDamage, EveryTruncationIsRejected) {
    for (const std::string& whole : {documentedExample(), *buildShellLink(kLinkTargets[2])}) {
        ASSERT_TRUE(parseShellLink(whole));
        for (std::size_t length = 0; length < whole.size(); ++length) {
            EXPECT_FALSE(parseShellLink(whole.substr(0, length))) << "length " << length;
        }
    }
}

// Flipping any single byte never reads outside the file (the sanitizer build checks that); a flip in
// the header's size or class id makes the file a non-link, and a flip in the path's characters
// changes the target.
TEST(ShellLinkDamage, FlippedBytes) {
    const std::string whole = documentedExample();
    const std::size_t path_at = whole.find("C:\\test\\a.txt");
    ASSERT_NE(path_at, std::string::npos);
    for (std::size_t at = 0; at < whole.size(); ++at) {
        std::string damaged = whole;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        const auto target = parseShellLink(damaged);
        if (at < 0x14) {
            EXPECT_FALSE(target) << "offset " << at;
        }
        if (at >= path_at && at < path_at + 13) {
            ASSERT_TRUE(target) << "offset " << at;
            EXPECT_NE(target->path, "C:\\test\\a.txt");
        }
        if (target) {
            EXPECT_FALSE(target->path.empty());
        }
    }
}

// Random damage (changed bytes, cut or inserted runs, size fields set to edge values) to valid links.
// Whatever survives as a link is one our writer can say again the same way.
TEST(ShellLinkDamage, RandomMutationsStaySafe) {
    const std::string seeds[] = {documentedExample(), *buildShellLink(kLinkTargets[5]),
                                 link(kTypical | kHasName | kHasArguments, networkLinkInfo("\\\\srv\\s", "x"),
                                      {unicodeString(u"n"), kRelative, kWorkDir, unicodeString(u"a")})};
    const std::uint32_t edges[] = {0, 1, 3, 4, 0x1C, 0x24, 0x7FFFFFFF, 0xFFFFFFFF, 0xFFFF};
    std::mt19937 random(20240611);
    const auto below = [&random](std::size_t n) { return n == 0 ? 0 : std::size_t{random()} % n; };
    int resolved = 0;
    for (int round = 0; round < 30000; ++round) {
        std::string bytes = seeds[below(std::size(seeds))];
        for (std::size_t change = 0, count = 1 + below(4); change < count; ++change) {
            const std::size_t at = below(bytes.size());
            switch (below(5)) {
                case 0:
                    bytes[at] = static_cast<char>(random());
                    break;
                case 1:
                    bytes.resize(at);
                    break;
                case 2:
                    bytes.insert(at, below(16), static_cast<char>(random()));
                    break;
                case 3:
                    bytes.erase(at, below(16));
                    break;
                default: {
                    const std::uint32_t v = edges[below(std::size(edges))];
                    for (std::size_t k = 0; k < 4 && at + k < bytes.size(); ++k) {
                        bytes[at + k] = static_cast<char>(v >> (8 * k));
                    }
                }
            }
        }
        const auto target = parseShellLink(bytes);
        if (!target) continue;
        ++resolved;
        ASSERT_FALSE(target->path.empty());
        if (target->path.find('\0') == std::string::npos) {
            const auto again = buildShellLink(*target);
            ASSERT_TRUE(again) << *target;
            EXPECT_EQ(parseShellLink(*again), target);
        }
    }
    EXPECT_GT(resolved, 0);
}

// ---- Desktop entries ------------------------------------------------------------------------------

struct EntryCase {
    const char* name;
    std::string text;
    std::optional<ShortcutTarget> target;
};

std::ostream& operator<<(std::ostream& out, const EntryCase& c) {
    return out << c.name;
}

std::string entry(std::string_view keys) {
    return "[Desktop Entry]\nType=Application\nName=Game\n" + std::string(keys);
}

const EntryCase kEntryCases[] = {
    {"PlainCommand", entry("Exec=/usr/games/tuxpaint\n"), ShortcutTarget{"/usr/games/tuxpaint", ""}},
    {"FileAndUrlCodesDropped", entry("Exec=gedit %f %F %u %U --new\n"), ShortcutTarget{"gedit --new", ""}},
    {"IconNameAndLocationCodesDropped", entry("Exec=app %i %c %k -x\n"), ShortcutTarget{"app -x", ""}},
    {"DeprecatedCodesDropped", entry("Exec=app %d %D %n %N %v %m\n"), ShortcutTarget{"app", ""}},
    {"CodeInsideAnArgument", entry("Exec=app --open=%u\n"), ShortcutTarget{"app --open=", ""}},
    {"DoublePercentIsAPercent", entry("Exec=printf 100%% %%d\n"), ShortcutTarget{"printf 100% %d", ""}},
    {"QuotedProgramWithSpaces", entry("Exec=\"/opt/my app/run\" --x %U\n"),
     ShortcutTarget{"\"/opt/my app/run\" --x", ""}},
    {"EscapesInsideQuotes", entry("Exec=sh -c \"echo \\\\\"\\\\$HOME\\\\\" \\\\\\\\ done\"\n"),
     ShortcutTarget{"sh -c \"echo \\\"\\$HOME\\\" \\\\ done\"", ""}},
    {"BackslashQuoteWrittenUnescaped", entry("Exec=sh -c \"echo \\\"hi\\\"\"\n"),
     ShortcutTarget{"sh -c \"echo \\\"hi\\\"\"", ""}},
    {"EmptyQuotedArgumentKept", entry("Exec=app \"\" x\n"), ShortcutTarget{"app \"\" x", ""}},
    {"RunsOfBlanksSeparate", entry("Exec=  app \t -a   -b  \n"), ShortcutTarget{"app -a -b", ""}},
    {"PathIsTheWorkingFolder", entry("Exec=run\nPath=/home/kid/Spiele\n"),
     ShortcutTarget{"run", "/home/kid/Spiele"}},
    {"PathEscapes", entry("Path=\\s/srv/a\\\\b\\tc\nExec=run\n"), ShortcutTarget{"run", " /srv/a\\b\tc"}},
    {"SpacesAroundEquals", entry("Exec = run\nPath =  /tmp\n"), ShortcutTarget{"run", "/tmp"}},
    {"CommentsBlankLinesAndCrLf", "# made by hand\r\n\r\n[Desktop Entry]\r\nType=Application\r\nExec=run\r\n",
     ShortcutTarget{"run", ""}},
    {"HiddenAndNoDisplayDoNotMatter", entry("Hidden=true\nNoDisplay=true\nExec=run\n"),
     ShortcutTarget{"run", ""}},
    {"LocalisedKeysIgnored", entry("Exec[de]=spiel\nExec=game\nPath[de]=/de\n"), ShortcutTarget{"game", ""}},
    {"ActionGroupsIgnored", entry("Exec=main\n[Desktop Action new]\nExec=other\nPath=/other\n"),
     ShortcutTarget{"main", ""}},
    {"NonAsciiKept", entry("Exec=/opt/Spi\u00E9le/\u4E2D %f\nPath=/opt/Spi\u00E9le\n"),
     ShortcutTarget{"/opt/Spi\u00E9le/\u4E2D", "/opt/Spi\u00E9le"}},

    {"MissingExec", entry("Path=/tmp\n"), std::nullopt},
    {"ExecOnlyInAnAction", entry("[Desktop Action new]\nExec=other\n"), std::nullopt},
    {"ExecOfOnlyFieldCodes", entry("Exec=%U\n"), std::nullopt},
    {"EmptyExec", entry("Exec=\n"), std::nullopt},
    {"OpenQuote", entry("Exec=\"/opt/my app/run --x\n"), std::nullopt},
    {"TypeLink", "[Desktop Entry]\nType=Link\nURL=http://x\nExec=run\n", std::nullopt},
    {"TypeMissing", "[Desktop Entry]\nExec=run\n", std::nullopt},
    {"TypeInLowerCase", "[Desktop Entry]\nType=application\nExec=run\n", std::nullopt},
    {"NoDesktopEntryGroup", "[Other]\nType=Application\nExec=run\n", std::nullopt},
    {"NotText", entry("Exec=run\0x\n"s), std::nullopt},
};

class ShellLinkDesktopEntries : public testing::TestWithParam<EntryCase> {};

TEST_P(ShellLinkDesktopEntries, Target) {
    EXPECT_EQ(parseDesktopEntry(GetParam().text), GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(Entries, ShellLinkDesktopEntries, testing::ValuesIn(kEntryCases),
                         [](const testing::TestParamInfo<EntryCase>& p) { return p.param.name; });

// What an entry we write says: its arguments and folder come back unchanged, however odd.
TEST(ShellLinkDesktopWrite, ReadsBackIdentically) {
    const struct {
        Args arguments;
        std::string folder;
    } cases[] = {
        {{"/usr/games/tuxpaint"}, "/home/kid"},
        {{"/opt/my app/run", "--x"}, ""},
        {{"printf", "100%", "%f", "%%"}, "/tmp"},
        {{"sh", "-c", "echo \"$HOME\" `date` \\ done; exit"}, "/"},
        {{"app", "", "a\tb\nc", "~/x", "a=b", "#1", "(x)|y&z<>*?'"}, "  /srv/odd\\dir\nnext\t"},
        {{"/opt/Spi\u00E9le/\u4E2D\u6587", "--title=B\u00E4r \U0001F600"}, "/opt/Spi\u00E9le"},
    };
    for (const auto& c : cases) {
        const ShortcutTarget target{joinCommandLine(c.arguments), c.folder};
        const auto text = buildDesktopEntry(target, "Game");
        ASSERT_TRUE(text) << target;
        EXPECT_EQ(parseDesktopEntry(*text), target) << *text;
        EXPECT_EQ(splitCommandLine(target.path), c.arguments);
    }
}

TEST(ShellLinkDesktopWrite, RefusesCommandsThatAreNotOne) {
    for (const std::string& command : {""s, "   "s, "\"/opt/my app"s, "run\0x"s}) {
        EXPECT_FALSE(buildDesktopEntry({command, "/tmp"}, "Game")) << command;
    }
    EXPECT_FALSE(buildDesktopEntry({"run", "/t\0mp"s}, "Game"));
}

TEST(ShellLinkCommandLine, Split) {
    const struct {
        std::string line;
        std::optional<Args> arguments;
    } cases[] = {
        {"", Args{}},
        {"a  b\t c\n", Args{"a", "b", "c"}},
        {"\"a b\"c d", Args{"a bc", "d"}},
        {"\"\"", Args{""}},
        {"a\\b c\\", Args{"a\\b", "c\\"}},   // a backslash outside quotes is an ordinary character
        {"\"a\\qb\\\\\"", Args{"a\\qb\\"}},  // inside them only " ` $ \ are escaped
        {"100%", Args{"100%"}},              // no field codes in a plain command line
        {"\"open", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(splitCommandLine(c.line), c.arguments) << c.line;
}

// Random damage to a desktop entry never yields a target that is not a well-formed command line.
TEST(ShellLinkDesktopDamage, RandomMutationsStaySafe) {
    const std::string seed =
        entry("Exec=\"/opt/my app/run\" --x=\"a \\\\\"b\\\\\"\" %U 50%%\nPath=/srv/a\\sb\n");
    const std::string alphabet = "\"\\%= \n[]#sExecPathType";
    std::mt19937 random(77);
    const auto below = [&random](std::size_t n) { return n == 0 ? 0 : std::size_t{random()} % n; };
    for (int round = 0; round < 20000; ++round) {
        std::string text = seed;
        for (std::size_t change = 0, count = 1 + below(4); change < count; ++change) {
            const std::size_t at = below(text.size());
            const char c = below(2) ? alphabet[below(alphabet.size())] : static_cast<char>(random());
            switch (below(3)) {
                case 0:
                    text[at] = c;
                    break;
                case 1:
                    text.insert(at, 1, c);
                    break;
                default:
                    text.erase(at, 1 + below(3));
                    break;
            }
        }
        const auto target = parseDesktopEntry(text);
        if (!target) continue;
        const auto arguments = splitCommandLine(target->path);
        ASSERT_TRUE(arguments && !arguments->empty()) << text;
        EXPECT_EQ(joinCommandLine(*arguments), target->path);
    }
}

// ---- Shortcut files ----------------------------------------------------------------------------------

TEST(LinuxShellLinks, CreatesAndResolvesByFileNameEnding) {
    test::TempDir dir;
    LinuxShellLinks links;
    const ShortcutTarget lnk_target{"C:\\Windows\\notepad.exe", "C:\\Windows"};
    const ShortcutTarget desktop_target{"\"/opt/my app/run\" --x", "/opt/my app"};
    for (const char* name : {"Notepad.lnk", "Upper.LNK"}) {
        ASSERT_TRUE(links.create(dir.file(name), lnk_target)) << name;
        EXPECT_EQ(links.resolve(dir.file(name)), lnk_target) << name;
    }
    ASSERT_TRUE(links.create(dir.file("My App.desktop"), desktop_target));
    EXPECT_EQ(links.resolve(dir.file("My App.desktop")), desktop_target);
    EXPECT_NE(dir.read("My App.desktop").find("\nName=My App\n"), std::string::npos);

    // The ending decides the format, not the content.
    dir.write("Copied.desktop", dir.read("Notepad.lnk"));
    EXPECT_FALSE(links.resolve(dir.file("Copied.desktop")));
    dir.write("Copied.lnk", dir.read("My App.desktop"));
    EXPECT_FALSE(links.resolve(dir.file("Copied.lnk")));
}

TEST(LinuxShellLinks, OtherFilesAreNotShortcuts) {
    test::TempDir dir;
    LinuxShellLinks links;
    dir.write("notes.txt", *buildShellLink({"/bin/true", ""}));
    EXPECT_FALSE(links.resolve(dir.file("notes.txt")));
    EXPECT_FALSE(links.create(dir.file("new.url"), {"/bin/true", ""}));
    EXPECT_FALSE(dir.exists("new.url"));
    EXPECT_FALSE(links.resolve(dir.file("missing.lnk")));
    ASSERT_EQ(::mkdir(dir.file("folder.lnk").c_str(), 0755), 0);
    EXPECT_FALSE(links.resolve(dir.file("folder.lnk")));
    EXPECT_FALSE(links.create(dir.file("no/such/folder/x.lnk"), {"/bin/true", ""}));
}

TEST(LinuxShellLinks, RefusedTargetLeavesTheOldShortcut) {
    test::TempDir dir;
    LinuxShellLinks links;
    for (const char* name : {"a.lnk", "a.desktop"}) {
        ASSERT_TRUE(links.create(dir.file(name), {"/bin/old", "/"}));
        const std::string before = dir.read(name);
        EXPECT_FALSE(links.create(dir.file(name), {"", "/"})) << name;
        EXPECT_EQ(dir.read(name), before) << name;
        ASSERT_TRUE(links.create(dir.file(name), {"/bin/new", "/home"}));
        EXPECT_EQ(links.resolve(dir.file(name)), (ShortcutTarget{"/bin/new", "/home"})) << name;
    }
}

}  // namespace
}  // namespace tn
