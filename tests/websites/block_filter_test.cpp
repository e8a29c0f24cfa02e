#include "websites/block_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace tn {
namespace {

using namespace std::string_literals;

// ---- The rule on concrete cases ----

struct RuleCase {
    const char* name;
    std::vector<std::string> blocked;
    std::string url;
    bool refused;
};

std::ostream& operator<<(std::ostream& out, const RuleCase& c) {
    return out << c.name;
}

const RuleCase kRuleCases[] = {
    {"EmptyListAllowsAll", {}, "http://anything.example/", false},
    {"EmptyLineBlocksNothing", {"", ""}, "http://anything.example/", false},
    {"EmptyLineBesideAMatch", {"", "thing"}, "http://anything.example/", true},
    {"LowerCaseEntryMissesCapitalisedWord", {"games"}, "http://Games.example/Play", false},
    {"ShortLowerCaseEntryMissesCapitalisedWord", {"sex"}, "http://Sexton.example/", false},
    {"SameCaseMatches", {"Games"}, "http://Games.example/Play", true},
    {"DomainInQueryString", {"bad.example"}, "http://search.example/?q=bad.example&page=2", true},
    {"WholeUrl", {"http://a.example/"}, "http://a.example/", true},
    {"EntryLongerThanUrl", {"http://a.example/x"}, "http://a.example/", false},
    {"FiveBytesAtStart", {"https"}, "https://a.example", true},
    {"FiveBytesAtEnd", {"e.com"}, "http://site.com", true},
    {"LongEntryAtEnd", {"tracker.example"}, "http://ads.tracker.example", true},
    {"OneByte", {"~"}, "http://a.example/~user", true},
    {"ShortEntryAtEnd", {"xyz"}, "http://a.example/?q=xyz", true},
    {"ShortEntryCutByEnd", {"xyz"}, "http://a.example/?q=xy", false},
    {"EmptyUrl", {"a", "abcdef"}, "", false},
    {"NonAsciiExactBytes", {"caf\xe9"}, "http://caf\xe9.example", true},
    {"NonAsciiOtherEncoding", {"caf\xe9"}, "http://caf\xc3\xa9.example", false},
    {"NonAsciiOtherCase", {"\xc9t\xc9"}, "http://\xe9t\xe9.example", false},
    {"NulInsideEntry", {"a\0b"s, "long\0entry"s}, "xa\0bx"s, true},
    {"NulInsideLongEntry", {"long\0entry"s}, "the long\0entry"s, true},
    {"NulNotSkipped", {"a\0b"s, "long\0entry"s}, "xab longentry", false},
};

class BlockFilterRule : public testing::TestWithParam<RuleCase> {};

TEST_P(BlockFilterRule, LinearScanAndFilterAgree) {
    const RuleCase& c = GetParam();
    TextList list;
    for (const std::string& entry : c.blocked)
        list.append(entry);
    EXPECT_EQ(linearScanBlocks(list, c.url), c.refused);

    const BlockFilter built(list);
    EXPECT_EQ(built.blocks(c.url), c.refused);
    BlockFilter added;
    for (const std::string& entry : c.blocked)
        added.add(entry);
    EXPECT_EQ(added.blocks(c.url), c.refused);
    EXPECT_EQ(added.size(), c.blocked.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, BlockFilterRule, testing::ValuesIn(kRuleCases),
                         [](const testing::TestParamInfo<RuleCase>& p) { return p.param.name; });

// ---- Random lists and urls against the linear scan ----

// Entries and urls over a small alphabet, so that entries overlap each other and urls often hold
// them: letters in both cases, a non-ASCII letter in both cases, a dot and a NUL.
class Maker {
public:
    explicit Maker(std::uint32_t seed) : random_(seed) {}

    std::size_t below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

    std::string word(std::size_t min, std::size_t max) {
        static constexpr char kAlphabet[] = {'a', 'b', 'A', 'B', '.', '\xe9', '\xc9', '\0'};
        std::string w(min + below(max - min + 1), ' ');
        for (char& c : w)
            c = kAlphabet[below(sizeof kAlphabet)];
        return w;
    }

    static std::string flipCase(std::string s) {
        for (char& c : s) {
            const auto u = static_cast<unsigned char>(c);
            if ((u | 0x20) >= 'a' && (u | 0x20) <= 'z') c = static_cast<char>(u ^ 0x20);
            if (u == 0xe9 || u == 0xc9) c = static_cast<char>(u ^ 0x20);
        }
        return s;
    }

    std::string piece(const std::vector<std::string>& entries) {
        if (entries.empty()) return word(0, 6);
        const std::string& e = entries[below(entries.size())];
        const std::size_t from = below(e.size() + 1);
        switch (below(7)) {
            case 0:
                return word(0, 12);
            case 1:
                return e.substr(0, below(e.size() + 1));  // a prefix
            case 2:
                return e.substr(from);  // a suffix
            case 3:
                return e.substr(from, below(e.size() + 1));
            case 4:
                return flipCase(e);
            case 5:
                return e + word(1, 6);  // longer than the entry
            default:
                return e;
        }
    }

    // Short ones, long ones, empty ones, duplicates, and prefixes, suffixes, extensions and case
    // variants of entries already made. Now and then a very long one (past the lengths the index
    // describes in brief).
    std::string entry(const std::vector<std::string>& entries) {
        switch (below(8)) {
            case 0:
                return "";
            case 1:
                return word(1, 4);
            case 2:
                return below(8) == 0 ? word(60, 1100) : word(5, 14);
            case 3:
                return entries.empty() ? word(1, 8) : entries[below(entries.size())];
            default:
                return piece(entries);
        }
    }

    std::string url(const std::vector<std::string>& entries) {
        std::string u;
        for (std::size_t n = below(5); n > 0; --n)
            u += piece(entries);
        return u;
    }

private:
    std::mt19937 random_;
};

std::vector<std::string> entriesOf(const TextList& list) {
    return list.toVector();
}

// The filter's answer equals the linear scan's; a reported match really is an entry found in url.
void expectSameAnswers(const TextList& list, const BlockFilter& filter,
                       const std::vector<std::string>& urls) {
    ASSERT_EQ(filter.size(), list.size());
    for (const std::string& url : urls) {
        const std::string_view match = filter.findMatch(url);
        ASSERT_EQ(!match.empty(), linearScanBlocks(list, url))
            << testing::PrintToString(url) << " in " << testing::PrintToString(entriesOf(list));
        if (match.empty()) continue;
        EXPECT_NE(url.find(match), std::string::npos);
        EXPECT_NE(list.indexOf(match), TextList::npos);
    }
}

std::vector<std::string> makeUrls(Maker& make, const std::vector<std::string>& entries, std::size_t count) {
    std::vector<std::string> urls;
    for (std::size_t i = 0; i < count; ++i)
        urls.push_back(make.url(entries));
    return urls;
}

TEST(BlockFilter, RandomListsMatchLinearScan) {
    Maker make(12345);
    for (int round = 0; round < 400; ++round) {
        TextList list;
        std::vector<std::string> entries;
        for (std::size_t n = make.below(round % 4 == 0 ? 4 : 40); n > 0; --n) {
            entries.push_back(make.entry(entries));
            list.append(entries.back());
        }
        const BlockFilter filter(list);
        expectSameAnswers(list, filter, makeUrls(make, entries, 60));
        if (testing::Test::HasFatalFailure()) return;
    }
}

// Every edit the owner makes to its list, mirrored one at a time: the answers follow the list.
TEST(BlockFilter, EditsMirrorTheList) {
    Maker make(777);
    TextList list;
    BlockFilter filter;
    std::vector<std::string> seen;  // removed entries too, so urls keep testing them
    for (int step = 0; step < 4000; ++step) {
        const std::size_t action = make.below(10);
        if (action < 5 || list.empty()) {
            const std::string e = make.entry(seen);
            const std::size_t at = make.below(list.size() + 1);
            list.insert(at, e);
            filter.add(e);
            seen.push_back(e);
        } else if (action < 9) {
            const std::size_t at = make.below(list.size());
            const std::string e(list[at]);
            list.erase(at);
            ASSERT_TRUE(filter.remove(e));
        } else {
            const std::string e = make.entry(seen);
            const bool present = list.indexOf(e) != TextList::npos;
            ASSERT_EQ(filter.remove(e), present) << testing::PrintToString(e);
            if (present) list.erase(list.indexOf(e));
        }
        expectSameAnswers(list, filter, makeUrls(make, seen, 8));
        if (testing::Test::HasFatalFailure()) return;
    }
}

// Enough entries, over few letters, that grams are shared by many entries, the tables grow several
// times, removals shift slots back and the arena is compacted; then a rebuild and a clear.
TEST(BlockFilter, ManyEditsOverFewGrams) {
    std::mt19937 random(99);
    const auto word = [&random](std::size_t length) {
        std::string w(length, 'a');
        for (char& c : w)
            c = static_cast<char>('a' + random() % 5);
        return w;
    };
    std::vector<std::string> all;
    TextList list;
    BlockFilter filter;
    for (int i = 0; i < 6000; ++i) {
        all.push_back(word(5 + random() % 6));
        list.append(all.back());
        filter.add(all.back());
    }
    std::vector<std::string> urls;
    for (int i = 0; i < 150; ++i)
        urls.push_back(word(random() % 4) + all[random() % all.size()] + word(random() % 4));
    for (int i = 0; i < 150; ++i)
        urls.push_back(word(random() % 12));
    expectSameAnswers(list, filter, urls);

    for (std::size_t left = list.size(); left > 500; --left) {
        const std::size_t at = random() % list.size();
        ASSERT_TRUE(filter.remove(list[at]));
        list.erase(at);
    }
    expectSameAnswers(list, filter, urls);

    for (int i = 0; i < 1000; ++i) {
        all.push_back(word(5 + random() % 3));
        list.append(all.back());
        filter.add(all.back());
    }
    expectSameAnswers(list, filter, urls);
    filter.rebuild(list);
    expectSameAnswers(list, filter, urls);

    while (!list.empty()) {
        ASSERT_TRUE(filter.remove(list[0]));
        list.erase(0);
    }
    for (const std::string& url : urls)
        EXPECT_FALSE(filter.blocks(url));
    filter.add("aaaaa");
    EXPECT_TRUE(filter.blocks("baaaaab"));
    filter.clear();
    EXPECT_EQ(filter.size(), 0u);
    EXPECT_FALSE(filter.blocks("baaaaab"));
}

TEST(BlockFilter, LongUrlsAndLongEntries) {
    std::string url(1 << 20, 'x');
    url.replace(url.size() - 7, 7, "needle!");
    const std::string entry_longer_than_url(url.size() + 1, 'x');
    BlockFilter filter(TextList::fromLines({entry_longer_than_url, "needle?", "xxxxxxxxxy", "xxy"}));
    EXPECT_FALSE(filter.blocks(url));
    filter.add("needle!");
    EXPECT_TRUE(filter.blocks(url));
    EXPECT_EQ(filter.findMatch(url), "needle!");
    EXPECT_TRUE(filter.blocks(entry_longer_than_url + "!"));
    EXPECT_FALSE(
        filter.blocks(std::string(entry_longer_than_url.size() - 1, 'x')));  // its start runs off the end
    EXPECT_TRUE(filter.remove(entry_longer_than_url));
    EXPECT_FALSE(filter.blocks(entry_longer_than_url + "!"));
    EXPECT_FALSE(filter.blocks(std::string_view(url).substr(0, url.size() - 1)));
}

// The text of a match points into the filter; handing part of it back, while adding moves the storage
// it points into, must still add those bytes.
TEST(BlockFilter, AddingItsOwnMatchText) {
    BlockFilter filter(TextList::fromLines({"tracker.example", "abcdefghij"}));
    const std::string_view match = filter.findMatch("http://tracker.example/");
    ASSERT_EQ(match, "tracker.example");
    filter.add(match);
    filter.add(match.substr(0, 10));
    EXPECT_TRUE(filter.blocks("tracker.ex"));
    EXPECT_TRUE(filter.remove("tracker.example"));
    EXPECT_TRUE(filter.blocks("tracker.example"));
    EXPECT_TRUE(filter.remove("tracker.example"));
    EXPECT_EQ(filter.findMatch("tracker.example"), "tracker.ex");
    EXPECT_FALSE(filter.remove("tracker.example"));
    EXPECT_EQ(filter.size(), 2u);
}

}  // namespace
}  // namespace tn
