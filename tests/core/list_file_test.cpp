#include "core/list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text_list.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

// Every entry followed by CR LF: what the writer must produce for a list.
std::string crlfText(const Lines& lines) {
    std::string out;
    for (const auto& line : lines)
        out += line + "\r\n";
    return out;
}

struct RoundTrip {
    std::string name;
    std::string input;    // the bytes of the file as found
    Lines entries;        // what reading it gives
    std::string written;  // the bytes that writing those entries back gives
};

std::ostream& operator<<(std::ostream& out, const RoundTrip& c) {
    return out << c.name;
}

const RoundTrip kRoundTrips[] = {
    {"CrLf", "a\r\nb\r\n", {"a", "b"}, "a\r\nb\r\n"},
    {"LoneCr", "a\rb\r", {"a", "b"}, "a\r\nb\r\n"},
    {"LoneLf", "a\nb\n", {"a", "b"}, "a\r\nb\r\n"},
    {"MixedBreaks", "a\r\nb\rc\nd", {"a", "b", "c", "d"}, "a\r\nb\r\nc\r\nd\r\n"},
    {"CrCrLfIsTwoBreaks", "a\r\r\nb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
    {"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}, "a\r\n\r\nb\r\n"},
    {"NoFinalBreak", "a\r\nb", {"a", "b"}, "a\r\nb\r\n"},
    {"OneLineNoBreak", "only", {"only"}, "only\r\n"},
    {"EmptyFile", "", {}, ""},
    {"OnlyCrLf", "\r\n", {""}, "\r\n"},
    {"OnlyCr", "\r", {""}, "\r\n"},
    {"OnlyLf", "\n", {""}, "\r\n"},
    {"TwoBreaksAreTwoEmptyEntries", "\n\n", {"", ""}, "\r\n\r\n"},
    {"EmptyLinesInTheMiddle", "a\r\n\r\n\r\nb\r\n", {"a", "", "", "b"}, "a\r\n\r\n\r\nb\r\n"},
    {"TrailingEmptyLineKept", "a\r\n\r\n", {"a", ""}, "a\r\n\r\n"},
    {"BlanksAndTabsKept", " a \t\r\n\t\r\n", {" a \t", "\t"}, " a \t\r\n\t\r\n"},
    {"NulEndsTheText", "a\r\nb\0c\r\nd\r\n"s, {"a", "b"}, "a\r\nb\r\n"},
    {"NulRightAfterBreak", "a\r\n\0b\r\n"s, {"a"}, "a\r\n"},
    {"NulFirst", "\0abc\r\n"s, {}, ""},
    {"NulBetweenCrAndLf", "a\r\0\nb"s, {"a"}, "a\r\n"},
    {"NonAsciiBytesUntouched",
     "caf\xe9\r\n\xff\xfe\x80\r\n\xc3\xa9t\xc3\xa9",
     {"caf\xe9", "\xff\xfe\x80", "\xc3\xa9t\xc3\xa9"},
     "caf\xe9\r\n\xff\xfe\x80\r\n\xc3\xa9t\xc3\xa9\r\n"},
};

// Reads c.input, checks the entries, writes them over a longer file (so a leftover tail of the old
// content would show), checks the bytes and reads them back.
void checkRoundTrip(const test::TempDir& dir, const RoundTrip& c) {
    dir.write("in.ini", c.input);
    TextList list = TextList::fromLines({"stale entry"});
    ASSERT_TRUE(loadListFile(dir.file("in.ini"), list));
    EXPECT_EQ(list.toVector(), c.entries);

    dir.write("out.ini", std::string(4096, '#') + "\r\nold\r\n");
    ASSERT_FALSE(saveListFile(dir.file("out.ini"), list));
    EXPECT_TRUE(dir.read("out.ini") == c.written) << "written bytes differ";

    TextList again;
    ASSERT_TRUE(loadListFile(dir.file("out.ini"), again));
    EXPECT_EQ(again.toVector(), c.entries);
}

class ListFileRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(ListFileRoundTrip, ReadsEntriesAndWritesEveryLineWithCrLf) {
    checkRoundTrip(test::TempDir(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Bytes, ListFileRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const testing::TestParamInfo<RoundTrip>& p) { return p.param.name; });

// Lines near and past 1 MiB, the size of the writer's buffer, between short ones; and a file of many
// lines that fills the buffer several times.
TEST(ListFile, LongLinesAndManyLinesRoundTrip) {
    const test::TempDir dir;
    for (const std::size_t length : {(1u << 20) - 2, (1u << 20) - 1, 1u << 20, (1u << 20) + 1, 3u << 20}) {
        SCOPED_TRACE(length);
        const std::string big(length, 'x');
        for (const char* brk : {"\r\n", "\n"}) {
            checkRoundTrip(dir,
                           {"", "x" + (brk + big) + brk + "y", {"x", big, "y"}, crlfText({"x", big, "y"})});
        }
    }
    Lines many;
    std::string many_lf;
    for (int i = 0; i < 150000; ++i) {
        many.push_back("host-" + std::to_string(i) + ".example");
        many_lf += many.back() + "\n";
    }
    checkRoundTrip(dir, {"", many_lf, many, crlfText(many)});
}

TEST(ListFile, MissingFileOrFolderGivesEmptyListAndFalse) {
    test::TempDir dir;
    dir.write("folder/inside.ini", "x\r\n");
    for (const std::string& path :
         {dir.file("missing.ini"), dir.file("folder"), dir.file("nofolder/x.ini")}) {
        SCOPED_TRACE(path);
        TextList list = TextList::fromLines({"left over"});
        EXPECT_FALSE(loadListFile(path, list));
        EXPECT_TRUE(list.empty());
    }
}

TEST(TextList, InsertSetEraseKeepOrderAndCheckBounds) {
    TextList list = TextList::fromText("b\r\nc\r\n");
    list.insert(0, "a");
    list.insert(list.size(), "d");
    list.insert(2, "");
    EXPECT_EQ(list.toVector(), (Lines{"a", "b", "", "c", "d"}));

    list.set(2, "middle");
    list.erase(0);
    list.erase(list.size() - 1);
    EXPECT_EQ(list.toVector(), (Lines{"b", "middle", "c"}));
    EXPECT_EQ(list.toText(), "b\r\nmiddle\r\nc\r\n");
    EXPECT_EQ(list.indexOf("c"), 2u);
    EXPECT_EQ(list.indexOf("C"), TextList::npos);
    EXPECT_EQ(list.at_or_empty(3), "");

    EXPECT_THROW(list.insert(4, "x"), std::out_of_range);
    EXPECT_THROW(list.set(3, "x"), std::out_of_range);
    EXPECT_THROW(list.erase(3), std::out_of_range);
    EXPECT_THROW(static_cast<void>(list[3]), std::out_of_range);
    EXPECT_EQ(list.toVector(), (Lines{"b", "middle", "c"}));

    list.clear();
    EXPECT_TRUE(list.empty());
    list.append("again");
    EXPECT_EQ(list.toText(), "again\r\n");
}

// Entries still in the buffer they were read from go out as views of it, the others are copied;
// after edits the two alternate and the order must hold, whatever the size of the copied pieces.
TEST(TextList, EditedListWritesItsEntriesInOrder) {
    test::TempDir dir;
    TextList list =
        TextList::fromText("alpha\r\nbeta\r\n\r\ngamma\r\ndelta\nepsilon\rzeta\r\neta\r\niota\r\ntheta");
    list.insert(0, "first");
    list.set(2, "BETA");
    list.erase(4);                // gamma
    list.erase(list.size() - 3);  // eta, between zeta and iota
    list.insert(3, list[6]);
    list.append("last");
    list.append("");
    list.insert(list.size() - 2, list[1]);
    const std::string text = crlfText(list.toVector());

    for (const std::size_t chunk : {std::size_t{1}, std::size_t{8}, std::size_t{20}, std::size_t{1} << 20}) {
        SCOPED_TRACE(chunk);
        std::string pieces;
        list.writeText([&](std::string_view piece) { pieces += piece; }, chunk);
        EXPECT_EQ(pieces, text);
    }
    EXPECT_EQ(list.toText(), text);
    ASSERT_FALSE(saveListFile(dir.file("list.ini"), list));
    EXPECT_EQ(dir.read("list.ini"), text);
}

// A setting changed over and over: the replaced bytes are reclaimed now and then, and that must not
// disturb the other entries (read from a file, so they start in the buffer the file was read into).
TEST(TextList, ManySetsOfOneEntryKeepTheOthers) {
    TextList list = TextList::fromText("first\r\nsecond\r\n\r\nlast");
    std::string value;
    for (int i = 0; i < 20000; ++i) {
        value = std::to_string(i) + std::string(static_cast<std::size_t>(i % 300), 'v');
        list.set(1, value);
        if (i % 1000 == 0) list.set(3, "last " + std::to_string(i));
    }
    EXPECT_EQ(list.toVector(), (Lines{"first", value, "", "last 19000"}));
}

// Values that are views of the list's own buffer, which the edit itself may reallocate or compact.
TEST(TextList, ValuesThatAliasTheListsOwnStorage) {
    TextList list = TextList::fromText("seed\r\n" + std::string(5000, 'L') + "\r\n");
    Lines expected = {"seed", std::string(5000, 'L')};
    for (int i = 0; i < 200; ++i) {
        list.append(list[0]);
        expected.push_back(expected[0]);
        list.append(list[1]);
        expected.push_back(expected[1]);
        list.insert(2, list[list.size() - 1]);
        expected.insert(expected.begin() + 2, expected.back());
        // Replacing the long entry with itself leaves its old bytes dead, so the buffer is compacted
        // every few rounds.
        list.set(1, list[1]);
        list.set(1, list[1]);
        list.set(0, list[0]);
    }
    EXPECT_EQ(list.toVector(), expected);
}

}  // namespace
}  // namespace tn
