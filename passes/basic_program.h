#pragma once

#include "basic_charset.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// The home screen a TI-BASIC program draws on, in characters. `Output(` writes a string from
// a row and column onward, continuing at the next row's first column past a row's end, cut at
// the last row's end; it never scrolls.
struct HomeScreen {
    int rows;
    int columns;
    // The monochrome models draw the run indicator over the first row's last column while a
    // program waits for a key; the program redraws that column's character as it waits.
    bool runIndicatorOverText;

    std::size_t cells() const {
        return static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    }
};

// The TI-84 Plus CE and TI-83 Premium CE.
inline constexpr HomeScreen kColourHomeScreen{10, 26, false};
// The TI-83 Plus and TI-84 Plus.
inline constexpr HomeScreen kMonochromeHomeScreen{8, 16, true};

// The program's real-valued variables: the screen shown and the last key read. Str1 holds the
// text while the program runs and is deleted at its end.
inline constexpr BasicToken kScreenVariable = 0x53; // S
inline constexpr BasicToken kKeyVariable = 0x4B;    // K
inline constexpr BasicToken kTextVariable = 0xAA00; // Str1

// The home-screen rows of one text line: each row ends at the last space that fits, which the
// break takes; a word longer than a row is cut at the row's end. An empty line is one empty
// row. Rows are not padded.
std::vector<std::vector<BasicToken>> basicRows(std::span<const BasicToken> line, int columns);

// The rows of every line, in order, then grouped into screens of the text rows a screen holds
// (all but the last): each screen is (rows - 1) * columns tokens, every row padded with spaces.
// An empty text is one screen of spaces.
std::vector<std::vector<BasicToken>>
basicTextScreens(std::span<const std::vector<BasicToken>> lines, const HomeScreen& screen);

// The last row of a screen: "12/40" (screen and count) right-aligned, with "2:" in front for
// part 2 when `part` is not 0, padded with spaces on the left to the full width.
std::vector<BasicToken> basicStatusRow(int part, std::size_t screenNumber, std::size_t count,
                                       int columns);

// The program bytes one screen adds: its text's tokens and its status row.
std::size_t basicScreenBytes(std::span<const BasicToken> textScreen, const HomeScreen& screen);

// The program bytes besides the screens, for a first-line comment of `commentTokens` and at
// most 99,999 screens.
std::size_t basicFixedBytes(std::span<const BasicToken> commentTokens, const HomeScreen& screen);

// One program: its first line is the comment, a string of `"` and the comment's tokens; then
// the whole text as one string stored to Str1, each screen `cells()` tokens, the last row its
// status; then the paging loop (`getKey`: down, right and ENTER forward; up and left back; ENTER
// on the last screen and CLEAR anywhere end); at the end the home screen is cleared, Str1
// deleted and the last statement draws a space, so no "Done" follows.
// `screens` are whole screens, status rows included.
std::vector<BasicToken> basicProgramTokens(std::span<const BasicToken> commentTokens,
                                           std::span<const std::vector<BasicToken>> screens,
                                           const HomeScreen& screen);

// The program's bytes, as a program variable holds them after its length word.
std::string basicProgramBytes(std::span<const BasicToken> tokens);

// The variable version byte for a program of `tokens`: the highest its tokens need.
std::uint8_t basicProgramVersion(std::span<const BasicToken> tokens);

// The getKey codes the program reacts to.
inline constexpr int kKeyLeft = 24;
inline constexpr int kKeyUp = 25;
inline constexpr int kKeyRight = 26;
inline constexpr int kKeyDown = 34;
inline constexpr int kKeyClear = 45;
inline constexpr int kKeyEnter = 105;

} // namespace corvane
