#include "access/scramble.h"

namespace tn {

std::string ScrambleText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(static_cast<std::uint8_t>(c) ^ kScrambleKey);
    return out;
}

bool passwordMatches(std::string_view stored_line0, std::string_view typed) {
    return ScrambleText(stored_line0) == typed;
}

bool storableScrambled(std::string_view scrambled) {
    return scrambled.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<std::string> passwordRefusal(std::string_view plain) {
    if (storableScrambled(ScrambleText(plain))) return std::nullopt;
    return "This password contains a character that cannot be saved. Please choose a password without it.";
}

}  // namespace tn
