#include "activities/activities_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace tn {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// The page's fixed parts, byte for byte.
const std::string kHeader =
    "<html>\r\n"
    "<head>\r\n"
    "<title>Bright Wing</title>\r\n"
    "</head>\r\n"
    "<body text=\"#FFFF00\" \r\n"
    "bgcolor=\"#666666\">\r\n"
    "<p align=\"center\"><font \r\n"
    "size=\"7\">Activities</font></p>\r\n"
    "<div align=\"center\">\r\n"
    "\t<table border=\"0\" \r\n"
    "width=\"700\" id=\"table1\" \r\n"
    "cellspacing=\"4\" cellpadding=\"3\" \r\n"
    "bgcolor=\"#C0C0C0\">\r\n"
    "\t\t<tr>\r\n";
const std::string kRow = "</tr><tr>\r\n";
const std::string kFooter = "</tr></table></div></body></html>\r\n";

// One activity's cell: url is the name as the links hold it, caption as the bold text holds it.
std::string cell(const std::string& url, const std::string& caption, const Lines& description) {
    std::string out =
        "<td bgcolor=\"#000000\"  align=\"center\"><table border=\"0\" width=\"300\"><tr><td><a href=\"" +
        url + "/" + url + ".html\"><img border=\"0\" src=\"" + url + "/150x150.jpg\"></a>\r\n" +
        "</td><td><p align=\"center\"><font color=\"#FFFFFF\"><b>\r\n" + caption + "\r\n" +
        "</b></font></p><p><font color=\"#FFFFFF\">\r\n";
    for (const auto& line : description)
        out += line + "\r\n";
    return out + "</font></td></tr></table></td>\r\n";
}

// The cell of an activity made by DataDir::activity with its default description.
std::string cell(const std::string& name) {
    return cell(name, name, {"About " + name});
}

// A data directory in a temporary folder, with the activities folder and its activities.
struct DataDir {
    test::TempDir dir;
    std::string activities = dir.file("Activities");

    DataDir() { fs::create_directories(activities); }

    // An activity folder with all four files.
    void activityWithDescription(const std::string& name, const std::string& description) const {
        const std::string base = "Activities/" + name + "/";
        dir.write(base + "150x150.jpg", "jpg");
        dir.write(base + name + ".html", "<html></html>");
        dir.write(base + name + ".swf", "swf");
        dir.write(base + name + ".txt", description);
    }
    // With the description cell(name) expects.
    void activity(const std::string& name) const { activityWithDescription(name, "About " + name + "\r\n"); }
    void folder(const std::string& relative) const { fs::create_directories(dir.file(relative)); }
    void enable(const Lines& names) const {
        std::string text;
        for (const auto& name : names)
            text += name + "\r\n";
        dir.write("files/activities.ini", text);
    }
    std::string page() const { return dir.read("Activities/Activities.html"); }
};

TextList listOf(const Lines& lines) {
    TextList list;
    for (const auto& line : lines)
        list.append(line);
    return list;
}

struct PageCase {
    std::string name;
    Lines activities;  // activity folders with all four files and the default description
    Lines enabled;
    std::string body;  // what lies between the header and the footer
    Lines errors;
};

