// The activities shipped in the source tree's data folder: the enabled list and the activity folders
// must give a page without error lines, and every activity page must stand alone (the activities
// browser blocks anything remote and any file beyond the page itself).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "activities/activities_page.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

namespace fs = std::filesystem;

// tests/activities/<this file> -> the source tree's data folder.
fs::path sourceDataDir() {
    return fs::path(__FILE__).parent_path().parent_path().parent_path() / "data";
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::size_t countOf(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size()))
        ++count;
    return count;
}

class ShippedActivities : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::is_directory(activities_)) << activities_ << " not found";
        ASSERT_TRUE(fs::is_regular_file(enabled_)) << enabled_ << " not found";
        for (const auto& entry : fs::directory_iterator(activities_)) {
            if (entry.is_directory()) names_.push_back(entry.path().filename().string());
        }
        std::sort(names_.begin(), names_.end());
    }

    const fs::path activities_ = sourceDataDir() / "Activities";
    const fs::path enabled_ = sourceDataDir() / "files" / "activities.ini";
    std::vector<std::string> names_;
};

TEST_F(ShippedActivities, EveryActivityIsEnabledAndGivesItsCellWithoutErrors) {
    test::TempDir data;
    fs::copy(activities_, data.file("Activities"), fs::copy_options::recursive);
    fs::create_directories(data.file("files"));
    fs::copy_file(enabled_, data.file("files/activities.ini"));
    // The picture and the movie file are made at build time, not kept in the source tree.
    for (const auto& name : names_) {
        const std::string folder = "Activities/" + name + "/";
        for (const std::string& made : {folder + "150x150.jpg", folder + name + ".swf"}) {
            if (!data.exists(made)) data.write(made, "made at build time");
        }
    }

    ActivityLists lists;
    const ActivitiesRebuild rebuild = rebuildActivitiesPage(data.path(), lists);
    ASSERT_TRUE(rebuild.page_written) << rebuild.failure;
    EXPECT_TRUE(rebuild.error_lines.empty()) << rebuild.error_lines.front();

    // Every shipped folder enabled, once each, and nothing else.
    std::vector<std::string> enabled(lists.EnabledActivityListBox.begin(),
                                     lists.EnabledActivityListBox.end());
    std::sort(enabled.begin(), enabled.end());
    EXPECT_EQ(enabled, names_);
    EXPECT_FALSE(names_.empty());

    const std::string page = data.read("Activities/Activities.html");
    EXPECT_EQ(countOf(page, "<td bgcolor=\"#000000\""), names_.size());
    for (const auto& name : names_) {
        EXPECT_NE(page.find("<a href=\"" + name + "/" + name + ".html\">"), std::string::npos) << name;
    }
}

TEST_F(ShippedActivities, PagesAndDescriptionsStandAlone) {
    // The one "://" allowed: the SVG namespace name, which is an identifier, never fetched.
    const std::string_view svg_namespace = "\"http://www.w3.org/2000/svg\"";
    const std::string_view reaching_out[] = {
        "src=",   "href=",  "url(",           "@import",     "<link",    "<iframe", "<object",
        "<embed", "fetch(", "XMLHttpRequest", "window.open", "location", "import(", "Worker("};
    for (const auto& name : names_) {
        const std::string html = readAll(activities_ / name / (name + ".html"));
        ASSERT_FALSE(html.empty()) << name;
        for (const auto what : reaching_out) {
            EXPECT_EQ(html.find(what), std::string::npos) << name << ".html holds " << what;
        }
        EXPECT_EQ(countOf(html, "://"), countOf(html, svg_namespace)) << name << ".html names an address";

        // The page the description goes into declares no character set: plain ASCII lines, CR LF.
        const std::string description = readAll(activities_ / name / (name + ".txt"));
        ASSERT_FALSE(description.empty()) << name;
        EXPECT_EQ(countOf(description, "\n"), countOf(description, "\r\n")) << name << ".txt";
        EXPECT_TRUE(description.ends_with("\r\n")) << name << ".txt";
        for (const char c : description) {
            const auto byte = static_cast<unsigned char>(c);
            EXPECT_TRUE(byte == '\r' || byte == '\n' || (byte >= 0x20 && byte < 0x7F)) << name << ".txt";
        }
    }
}

}  // namespace
}  // namespace tn
