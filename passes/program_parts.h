#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// A text too long for one program is split into parts at screen boundaries, each part a
// complete program of its own. These helpers are shared by every kind of program that splits.

// Which screens each part holds: parts[i] is the index of part i's first screen; part i ends
// where part i+1 starts (the last part at the screen count). Parts are filled in order, each
// taking screens while fixedBytes plus its screens' bytes stay within maxBytes, so no part
// but the last could have held the next part's first screen. A text of no screen is one part.
// Returns nullopt when one screen alone does not fit maxBytes.
//   screenBytes[i]  the bytes screen i adds to a program
//   fixedBytes      the bytes of a program holding no screen (header, routine, title...)
std::optional<std::vector<std::size_t>> splitIntoParts(std::span<const std::size_t> screenBytes,
                                                       std::size_t fixedBytes,
                                                       std::size_t maxBytes);

// The longest calculator variable name.
inline constexpr std::size_t kCalculatorNameLength = 8;

// "STORY" part 1 -> "STORY1"; the name is cut so that name + digits fit 8 characters.
// Part 0 (the only part) is the name itself, cut to 8 characters.
std::string partCalculatorName(std::string_view name, int part);

// "Title" part 1 of 3 -> "Title 1/3"; the title is cut (and blanks left at its end by the
// cut dropped) so that the whole fits maxLength. Part 0 is the title alone, cut to maxLength.
std::string partTitle(std::string_view title, int part, int count, std::size_t maxLength);

// ("story", "", 1, ".8xp") -> "story-1.8xp"; ("story", "-ce", 2, ".8xp") -> "story-ce-2.8xp";
// part 0 means "the only part": ("story", "-ce", 0, ".8xp") -> "story-ce.8xp".
std::string partFileName(std::string_view baseName, std::string_view kindSuffix, int part,
                         std::string_view extension);

} // namespace corvane