TEST(ActivitiesPage, BuildsHeaderCellsRowsAndFooter) {
    const std::string missing_x = "\"error 000254: X\"";
    const std::vector<PageCase> cases = {
        {"empty list", {}, {}, "", {}},
        {"four activities",
         {"A", "B", "C", "D"},
         {"A", "B", "C", "D"},
         cell("A") + cell("B") + cell("C") + kRow + cell("D"),
         {}},
        {"three fill one row", {"A", "B", "C"}, {"C", "A", "B"}, cell("C") + cell("A") + cell("B"), {}},
        {"seven make three rows",
         {"A"},
         {"A", "A", "A", "A", "A", "A", "A"},
         cell("A") + cell("A") + cell("A") + kRow + cell("A") + cell("A") + cell("A") + kRow + cell("A"),
         {}},
        {"missing entry still takes a place in the row",
         {"A", "B", "C"},
         {"A", "X", "B", "C"},
         cell("A") + cell("B") + kRow + cell("C"),
         {missing_x}},
        {"a whole row of missing entries",
         {"A"},
         {"X", "Y", "Z", "A"},
         kRow + cell("A"),
         {missing_x, "\"error 000254: Y\"", "\"error 000254: Z\""}},
        {"enabled twice gives two cells", {"A", "B"}, {"A", "B", "A"}, cell("A") + cell("B") + cell("A"), {}},
        {"names that cannot name an activity folder",
         {"A", "B"},
         {"", ".", "..", "A/../A", "B/", "A"},
         kRow + cell("A"),
         {"\"error 000254: \"", "\"error 000254: .\"", "\"error 000254: ..\"", "\"error 000254: A/../A\"",
          "\"error 000254: B/\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataDir data;
        for (const auto& name : c.activities)
            data.activity(name);
        const ActivitiesPage page = buildActivitiesPage(data.activities, listOf(c.enabled));
        EXPECT_EQ(page.html, kHeader + c.body + kFooter);
        EXPECT_EQ(page.error_lines, c.errors);
    }
}

TEST(ActivitiesPage, DescriptionLinesGoInUnchanged) {
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}},
        {"\r\n", {""}},
        {"<i>Fun</i> & games\r\nline two\nline three\rlast",
         {"<i>Fun</i> & games", "line two", "line three", "last"}},
        {"  indented\t\r\n\r\nafter a blank\r\n", {"  indented\t", "", "after a blank"}},
    };
    for (const auto& [text, lines] : cases) {
        SCOPED_TRACE(text);
        DataDir data;
        data.activityWithDescription("E", text);
        EXPECT_EQ(buildActivitiesPage(data.activities, listOf({"E"})).html,
                  kHeader + cell("E", "E", lines) + kFooter);
    }
}

TEST(ActivitiesPage, EachRequiredPartMissingSkipsTheActivity) {
    // How each part is made unusable; the others stay in place.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"no folder", "Activities/N"},
        {"no thumbnail", "Activities/N/150x150.jpg"},
        {"no entry page", "Activities/N/N.html"},
        {"no movie", "Activities/N/N.swf"},
        {"no description", "Activities/N/N.txt"},
    };
    for (const auto& [label, part] : cases) {
        for (const bool replace_by_other_kind : {false, true}) {
            SCOPED_TRACE(label + (replace_by_other_kind ? " (other kind in its place)" : ""));
            DataDir data;
            data.activity("N");
            data.activity("A");
            fs::remove_all(data.dir.file(part));
            if (replace_by_other_kind) {
                // A file where a folder belongs, a folder where a file belongs.
                if (part == "Activities/N") {
                    data.dir.write(part, "not a folder");
                } else {
                    data.folder(part);
                }
            }
            const ActivitiesPage page = buildActivitiesPage(data.activities, listOf({"N", "A"}));
            EXPECT_EQ(page.html, kHeader + cell("A") + kFooter);
            EXPECT_EQ(page.error_lines, Lines{"\"error 000254: N\""});
        }
    }
}

TEST(ActivitiesPage, ActivityThatCannotBeExaminedIsLoggedAndSkipped) {
    DataDir data;
    data.activity("L");
    data.activity("A");
    // A description that is a link to itself is there, but cannot be opened or examined.
    fs::remove(data.dir.file("Activities/L/L.txt"));
    fs::create_symlink("L.txt", data.dir.file("Activities/L/L.txt"));
    const ActivitiesPage page = buildActivitiesPage(data.activities, listOf({"L", "A", "A", "A"}));
    EXPECT_EQ(page.html, kHeader + cell("A") + cell("A") + kRow + cell("A") + kFooter);
    EXPECT_EQ(page.error_lines, Lines{"error 000233: L"});
}

