#include "basic_charset.h"

#include <algorithm>
#include <array>

namespace corvane {

namespace {

constexpr BasicToken kApostrophe = 0xAE;
constexpr BasicToken kMinus = 0x71;

// The punctuation and accented letters the home screen shows, with their tokens. Letters,
// digits and the space follow from their ranges below. BB BB has no token, so 'l' starts the
// second lowercase range; BB 7E has none either, between ë and Ì.
constexpr BasicCharacter kSigns[] = {
    {u'.', 0x3A},        {u',', 0x2B},        {u'!', 0x2D},        {u'?', 0xAF},
    {u'\'', 0xAE},       {u':', 0x3E},        {u';', 0xBBD6},      {u'(', 0x10},
    {u')', 0x11},        {u'[', 0x06},        {u']', 0x07},        {u'{', 0x08},
    {u'}', 0x09},        {u'+', 0x70},        {u'-', 0x71},        {u'*', 0x82},
    {u'/', 0x83},        {u'=', 0x6A},        {u'<', 0x6B},        {u'>', 0x6C},
    {u'%', 0xBBDA},      {u'&', 0xBBD4},      {u'@', 0xBBD1},      {u'#', 0xBBD2},
    {u'$', 0xBBD3},      {u'^', 0xF0},        {u'_', 0xBBD9},      {u'~', 0xBBCF},
    {u'|', 0xBBD8},      {u'\\', 0xBBD7},     {u'`', 0xBBD5},      {u'\u00BF', 0xBB9D},
    {u'\u00A1', 0xBB9E}, {u'\u2026', 0xBBDB}, {u'\u00C1', 0xBB6E}, {u'\u00C0', 0xBB6F},
    {u'\u00C2', 0xBB70}, {u'\u00C4', 0xBB71}, {u'\u00E1', 0xBB72}, {u'\u00E0', 0xBB73},
    {u'\u00E2', 0xBB74}, {u'\u00E4', 0xBB75}, {u'\u00C9', 0xBB76}, {u'\u00C8', 0xBB77},
    {u'\u00CA', 0xBB78}, {u'\u00CB', 0xBB79}, {u'\u00E9', 0xBB7A}, {u'\u00E8', 0xBB7B},
    {u'\u00EA', 0xBB7C}, {u'\u00EB', 0xBB7D}, {u'\u00CC', 0xBB7F}, {u'\u00CE', 0xBB80},
    {u'\u00CF', 0xBB81}, {u'\u00ED', 0xBB82}, {u'\u00EC', 0xBB83}, {u'\u00EE', 0xBB84},
    {u'\u00EF', 0xBB85}, {u'\u00CD', 0xBBCD}, {u'\u00D3', 0xBB86}, {u'\u00D2', 0xBB87},
    {u'\u00D4', 0xBB88}, {u'\u00D6', 0xBB89}, {u'\u00F3', 0xBB8A}, {u'\u00F2', 0xBB8B},
    {u'\u00F4', 0xBB8C}, {u'\u00F6', 0xBB8D}, {u'\u00DA', 0xBB8E}, {u'\u00D9', 0xBB8F},
    {u'\u00DB', 0xBB90}, {u'\u00DC', 0xBB91}, {u'\u00FA', 0xBB92}, {u'\u00F9', 0xBB93},
    {u'\u00FB', 0xBB94}, {u'\u00FC', 0xBB95}, {u'\u00C7', 0xBB96}, {u'\u00E7', 0xBB97},
    {u'\u00D1', 0xBB98}, {u'\u00F1', 0xBB99}, {u'\u00DF', 0xBBDD},
};

constexpr std::size_t kCharacterCount = 1 + 26 + 26 + 10 + std::size(kSigns);

constexpr std::array<BasicCharacter, kCharacterCount> makeCharacters() {
    std::array<BasicCharacter, kCharacterCount> table{};
    std::size_t next = 0;
    table[next++] = {u' ', kBasicSpace};
    for (char16_t c = u'A'; c <= u'Z'; ++c) {
        table[next++] = {c, static_cast<BasicToken>(0x41 + (c - u'A'))};
    }
    for (char16_t c = u'a'; c <= u'z'; ++c) {
        const int offset = c - u'a';
        table[next++] = {c, static_cast<BasicToken>(0xBBB0 + offset + (c >= u'l' ? 1 : 0))};
    }
    for (char16_t c = u'0'; c <= u'9'; ++c) {
        table[next++] = {c, static_cast<BasicToken>(0x30 + (c - u'0'))};
    }
    for (const BasicCharacter& sign : kSigns) {
        table[next++] = sign;
    }
    return table;
}

constexpr auto kCharacters = makeCharacters();

// Characters shown as other characters, as the maps of the other program kinds show them.
struct Substitute {
    char16_t character;
    BasicToken first;
    BasicToken second; // 0: one token
};

constexpr Substitute kSubstitutes[] = {
    {u'"', kApostrophe, kApostrophe},
    {u'\u201C', kApostrophe, kApostrophe},
    {u'\u201D', kApostrophe, kApostrophe},
    {u'\u2018', kApostrophe, 0},
    {u'\u2019', kApostrophe, 0},
    {u'\u2013', kMinus, 0},
    {u'\u2014', kMinus, 0},
    {u'\t', kBasicSpace, 0},
    {u'\u00A0', kBasicSpace, 0},
};

const BasicCharacter* findCharacter(char16_t character) {
    const auto found =
        std::find_if(kCharacters.begin(), kCharacters.end(),
                     [&](const BasicCharacter& c) { return c.character == character; });
    return found == kCharacters.end() ? nullptr : &*found;
}

} // namespace

std::span<const BasicCharacter> basicCharacters() {
    return kCharacters;
}

std::vector<BasicToken> basicTokensFor(char16_t character) {
    if (const BasicCharacter* own = findCharacter(character)) {
        return {own->token};
    }
    for (const Substitute& substitute : kSubstitutes) {
        if (substitute.character == character) {
            if (substitute.second == 0) {
                return {substitute.first};
            }
            return {substitute.first, substitute.second};
        }
    }
    return {};
}

char16_t basicTokenCharacter(BasicToken token) {
    const auto found = std::find_if(kCharacters.begin(), kCharacters.end(),
                                    [&](const BasicCharacter& c) { return c.token == token; });
    return found == kCharacters.end() ? u'?' : found->character;
}

std::vector<std::vector<BasicToken>> basicTextLines(std::u16string_view text,
                                                    std::u16string* unshown) {
    // A table indexed by character for the common range keeps a long text from searching
    // the table for every letter.
    static const auto kLatin = [] {
        std::array<std::vector<BasicToken>, 0x100> latin;
        for (unsigned c = 0; c < latin.size(); ++c) {
            latin[c] = basicTokensFor(static_cast<char16_t>(c));
        }
        return latin;
    }();
    std::vector<std::vector<BasicToken>> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
                ++i;
            }
            lines.emplace_back();
            continue;
        }
        const std::vector<BasicToken> tokens = c < kLatin.size() ? kLatin[c] : basicTokensFor(c);
        if (tokens.empty()) {
            lines.back().push_back(kBasicQuestionMark);
            if (unshown && unshown->find(c) == std::u16string::npos) {
                unshown->push_back(c);
            }
            continue;
        }
        lines.back().insert(lines.back().end(), tokens.begin(), tokens.end());
    }
    return lines;
}

void appendTokenBytes(std::string& out, BasicToken token) {
    if (token > 0xFF) {
        out.push_back(static_cast<char>(token >> 8));
    }
    out.push_back(static_cast<char>(token & 0xFF));
}

std::uint8_t tokenVersion(BasicToken token) {
    if ((token >> 8) != 0xBB) {
        return 0;
    }
    const unsigned second = token & 0xFF;
    if (second >= 0xDB && second <= 0xF5) {
        return 3;
    }
    if (second >= 0xCF && second <= 0xDA) {
        return 2;
    }
    if (second >= 0x68 && second <= 0xCE) {
        return 1;
    }
    return 0;
}

} // namespace corvane
