#include "basic_program.h"

#include <algorithm>
#include <string>

namespace corvane {

namespace {

constexpr BasicToken kNewline = 0x3F;
constexpr BasicToken kQuote = 0x2A;
constexpr BasicToken kStore = 0x04;
constexpr BasicToken kOpen = 0x10;
constexpr BasicToken kClose = 0x11;
constexpr BasicToken kComma = 0x2B;
constexpr BasicToken kPlus = 0x70;
constexpr BasicToken kMinus = 0x71;
constexpr BasicToken kTimes = 0x82;
constexpr BasicToken kEquals = 0x6A;
constexpr BasicToken kLess = 0x6B;
constexpr BasicToken kGreater = 0x6C;
constexpr BasicToken kOr = 0x3C;
constexpr BasicToken kColon = 0x3E;
constexpr BasicToken kSlash = 0x83;
constexpr BasicToken kRepeat = 0xD2;
constexpr BasicToken kEnd = 0xD4;
constexpr BasicToken kGetKey = 0xAD;
constexpr BasicToken kClrHome = 0xE1;
constexpr BasicToken kOutput = 0xE0;
constexpr BasicToken kFull = 0x75;
constexpr BasicToken kSub = 0xBB0C;
constexpr BasicToken kDelVar = 0xBB54;

// The largest screen count the fixed part is reckoned for.
constexpr std::size_t kMostScreenDigits = 5;

void appendNumber(std::vector<BasicToken>& out, std::size_t value) {
    for (const char digit : std::to_string(value)) {
        out.push_back(static_cast<BasicToken>(0x30 + (digit - '0')));
    }
}

// The program without its comment and text, for `count` screens.
struct Skeleton {
    std::vector<BasicToken> beforeText; // up to and including the string's opening quote
    std::vector<BasicToken> afterText;  // from the closing quote on
};

Skeleton skeleton(std::span<const BasicToken> commentTokens, std::size_t count,
                  const HomeScreen& screen) {
    const std::size_t cells = screen.cells();
    Skeleton program;
    std::vector<BasicToken>& head = program.beforeText;
    head.push_back(kQuote);
    head.insert(head.end(), commentTokens.begin(), commentTokens.end());
    head.insert(head.end(), {kNewline, kFull, kNewline, kClrHome, kNewline, kQuote});

    std::vector<BasicToken>& p = program.afterText;
    // "→Str1, 1→S
    p.insert(p.end(), {kQuote, kStore, kTextVariable, kNewline});
    p.insert(p.end(), {0x31, kStore, kScreenVariable, kNewline});
    // Repeat K=45 or S>N
    p.insert(p.end(), {kRepeat, kKeyVariable, kEquals});
    appendNumber(p, kKeyClear);
    p.insert(p.end(), {kOr, kScreenVariable, kGreater});
    appendNumber(p, count);
    p.push_back(kNewline);
    // Output(1,1,sub(Str1,C*S-(C-1),C))
    p.insert(p.end(), {kOutput, 0x31, kComma, 0x31, kComma, kSub, kTextVariable, kComma});
    appendNumber(p, cells);
    p.insert(p.end(), {kTimes, kScreenVariable, kMinus});
    appendNumber(p, cells - 1);
    p.push_back(kComma);
    appendNumber(p, cells);
    p.insert(p.end(), {kClose, kClose, kNewline});
    // Repeat K ... getKey→K ... End
    p.insert(p.end(), {kRepeat, kKeyVariable, kNewline});
    if (screen.runIndicatorOverText) {
        // Output(1,W,sub(Str1,C*S-C+W,1)): the first row's last character, again.
        const auto column = static_cast<std::size_t>(screen.columns);
        p.push_back(kOutput);
        p.push_back(0x31);
        p.push_back(kComma);
        appendNumber(p, column);
        p.insert(p.end(), {kComma, kSub, kTextVariable, kComma});
        appendNumber(p, cells);
        p.insert(p.end(), {kTimes, kScreenVariable, kMinus});
        appendNumber(p, cells - column);
        p.insert(p.end(), {kComma, 0x31, kClose, kClose, kNewline});
    }
    p.insert(p.end(), {kGetKey, kStore, kKeyVariable, kNewline, kEnd, kNewline});
    // S+(K=34 or K=26 or K=105)*(S<N or K=105)-(K=24 or K=25)*(S>1)→S
    const auto keyIs = [&](int code) {
        p.insert(p.end(), {kKeyVariable, kEquals});
        appendNumber(p, static_cast<std::size_t>(code));
    };
    p.insert(p.end(), {kScreenVariable, kPlus, kOpen});
    keyIs(kKeyDown);
    p.push_back(kOr);
    keyIs(kKeyRight);
    p.push_back(kOr);
    keyIs(kKeyEnter);
    p.insert(p.end(), {kClose, kTimes, kOpen, kScreenVariable, kLess});
    appendNumber(p, count);
    p.push_back(kOr);
    keyIs(kKeyEnter);
    p.insert(p.end(), {kClose, kMinus, kOpen});
    keyIs(kKeyLeft);
    p.push_back(kOr);
    keyIs(kKeyUp);
    p.insert(p.end(), {kClose, kTimes, kOpen, kScreenVariable, kGreater, 0x31, kClose, kStore,
                       kScreenVariable, kNewline});
    p.insert(p.end(), {kEnd, kNewline});
    // ClrHome, DelVar Str1, and a space drawn last in place of "Done".
    p.insert(p.end(), {kClrHome, kNewline, kDelVar, kTextVariable, kNewline});
    p.insert(p.end(), {kOutput, 0x31, kComma, 0x31, kComma, kQuote, kBasicSpace, kQuote, kClose});
    return program;
}

std::size_t bytesOf(std::span<const BasicToken> tokens) {
    std::size_t bytes = 0;
    for (const BasicToken token : tokens) {
        bytes += tokenSize(token);
    }
    return bytes;
}

} // namespace

std::vector<std::vector<BasicToken>> basicRows(std::span<const BasicToken> line, int columns) {
    const auto width = static_cast<std::size_t>(columns);
    std::vector<std::vector<BasicToken>> rows;
    std::size_t start = 0;
    while (line.size() - start > width) {
        // The last space within the row, or the one right after a full row.
        std::size_t breakAt = start + width;
        while (breakAt > start && line[breakAt] != kBasicSpace) {
            --breakAt;
        }
        if (breakAt == start) {
            rows.emplace_back(line.begin() + static_cast<std::ptrdiff_t>(start),
                              line.begin() + static_cast<std::ptrdiff_t>(start + width));
            start += width;
        } else {
            rows.emplace_back(line.begin() + static_cast<std::ptrdiff_t>(start),
                              line.begin() + static_cast<std::ptrdiff_t>(breakAt));
            start = breakAt + 1;
        }
    }
    rows.emplace_back(line.begin() + static_cast<std::ptrdiff_t>(start), line.end());
    return rows;
}

std::vector<std::vector<BasicToken>>
basicTextScreens(std::span<const std::vector<BasicToken>> lines, const HomeScreen& screen) {
    const auto width = static_cast<std::size_t>(screen.columns);
    const auto textRows = static_cast<std::size_t>(screen.rows - 1);
    std::vector<std::vector<BasicToken>> screens;
    std::size_t rowInScreen = textRows;
    for (const std::vector<BasicToken>& line : lines) {
        for (std::vector<BasicToken>& row : basicRows(line, screen.columns)) {
            if (rowInScreen == textRows) {
                screens.emplace_back();
                screens.back().reserve(textRows * width);
                rowInScreen = 0;
            }
            row.resize(width, kBasicSpace);
            screens.back().insert(screens.back().end(), row.begin(), row.end());
            ++rowInScreen;
        }
    }
    if (screens.empty()) {
        screens.emplace_back();
    }
    screens.back().resize(textRows * width, kBasicSpace);
    return screens;
}

std::vector<BasicToken> basicStatusRow(int part, std::size_t screenNumber, std::size_t count,
                                       int columns) {
    std::string status = std::to_string(screenNumber) + "/" + std::to_string(count);
    if (part != 0) {
        status = std::to_string(part) + ":" + status;
    }
    const auto width = static_cast<std::size_t>(columns);
    std::vector<BasicToken> row(width > status.size() ? width - status.size() : 0, kBasicSpace);
    for (const char c : status) {
        row.push_back(c == '/'   ? kSlash
                      : c == ':' ? kColon
                                 : static_cast<BasicToken>(0x30 + (c - '0')));
    }
    row.resize(width, kBasicSpace);
    return row;
}

std::size_t basicScreenBytes(std::span<const BasicToken> textScreen, const HomeScreen& screen) {
    return bytesOf(textScreen) + static_cast<std::size_t>(screen.columns);
}

std::size_t basicFixedBytes(std::span<const BasicToken> commentTokens, const HomeScreen& screen) {
    std::size_t largest = 1;
    for (std::size_t digit = 0; digit < kMostScreenDigits; ++digit) {
        largest *= 10;
    }
    const Skeleton program = skeleton(commentTokens, largest - 1, screen);
    return bytesOf(program.beforeText) + bytesOf(program.afterText);
}

std::vector<BasicToken> basicProgramTokens(std::span<const BasicToken> commentTokens,
                                           std::span<const std::vector<BasicToken>> screens,
                                           const HomeScreen& screen) {
    const Skeleton program = skeleton(commentTokens, screens.size(), screen);
    std::vector<BasicToken> tokens = program.beforeText;
    for (const std::vector<BasicToken>& shown : screens) {
        tokens.insert(tokens.end(), shown.begin(), shown.end());
    }
    tokens.insert(tokens.end(), program.afterText.begin(), program.afterText.end());
    return tokens;
}

std::string basicProgramBytes(std::span<const BasicToken> tokens) {
    std::string bytes;
    bytes.reserve(bytesOf(tokens));
    for (const BasicToken token : tokens) {
        appendTokenBytes(bytes, token);
    }
    return bytes;
}

std::uint8_t basicProgramVersion(std::span<const BasicToken> tokens) {
    std::uint8_t version = 0;
    for (const BasicToken token : tokens) {
        version = std::max(version, tokenVersion(token));
    }
    return version;
}

} // namespace corvane