TEST(ActivitiesPage, OddNamesCannotBreakThePageOrItsLinks) {
    struct OddName {
        std::string name;
        std::string url;      // in the link and the image source
        std::string caption;  // the bold text
    };
    const std::vector<OddName> cases = {
        {"Space Race", "Space Race", "Space Race"},
        {"it's (fun)! [1]+{2}=3;@~_-,", "it's (fun)! [1]+{2}=3;@~_-,", "it's (fun)! [1]+{2}=3;@~_-,"},
        {"caf\xC3\xA9 \xE9t\xE9", "caf%C3%A9 %E9t%E9", "caf\xC3\xA9 \xE9t\xE9"},
        {"\" onmouseover=\"x", "%22 onmouseover=%22x", "&quot; onmouseover=&quot;x"},
        {"<b>&amp;<", "%3Cb%3E%26amp;%3C", "&lt;b&gt;&amp;amp;&lt;"},
        {"Level #1?50%", "Level %231%3F50%25", "Level #1?50%"},
        {"back\\slash", "back%5Cslash", "back\\slash"},
        {"tab\there", "tab%09here", "tab\there"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataDir data;
        data.activityWithDescription(c.name, "d\r\n");
        const ActivitiesPage page = buildActivitiesPage(data.activities, listOf({c.name}));
        EXPECT_EQ(page.html, kHeader + cell(c.url, c.caption, {"d"}) + kFooter);
        EXPECT_TRUE(page.error_lines.empty());
    }
}

TEST(ActivitiesPage, ErrorLinesCarryTheNameAsWritten) {
    DataDir data;
    const ActivitiesPage page = buildActivitiesPage(data.activities, listOf({"x<y \xC3\xA9\"", "a/b"}));
    EXPECT_EQ(page.error_lines, (Lines{"\"error 000254: x<y \xC3\xA9\"\"", "\"error 000254: a/b\""}));
}

TEST(ActivitiesPage, NamesOutsideTheActivitiesFolderAreRefused) {
    DataDir data;
    // A complete activity beside the activities folder, reachable only by climbing out of it.
    for (const char* file : {"150x150.jpg", "Out.html", "Out.swf", "Out.txt"})
        data.dir.write(std::string("Out/") + file, "x");
    const ActivitiesPage page = buildActivitiesPage(data.activities, listOf({"../Out"}));
    EXPECT_EQ(page.html, kHeader + kFooter);
    EXPECT_EQ(page.error_lines, Lines{"\"error 000254: ../Out\""});
}

std::vector<std::pair<std::string, std::string>> pathsAndNames(const FolderScan& scan) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& f : scan.folders)
        out.emplace_back(f.path, f.name);
    return out;
}

TEST(ActivityFolderScan, BreadthFirstInByteOrderWithoutHiddenFoldersOrFiles) {
    DataDir data;
    for (const char* relative : {"b/w", "a/y/z", "a/x", "B", "\xC3\xA9", ".hidden/inner", "a/.git"})
        data.folder(std::string("Activities/") + relative);
    data.dir.write("Activities/file", "not a folder");
    data.dir.write("Activities/a/y/page.html", "not a folder");
    const std::string r = data.activities;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {r + "/B", "B"},   {r + "/a", "a"},   {r + "/b", "b"},   {r + "/\xC3\xA9", "\xC3\xA9"},
        {r + "/a/x", "x"}, {r + "/a/y", "y"}, {r + "/b/w", "w"}, {r + "/a/y/z", "z"},
    };
    for (const std::string& root : {r, r + "/", r + "//"}) {
        SCOPED_TRACE(root);
        const FolderScan scan = scanActivityFolders(root);
        ASSERT_TRUE(scan.ok) << scan.failure;
        EXPECT_EQ(pathsAndNames(scan), expected);
    }
}

