#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A TI-BASIC token as a number: one-byte tokens are their byte (00xx), two-byte tokens their
// two bytes (BBxx for the character tokens).
using BasicToken = std::uint16_t;

// The token a string shows where the text holds a character the calculators cannot show.
inline constexpr BasicToken kBasicQuestionMark = 0xAF;
inline constexpr BasicToken kBasicSpace = 0x29;

// A character of the document and the token that shows it on the home screen.
struct BasicCharacter {
    char16_t character;
    BasicToken token;
};

// Every character the home screen shows as itself, each with its token: A-Z, a-z, 0-9, the
// punctuation and the accented letters of the TI-83 Plus character tokens, which every later
// model (the CE included) shows the same way.
std::span<const BasicCharacter> basicCharacters();

// The tokens that show `character` inside a string: its own token when it has one; `"` (which
// would end the string) as two apostrophes; the typographic quotes and dashes as the plain
// signs; a tab and a no-break space as a space; nothing for anything else.
std::vector<BasicToken> basicTokensFor(char16_t character);

// The character a token shows on the home screen; u'?' for a token that is not a character.
char16_t basicTokenCharacter(BasicToken token);

// A text in the window's characters as the home screen shows it: one token per column; line
// breaks (CR LF, CR, LF) end a line. Characters without tokens become '?' and are added, once
// each and in order of first appearance, to `unshown` when it is given.
std::vector<std::vector<BasicToken>> basicTextLines(std::u16string_view text,
                                                    std::u16string* unshown = nullptr);

// A token's bytes, as a program holds them.
void appendTokenBytes(std::string& out, BasicToken token);

// How many bytes a token takes in a program.
inline std::size_t tokenSize(BasicToken token) {
    return token > 0xFF ? 2 : 1;
}

// The lowest variable version byte a program holding `token` needs: 00 for tokens the first
// TI-83 Plus OS knows, 01 to 03 for the character tokens later OS versions added.
std::uint8_t tokenVersion(BasicToken token);

} // namespace corvane
