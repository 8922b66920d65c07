#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace corvane {

// The calculators Corvane writes programs for.
enum class CalculatorModel { TI83, TI83Plus };

// What the tree knows about one calculator, in one place.
struct ModelFacts {
    CalculatorModel model;
    // How messages and the window name it: "TI-83".
    std::string_view name;
    // The program file's extension, with its dot, and the signature its file starts with.
    std::string_view extension;
    std::string_view signature;
    // Bytes of a program file's variable entry header: the TI-83 Plus adds a version and a
    // flag byte.
    std::size_t entryHeaderLength;
    // Where the calculator loads the first byte of an assembly program's body after its
    // start token, and the token itself (empty where there is none).
    std::int64_t programStart;
    std::string_view startToken;
    // The first address that runs no code, or 0 when all of RAM may hold code.
    std::int64_t codeEnd;
    // RAM free for the user on a cleared calculator, as Texas Instruments publishes it (27 KB,
    // 24 KB), read as thousands of bytes, the lower reading, so that a program accepted here
    // does fit; and ION's own size once installed, as its read-me gives it for version 1.6.
    std::int64_t freeRam;
    std::int64_t ionSize;
};

inline constexpr std::array<ModelFacts, 2> kModels{{
    {CalculatorModel::TI83, "TI-83", ".83p", "**TI83**", 0x0B, 0x9327, "", 0, 27000, 1312},
    {CalculatorModel::TI83Plus, "TI-83 Plus", ".8xp", "**TI83F*", 0x0D, 0x9D95, "\xBB\x6D", 0xC000,
     24000, 1396},
}};

constexpr const ModelFacts& factsOf(CalculatorModel model) {
    for (const ModelFacts& facts : kModels) {
        if (facts.model == model) {
            return facts;
        }
    }
    return kModels[0];
}

} // namespace corvane