TEST(ActivityFolderScan, NamesAreCutAtTheFirstClosingBracket) {
    DataDir data;
    for (const char* relative : {"Game]2]x/sub", "]lead", "[square]"})
        data.folder(std::string("Activities/") + relative);
    const std::string r = data.activities;
    const FolderScan scan = scanActivityFolders(r);
    ASSERT_TRUE(scan.ok);
    // The real folders are walked, whatever they are listed as.
    EXPECT_EQ(pathsAndNames(scan), (std::vector<std::pair<std::string, std::string>>{
                                       {r + "/Game]2]x", "Game"},
                                       {r + "/[square]", "[square"},
                                       {r + "/]lead", ""},
                                       {r + "/Game]2]x/sub", "sub"},
                                   }));
}

TEST(ActivityFolderScan, LinkedFoldersAreListedAndLinkCyclesEnd) {
    DataDir data;
    data.folder("Activities/a/inner");
    fs::create_directory_symlink("..", data.dir.file("Activities/a/up"));
    fs::create_directory_symlink("a", data.dir.file("Activities/link"));
    fs::create_directory_symlink("nowhere", data.dir.file("Activities/broken"));
    const std::string r = data.activities;
    const FolderScan scan = scanActivityFolders(r);
    ASSERT_TRUE(scan.ok);
    // "link" is "a" again and "a/up" the root again: both listed, neither walked a second time.
    EXPECT_EQ(pathsAndNames(scan), (std::vector<std::pair<std::string, std::string>>{
                                       {r + "/a", "a"},
                                       {r + "/link", "link"},
                                       {r + "/a/inner", "inner"},
                                       {r + "/a/up", "up"},
                                   }));
}

TEST(ActivityFolderScan, RootThatIsNoFolderFails) {
    DataDir data;
    data.dir.write("plain", "x");
    for (const std::string& root : {data.dir.file("missing"), data.dir.file("plain")}) {
        SCOPED_TRACE(root);
        const FolderScan scan = scanActivityFolders(root);
        EXPECT_FALSE(scan.ok);
        EXPECT_TRUE(scan.folders.empty());
        EXPECT_NE(scan.failure.find(root), std::string::npos) << scan.failure;
    }
}

TEST(ActivitiesRebuild, WritesThePageAndRefreshesTheLists) {
    DataDir data;
    data.activity("A");
    data.activity("B");
    data.folder("Activities/A/images");
    data.folder("Activities/Game]2");
    data.folder("Activities/]odd");
    data.enable({"B", "images", "A", "B"});
    data.dir.write("Activities/Activities.html", "old page");
    ActivityLists lists;
    lists.ActivityNameListBox = listOf({"Delivered by an update"});
    lists.ActivitiesListBox = listOf({"stale"});
    lists.EnabledActivityListBox = listOf({"stale"});

    // The data directory given with and without its trailing "/".
    for (const std::string& data_dir : {data.dir.path(), data.dir.path() + "/"}) {
        SCOPED_TRACE(data_dir);
        const ActivitiesRebuild result = rebuildActivitiesPage(data_dir, lists);
        EXPECT_TRUE(result.page_written);
        EXPECT_EQ(result.failure, "");
        EXPECT_EQ(result.error_lines, (Lines{"error 000232", "\"error 000254: images\""}));
        EXPECT_EQ(data.page(), kHeader + cell("B") + cell("A") + kRow + cell("B") + kFooter);
        EXPECT_EQ(lists.EnabledActivityListBox.toVector(), (Lines{"B", "images", "A", "B"}));
        EXPECT_EQ(lists.ActivityNameListBox.toVector(), (Lines{"A", "B", "Game", "images"}));
        const std::string r = data.activities;
        EXPECT_EQ(lists.ActivitiesListBox.toVector(),
                  (Lines{r + "/A", r + "/B", r + "/Game]2", r + "/]odd", r + "/A/images"}));
        EXPECT_EQ(activitiesPagePath(data_dir), r + "/Activities.html");
    }
}

TEST(ActivitiesRebuild, EmptyEnabledListWritesHeaderAndFooterOnly) {
    DataDir data;
    data.activity("A");
    data.enable({});
    ActivityLists lists;
    const ActivitiesRebuild result = rebuildActivitiesPage(data.dir.path(), lists);
    EXPECT_TRUE(result.page_written);
    EXPECT_EQ(data.page(), kHeader + kFooter);
}

