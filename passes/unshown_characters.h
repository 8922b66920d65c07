#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace corvane {

// Whether the calculator can draw a character with a glyph of its own.
using CanShowCharacter = std::function<bool(char32_t)>;

// The characters of `text` that `canShow` refuses, each once, in the order they first appear.
// A surrogate pair is one character; a lone surrogate is itself.
std::u32string unshownCharacters(std::u16string_view text, const CanShowCharacter& canShow);

// The warning that names them, in UTF-8: "3 characters show as ? on the calculator: ™ © ½";
// empty when there are none. Past a dozen the list ends in "…"; controls, combining marks
// and other characters that draw nothing alone are written as U+XXXX.
std::string unshownCharactersWarning(std::u32string_view characters);

// Whether a program built for ion shows the character: its code-page byte goes through the
// calculator map (after the ellipsis is spelled out) to a glyph other than '?' on both
// calculators. Line breaks count as shown; a character the code page lacks is refused.
bool ionProgramCanShow(char32_t character);

} // namespace corvane
