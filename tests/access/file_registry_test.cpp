#include "access/file_registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>

#include "access/scramble.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

using Root = IRegistry::Root;
constexpr Root kMachine = Root::LocalMachine;
constexpr Root kUser = Root::CurrentUser;

class FileRegistryTest : public ::testing::Test {
protected:
    test::TempDir dir;
    FileRegistry registry{dir.file("machine"), dir.file("user")};
};

std::string everyByte() {
    std::string out;
    for (int b = 0; b < 256; ++b)
        out += static_cast<char>(b);
    return out;
}

TEST_F(FileRegistryTest, ValuesSurviveAWriteAndARead) {
    const std::string odd_name = "#a=b\\c\xff";
    ASSERT_TRUE(registry.writeString(kMachine, "SOFTWARE\\TUMBLENEST", "pw", everyByte(), true));
    ASSERT_TRUE(registry.writeString(kMachine, "SOFTWARE\\TUMBLENEST", odd_name, "x\\x41\r\n=", false));
    ASSERT_TRUE(registry.writeString(kMachine, "SOFTWARE\\TUMBLENEST", "", "default", false));
    ASSERT_TRUE(registry.writeDword(kUser, "Software\\Policies\\Explorer", "NoDesktop", 4294967295u, true));

    // A second store over the same folders reads what the first wrote.
    FileRegistry again(dir.file("machine"), dir.file("user"));
    EXPECT_EQ(again.readString(kMachine, "SOFTWARE\\TUMBLENEST", "pw"), everyByte());
    EXPECT_EQ(again.readString(kMachine, "SOFTWARE\\TUMBLENEST", odd_name), "x\\x41\r\n=");
    EXPECT_EQ(again.readString(kMachine, "SOFTWARE\\TUMBLENEST", ""), "default");
    EXPECT_EQ(again.readDword(kUser, "Software\\Policies\\Explorer", "NoDesktop"), 4294967295u);
    // The roots are separate, and a number is not a string.
    EXPECT_FALSE(again.readString(kUser, "SOFTWARE\\TUMBLENEST", "pw").has_value());
    EXPECT_FALSE(again.readString(kUser, "Software\\Policies\\Explorer", "NoDesktop").has_value());
    EXPECT_FALSE(again.readDword(kMachine, "SOFTWARE\\TUMBLENEST", "pw").has_value());
    // Every line of the file is plain printable text.
    const std::string text = dir.read("machine/SOFTWARE/TUMBLENEST/values");
    for (char c : text)
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(static_cast<unsigned char>(c));
}

