#include "websites/address_policy.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace tn {
namespace {

TEST(AddressPolicyTest, LocalFilesOnlyInsideTheDataDirectory) {
    test::TempDir dir;
    dir.write("data/files/index.htm", "home");
    dir.write("data/Activities/Game One/game.html", "game");
    dir.write("outside/secret.txt", "secret");
    std::filesystem::create_directory_symlink(dir.file("outside"), dir.file("data/files/escape"));
    const std::string data = dir.file("data/");
    const std::string root = "file://" + dir.path();
    AddressPolicy policy(data);

    const struct {
        std::string url;
        bool allowed;
    } cases[] = {
        {root + "/data/files/index.htm", true},
        {root + "/data/Activities/Game%20One/game.html", true},
        {root + "/data/files/not-yet-there.html", true},
        {root + "/data/files/index.htm?x=1#top", true},
        {"file://localhost" + dir.path() + "/data/files/index.htm", true},
        {root + "/data", true},
        {root + "/outside/secret.txt", false},
        {root + "/data/../outside/secret.txt", false},
        {root + "/data/%2e%2e/outside/secret.txt", false},
        {root + "/data/files/escape/secret.txt", false},  // a link out of the folder
        {root + "/data-other/file", false},               // a sibling sharing the prefix
        {root + "/data\\..\\outside\\secret.txt", false},
        {"file:///etc/passwd", false},
        {"file:///", false},
        {"file://otherhost/share/file", false},
        {"FILE:///etc/passwd", false},
        {"http://example.com/", true},
        {"HTTPS://example.com/a", true},
        {"about:blank", true},
        {"data:text/html,hi", true},
        {"view-source:http://example.com/", false},
        {"chrome://settings", false},
        {"javascript:alert(1)", false},
        {"ftp://example.com/", false},
        {"no-scheme-at-all", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(policy.allows(c.url), c.allowed) << c.url;
}

TEST(AddressPolicyTest, NormalizesPathsLexically) {
    EXPECT_EQ(normalizePath("/a/./b//c/../d"), "/a/b/d");
    EXPECT_EQ(normalizePath("/../../x"), "/x");
    EXPECT_EQ(normalizePath("/"), "/");
    EXPECT_EQ(normalizePath("/a/b/.."), "/a");
}

}  // namespace
}  // namespace tn
