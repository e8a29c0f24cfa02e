#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tn {

// The parent password is kept in line 0 of the settings file, and in the registry value
// LocalMachine "SOFTWARE\TUMBLENEST" "pw" written by an installer, in a scrambled form: every byte
// XORed with one fixed key byte. The same routine scrambles and unscrambles.
//
// The key is 0xF5. Three properties follow from it:
//  - Printable ASCII (0x20-0x7E) becomes bytes between 0x80 and 0xDF: the high bit is set, so an
//    ordinary password is not readable at a glance and never turns into a control character.
//  - Only the bytes 0xF5, 0xFF and 0xF8 scramble to NUL, LF and CR, the three bytes that end a line
//    or the text of a list file. None of the three ever occurs in UTF-8 text, so every password
//    typed into the shell can be stored; the check below exists for other bytes handed in.
//  - An installer that writes the registry copy must use this same key.
inline constexpr std::uint8_t kScrambleKey = 0xF5;

// Every byte of text XORed with kScrambleKey; the empty string stays empty, the length never changes.
std::string ScrambleText(std::string_view text);

// Whether the typed text is the password stored (scrambled) in line 0. Byte for byte and
// case-sensitive; an empty line 0 matches only an empty entry.
bool passwordMatches(std::string_view stored_line0, std::string_view typed);

// Whether a scrambled value can be kept as one line of a list file: it must not hold CR, LF or NUL,
// which would split the line or end the file's text and shift every later setting.
bool storableScrambled(std::string_view scrambled);

// Why a new plain password cannot be stored, or nullopt when it can: a byte that scrambles to CR,
// LF or NUL would not survive a write and read of the settings file. The message is for the parent.
std::optional<std::string> passwordRefusal(std::string_view plain);

}  // namespace tn
