#include "access/scramble.h"

#include <gtest/gtest.h>

#include <string>

#include "core/list_file.h"
#include "core/settings.h"
#include "support/temp_dir.h"

namespace tn {
namespace {

std::string allBytesExcept(std::string_view left_out) {
    std::string out;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (left_out.find(c) == std::string_view::npos) out += c;
    }
    return out;
}

TEST(ScrambleText, UndoesItselfAndKeepsTheLength) {
    for (const std::string& text : {std::string(), std::string("a"), std::string("Secret Pa55!"),
                                    std::string("\xc3\xa9t\xc3\xa9 \xe2\x82\xac"), allBytesExcept("")}) {
        SCOPED_TRACE(text);
        const std::string scrambled = ScrambleText(text);
        EXPECT_EQ(scrambled.size(), text.size());
        EXPECT_EQ(ScrambleText(scrambled), text);
        if (!text.empty()) {
            EXPECT_NE(scrambled, text);
        }
    }
}

TEST(ScrambleText, TurnsPrintableAsciiIntoHighBytes) {
    for (int c = 0x20; c <= 0x7E; ++c) {
        const auto byte = static_cast<unsigned char>(ScrambleText(std::string(1, static_cast<char>(c)))[0]);
        EXPECT_GE(byte, 0x80) << "character " << c;
    }
}

TEST(PasswordMatches, ComparesExactlyWithTheUnscrambledLine) {
    const std::string stored = ScrambleText("Secret");
    EXPECT_TRUE(passwordMatches(stored, "Secret"));
    EXPECT_FALSE(passwordMatches(stored, "secret"));
    EXPECT_FALSE(passwordMatches(stored, "Secre"));
    EXPECT_FALSE(passwordMatches(stored, "Secret "));
    EXPECT_FALSE(passwordMatches(stored, ""));
    // No stored password: only an empty entry matches.
    EXPECT_TRUE(passwordMatches("", ""));
    EXPECT_FALSE(passwordMatches("", "x"));
    // A line holding the plain text is not the password.
    EXPECT_FALSE(passwordMatches("Secret", "Secret"));
}

TEST(PasswordRefusal, RefusesExactlyTheBytesThatWouldScrambleToALineEndOrNul) {
    for (int b = 0; b < 256; ++b) {
        const std::string plain(1, static_cast<char>(b));
        const bool refused = passwordRefusal(plain).has_value();
        EXPECT_EQ(refused, b == 0xF5 || b == 0xF8 || b == 0xFF) << "byte " << b;
    }
    // Such a byte anywhere in the password refuses it, with a message for the parent.
    const auto message = passwordRefusal(
        "abc\xff"
        "def");
    ASSERT_TRUE(message.has_value());
    EXPECT_FALSE(message->empty());
    // UTF-8 never holds those bytes: passwords typed in any language are accepted.
    EXPECT_FALSE(passwordRefusal("\xc3\xa5\xc3\xa8\xc3\xaf \xe6\x97\xa5\xf0\x9f\x98\x80").has_value());
    EXPECT_FALSE(passwordRefusal("").has_value());
}

TEST(PasswordRefusal, EveryAcceptedPasswordSurvivesTheSettingsFile) {
    test::TempDir dir;
    const std::string plain = allBytesExcept("\xf5\xf8\xff");
    ASSERT_FALSE(passwordRefusal(plain).has_value());

    TextList lines;
    for (std::size_t i = 0; i < setting::kRequiredLines; ++i)
        lines.append("line " + std::to_string(i));
    Settings settings(std::move(lines));
    settings.set(setting::kPassword, ScrambleText(plain));
    ASSERT_FALSE(saveListFile(dir.file("config.ini"), settings.lines()));

    TextList reread;
    ASSERT_TRUE(loadListFile(dir.file("config.ini"), reread));
    ASSERT_EQ(reread.size(), setting::kRequiredLines);
    EXPECT_TRUE(passwordMatches(reread[setting::kPassword], plain));
    EXPECT_EQ(reread[1], "line 1");
}

}  // namespace
}  // namespace tn