// Lists as the main window might hold them before a rebuild that fails.
ActivityLists heldLists() {
    ActivityLists lists;
    lists.EnabledActivityListBox = listOf({"held enabled"});
    lists.ActivityNameListBox = listOf({"held available"});
    lists.ActivitiesListBox = listOf({"held path"});
    return lists;
}

TEST(ActivitiesRebuild, UnreadableEnabledListKeepsPageAndLists) {
    for (const bool as_folder : {false, true}) {
        SCOPED_TRACE(as_folder ? "list is a folder" : "list is missing");
        DataDir data;
        data.activity("A");
        data.dir.write("Activities/Activities.html", "previous page");
        if (as_folder) data.folder("files/activities.ini");
        ActivityLists lists = heldLists();
        const ActivitiesRebuild result = rebuildActivitiesPage(data.dir.path(), lists);
        EXPECT_FALSE(result.page_written);
        EXPECT_NE(result.failure.find(data.dir.file("files/activities.ini")), std::string::npos)
            << result.failure;
        EXPECT_NE(result.failure.find("not rebuilt"), std::string::npos) << result.failure;
        EXPECT_TRUE(result.error_lines.empty());
        EXPECT_EQ(data.page(), "previous page");
        const ActivityLists held = heldLists();
        EXPECT_EQ(lists.EnabledActivityListBox, held.EnabledActivityListBox);
        EXPECT_EQ(lists.ActivityNameListBox, held.ActivityNameListBox);
        EXPECT_EQ(lists.ActivitiesListBox, held.ActivitiesListBox);
    }
}

TEST(ActivitiesRebuild, MissingActivitiesFolderWritesNothing) {
    for (const bool as_file : {false, true}) {
        SCOPED_TRACE(as_file ? "a file in its place" : "missing");
        DataDir data;
        fs::remove_all(data.activities);
        if (as_file) data.dir.write("Activities", "previous content");
        data.enable({"A"});
        ActivityLists lists = heldLists();
        const ActivitiesRebuild result = rebuildActivitiesPage(data.dir.path(), lists);
        EXPECT_FALSE(result.page_written);
        EXPECT_NE(result.failure.find(data.activities), std::string::npos) << result.failure;
        EXPECT_TRUE(result.error_lines.empty());
        EXPECT_EQ(fs::exists(data.activities), as_file);
        if (as_file) {
            EXPECT_EQ(data.dir.read("Activities"), "previous content");
        }
        // The enabled list was read before the scan failed; the scan's lists are kept.
        EXPECT_EQ(lists.EnabledActivityListBox.toVector(), Lines{"A"});
        EXPECT_EQ(lists.ActivityNameListBox.toVector(), Lines{"held available"});
        EXPECT_EQ(lists.ActivitiesListBox.toVector(), Lines{"held path"});
    }
}

TEST(ActivitiesRebuild, PageThatCannotBeReplacedIsReportedNotClaimed) {
    DataDir data;
    data.enable({"X"});
    // A non-empty folder where the page belongs cannot be replaced by a file.
    data.dir.write("Activities/Activities.html/keep", "kept");
    ActivityLists lists;
    const ActivitiesRebuild result = rebuildActivitiesPage(data.dir.path(), lists);
    EXPECT_FALSE(result.page_written);
    EXPECT_NE(result.failure.find(data.activities + "/Activities.html"), std::string::npos) << result.failure;
    EXPECT_EQ(result.error_lines, Lines{"\"error 000254: X\""});
    EXPECT_EQ(data.dir.read("Activities/Activities.html/keep"), "kept");
    // The folder is listed like any other: the scan does not know what the page is called.
    EXPECT_EQ(lists.ActivityNameListBox.toVector(), Lines{"Activities.html"});
}

}  // namespace
}  // namespace tn
