#include "access/password_change.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "access/scramble.h"

namespace tn {
namespace {

// 0xFF scrambles to LF: as line 0 it would split the settings file.
constexpr const char* kUnstorable = "ab\xFF";

struct ChangeCase {
    const char* what;
    std::optional<std::string> stored;  // plain password in line 0; nullopt for an empty line 0
    std::string current, new_password, confirm;
    std::string message;
    bool clear_current, clear_new;
    std::optional<std::string> new_plain;  // the password line 0 then holds, when it changes
};

TEST(PasswordChange, ChecksCurrentThenMatchThenStorability) {
    const std::string refusal = passwordRefusal(kUnstorable).value();
    const std::vector<ChangeCase> cases = {
        {"right current, equal new", "Secret", "Secret", "n3w Pass", "n3w Pass", "Password Changed", true,
         true, "n3w Pass"},
        {"current differs in case",
         "Secret",
         "secret",
         "x",
         "x",
         "Incorrect Current Password",
         true,
         false,
         {}},
        {"current is a prefix", "Secret", "Secre", "x", "x", "Incorrect Current Password", true, false, {}},
        {"current has a trailing blank",
         "Secret",
         "Secret ",
         "x",
         "x",
         "Incorrect Current Password",
         true,
         false,
         {}},
        {"current empty while one is stored",
         "Secret",
         "",
         "",
         "",
         "Incorrect Current Password",
         true,
         false,
         {}},
        {"wrong current and mismatching new: only the first check speaks",
         "Secret",
         "nope",
         "a",
         "b",
         "Incorrect Current Password",
         true,
         false,
         {}},
        {"new fields differ",
         "Secret",
         "Secret",
         "abc",
         "abC",
         "New passwords do not match",
         false,
         true,
         {}},
        {"one new field empty", "Secret", "Secret", "abc", "", "New passwords do not match", false, true, {}},
        {"both new fields empty remove the password", "Secret", "Secret", "", "", "Password Changed", true,
         true, ""},
        {"no password stored, empty current", std::nullopt, "", "first", "first", "Password Changed", true,
         true, "first"},
        {"no password stored, something typed as current",
         std::nullopt,
         "x",
         "first",
         "first",
         "Incorrect Current Password",
         true,
         false,
         {}},
        {"non-ASCII password", "Secret", "Secret", "Zo\xC3\xAB \xE2\x82\xAC", "Zo\xC3\xAB \xE2\x82\xAC",
         "Password Changed", true, true, "Zo\xC3\xAB \xE2\x82\xAC"},
        {"new password that cannot be stored",
         "Secret",
         "Secret",
         kUnstorable,
         kUnstorable,
         refusal,
         false,
         true,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string line0 = c.stored ? ScrambleText(*c.stored) : std::string();
        const PasswordChange out = checkPasswordChange(line0, c.current, c.new_password, c.confirm);
        EXPECT_EQ(out.message, c.message);
        EXPECT_EQ(out.clear_current, c.clear_current);
        EXPECT_EQ(out.clear_new, c.clear_new);
        ASSERT_EQ(out.line0.has_value(), c.new_plain.has_value());
        if (c.new_plain) {
            EXPECT_EQ(out.line0->size(), c.new_plain->size());
            EXPECT_TRUE(passwordMatches(*out.line0, *c.new_plain));
        }
    }
}

Settings settingsWithPassword(const std::string& plain) {
    Settings settings(TextList::fromLines({"", "kept", "", "yes"}));
    settings.set(setting::kPassword, ScrambleText(plain));
    return settings;
}

TEST(PasswordChange, WritesTheSettingsOnlyWhenThePasswordChanges) {
    Settings settings = settingsWithPassword("old");
    std::vector<std::string> written;  // line 0 as each write saw it
    const auto write = [&] {
        written.emplace_back(settings.line(setting::kPassword));
        return std::error_code();
    };

    EXPECT_FALSE(changePassword(settings, "wrong", "a", "a", write).line0);
    EXPECT_FALSE(changePassword(settings, "old", "a", "b", write).line0);
    EXPECT_TRUE(written.empty());
    EXPECT_TRUE(passwordMatches(settings.line(setting::kPassword), "old"));

    const PasswordChange out = changePassword(settings, "old", "new", "new", write);
    EXPECT_EQ(out.message, "Password Changed");
    ASSERT_EQ(written.size(), 1u);
    EXPECT_TRUE(passwordMatches(written[0], "new"));
    EXPECT_EQ(settings.line(setting::kPassword), written[0]);
    EXPECT_EQ(settings.line(1), "kept");
}

TEST(PasswordChange, AFailedWriteLeavesTheOldPasswordAndSaysSo) {
    Settings settings = settingsWithPassword("old");
    int writes = 0;
    const PasswordChange out = changePassword(settings, "old", "new", "new", [&] {
        ++writes;
        return std::make_error_code(std::errc::read_only_file_system);
    });
    EXPECT_EQ(writes, 1);
    EXPECT_FALSE(out.line0);
    EXPECT_NE(out.message, "Password Changed");
    EXPECT_NE(out.message.find("files/config.ini"), std::string::npos) << out.message;
    EXPECT_NE(out.message.find(std::make_error_code(std::errc::read_only_file_system).message()),
              std::string::npos)
        << out.message;
    // The edits keep what was typed, so the parent can try again once the folder is fixed.
    EXPECT_FALSE(out.clear_current);
    EXPECT_FALSE(out.clear_new);
    EXPECT_TRUE(passwordMatches(settings.line(setting::kPassword), "old"));
}

TEST(NewPassword, ChecksMatchThenEmptinessThenStorability) {
    struct Case {
        std::string password, confirm, message;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"", "", "You must enter a password to continue.", false},
        {"abc", "abd", "Passwords do not match", false},
        // The mismatch check comes first, so one empty edit is a mismatch, not a missing password.
        {"", "abc", "Passwords do not match", false},
        {"abc", "", "Passwords do not match", false},
        {"Abc", "abc", "Passwords do not match", false},
        {kUnstorable, kUnstorable, passwordRefusal(kUnstorable).value(), false},
        {"a much longer password than the General tab's twenty-four characters",
         "a much longer password than the General tab's twenty-four characters", "Password Saved", true},
        {" ", " ", "Password Saved", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password + " / " + c.confirm);
        const NewPassword out = checkNewPassword(c.password, c.confirm);
        EXPECT_EQ(out.message, c.message);
        ASSERT_EQ(out.line0.has_value(), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(*out.line0, ScrambleText(c.confirm));
        }
    }
}

}  // namespace
}  // namespace tn