TEST_F(FileRegistryTest, KeyAndValueNamesIgnoreCase) {
    ASSERT_TRUE(registry.writeDword(kUser, "Software\\Policies\\Explorer", "NoDesktop", 1, true));
    EXPECT_TRUE(registry.keyExists(kUser, "SOFTWARE\\policies\\EXPLORER"));
    EXPECT_EQ(registry.readDword(kUser, "software\\POLICIES\\explorer", "nodesktop"), 1u);
    // Rewriting under another spelling replaces the value in the existing folder and line.
    ASSERT_TRUE(registry.writeDword(kUser, "SOFTWARE\\POLICIES\\EXPLORER", "NODESKTOP", 0, false));
    EXPECT_EQ(registry.readDword(kUser, "Software\\Policies\\Explorer", "NoDesktop"), 0u);
    EXPECT_EQ(dir.read("user/Software/Policies/Explorer/values"), "NODESKTOP=dword:0\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("user/SOFTWARE")));
}

TEST_F(FileRegistryTest, MissingStoreReadsAsAbsentAndWritesOnlyWhereAllowed) {
    EXPECT_FALSE(registry.readString(kMachine, "SOFTWARE\\TUMBLENEST", "pw").has_value());
    EXPECT_FALSE(registry.keyExists(kMachine, "SOFTWARE\\TUMBLENEST"));
    EXPECT_FALSE(registry.keyExists(kMachine, ""));
    EXPECT_FALSE(registry.deleteValue(kUser, "Software\\Policies\\Explorer", "NoDesktop"));
    // Without create_key a write needs the key to exist.
    EXPECT_FALSE(registry.writeDword(kUser, "Software\\Policies\\Explorer", "NoDesktop", 1, false));
    EXPECT_FALSE(std::filesystem::exists(dir.file("user")));
    // With it the root and the key are created (a fresh account has no ~/.config yet).
    FileRegistry deep(dir.file("machine"), dir.file("home/.config/tumblenest/registry"));
    ASSERT_TRUE(deep.writeDword(kUser, "Software\\Policies\\Explorer", "NoDesktop", 1, true));
    EXPECT_TRUE(deep.keyExists(kUser, "Software\\Policies"));
    EXPECT_FALSE(deep.keyExists(kUser, "Software\\Policies\\Explorer\\Deeper"));
    // A key without a values file exists but has no values.
    dir.write("machine/SOFTWARE/TUMBLENEST/.keep", "");
    EXPECT_TRUE(registry.keyExists(kMachine, "SOFTWARE\\TUMBLENEST"));
    EXPECT_FALSE(registry.readString(kMachine, "SOFTWARE\\TUMBLENEST", "pw").has_value());
    // A root that is a file, not a folder.
    dir.write("plainfile", "pw=sz:x\n");
    FileRegistry broken(dir.file("plainfile"), dir.file("plainfile"));
    EXPECT_FALSE(broken.readString(kMachine, "", "pw").has_value());
    EXPECT_FALSE(broken.writeDword(kUser, "Key", "v", 1, true));
    // A values file that cannot be read (a folder in its place).
    std::filesystem::create_directories(dir.file("machine/Other/values"));
    EXPECT_FALSE(registry.readString(kMachine, "Other", "pw").has_value());
}

TEST_F(FileRegistryTest, AnInstallersHandWrittenFileGivesThePassword) {
    // "pas" scrambled, written the way the README tells an installer to, with a comment and CR LF.
    dir.write("machine/SOFTWARE/TUMBLENEST/values", "# Tumblenest\r\npw=sz:\\x85\\x94\\x86\r\n");
    const auto pw = registry.readString(kMachine, "SOFTWARE\\TUMBLENEST", "pw");
    ASSERT_TRUE(pw.has_value());
    EXPECT_EQ(*pw, ScrambleText("pas"));
    EXPECT_TRUE(passwordMatches(*pw, "pas"));
    // Lower-case hex and a hand-written number work too.
    dir.write("machine/SOFTWARE/TUMBLENEST/values", "pw=SZ:\\x85\\x94\\x86\nlevel=dword:0x1F\n");
    EXPECT_EQ(registry.readString(kMachine, "SOFTWARE\\TUMBLENEST", "pw"), ScrambleText("pas"));
    EXPECT_EQ(registry.readDword(kMachine, "SOFTWARE\\TUMBLENEST", "level"), 31u);
}

TEST_F(FileRegistryTest, MalformedLinesAreSkippedAndKeptOnRewrite) {
    const std::string text =
        "no equals sign\n"
        "bad=type:1\n"
        "bad=sz\n"
        "bad=sz:dangling\\\n"
        "bad=sz:\\q\n"
        "bad=sz:\\x4\n"
        "bad=sz:\\xZZ\n"
        "bad=dword:\n"
        "bad=dword:-1\n"
        "bad=dword:+1\n"
        "bad=dword:4294967296\n"
        "bad=dword:0x100000000\n"
        "bad=dword:12abc\n"
        "b\\ad=sz:1\n"
        "#bad=sz:comment\n"
        "\n"
        "good=sz:kept\n"
        "num=dword:7\n"
        "dup=sz:first\n"
        "DUP=sz:last\n";
    dir.write("machine/K/values", text);
    EXPECT_FALSE(registry.readString(kMachine, "K", "bad").has_value());
    EXPECT_FALSE(registry.readDword(kMachine, "K", "bad").has_value());
    EXPECT_FALSE(registry.readString(kMachine, "K", "#bad").has_value());
    EXPECT_EQ(registry.readString(kMachine, "K", "good"), "kept");
    EXPECT_EQ(registry.readDword(kMachine, "K", "num"), 7u);
    EXPECT_EQ(registry.readString(kMachine, "K", "dup"), "last");

    // A write replaces the named lines and leaves every other line, good or bad, as it was.
    ASSERT_TRUE(registry.writeDword(kMachine, "K", "Dup", 5, false));
    std::string expected = text;
    expected.replace(expected.find("dup=sz:first\nDUP=sz:last\n"), std::string::npos, "Dup=dword:5\n");
    EXPECT_EQ(dir.read("machine/K/values"), expected);
    // A delete removes every line of that name, and says whether there was one.
    ASSERT_TRUE(registry.deleteValue(kMachine, "K", "NUM"));
    EXPECT_FALSE(registry.deleteValue(kMachine, "K", "num"));
    EXPECT_FALSE(registry.readDword(kMachine, "K", "num").has_value());
    EXPECT_EQ(registry.readString(kMachine, "K", "good"), "kept");
    EXPECT_NE(dir.read("machine/K/values").find("bad=dword:-1\n"), std::string::npos);
}

TEST_F(FileRegistryTest, KeyPathsCannotLeaveTheRoot) {
    dir.write("machine/values", "pw=sz:root\n");
    dir.write("secret/values", "pw=sz:outside\n");
    for (const std::string& key :
         std::initializer_list<std::string>{"..\\secret", "SOFTWARE\\..\\..\\secret", ".", "a/b", "values",
                                            "VALUES\\x", std::string("a\0b", 3)}) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(registry.readString(kMachine, key, "pw").has_value());
        EXPECT_FALSE(registry.keyExists(kMachine, key));
        EXPECT_FALSE(registry.writeDword(kMachine, key, "pw", 1, true));
        EXPECT_FALSE(registry.deleteValue(kMachine, key, "pw"));
    }
    EXPECT_EQ(dir.read("secret/values"), "pw=sz:outside\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("machine/a")));
    // Empty parts are skipped: the empty key is the root itself.
    EXPECT_EQ(registry.readString(kMachine, "", "pw"), "root");
    EXPECT_EQ(registry.readString(kMachine, "\\\\", "pw"), "root");
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(FileRegistryRoots, ComeFromTheEnvironment) {
    {
        ScopedEnv machine("TUMBLENEST_REGISTRY_MACHINE", "/tmp/m");
        ScopedEnv user("TUMBLENEST_REGISTRY_USER", "/tmp/u");
        const FileRegistry r = FileRegistry::fromEnvironment();
        EXPECT_EQ(r.rootFolder(Root::LocalMachine), "/tmp/m");
        EXPECT_EQ(r.rootFolder(Root::CurrentUser), "/tmp/u");
    }
    ScopedEnv machine("TUMBLENEST_REGISTRY_MACHINE", "");
    ScopedEnv user("TUMBLENEST_REGISTRY_USER", nullptr);
    ScopedEnv home("HOME", "/home/kid");
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/home/kid/cfg");
        const FileRegistry r = FileRegistry::fromEnvironment();
        EXPECT_EQ(r.rootFolder(Root::LocalMachine), "/etc/tumblenest/registry");
        EXPECT_EQ(r.rootFolder(Root::CurrentUser), "/home/kid/cfg/tumblenest/registry");
    }
    // A relative XDG_CONFIG_HOME is not to be used.
    ScopedEnv xdg("XDG_CONFIG_HOME", "cfg");
    EXPECT_EQ(FileRegistry::fromEnvironment().rootFolder(Root::CurrentUser),
              "/home/kid/.config/tumblenest/registry");
}

}  // namespace
}  // namespace tn
