#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::asm83 {

// What asm83 writes, chosen by the output file's extension.
enum class OutputForm { Binary, TI83, TI83Plus };

// .bin, .83p or .8xp in any letter case; empty for anything else.
std::optional<OutputForm> outputFormForPath(std::string_view path);

// The output file's name without folder and extension, in capitals: the default program name.
std::string programNameForPath(std::string_view path);

// The 64 KiB the Z80 addresses, remembering which bytes the program wrote.
class Image {
  public:
    enum class Put { Ok, PastEnd, Overlap };

    Image() : memory_(kSize), written_(kSize) {}

    Put put(std::int64_t address, std::uint8_t byte) {
        if (address < 0 || address >= static_cast<std::int64_t>(kSize)) {
            return Put::PastEnd;
        }
        const auto at = static_cast<std::size_t>(address);
        if (written_[at] != 0) {
            return Put::Overlap;
        }
        written_[at] = 1;
        memory_[at] = byte;
        low_ = std::min(low_, at);
        high_ = std::max(high_, at);
        return Put::Ok;
    }

    bool empty() const { return low_ > high_; }
    std::uint16_t origin() const { return empty() ? 0 : static_cast<std::uint16_t>(low_); }
    // The bytes from the lowest to the highest address written; gaps hold zero.
    std::string bytes() const;

    static constexpr std::size_t kSize = 0x10000;

  private:
    std::vector<std::uint8_t> memory_;
    std::vector<std::uint8_t> written_;
    std::size_t low_ = kSize;
    std::size_t high_ = 0;
};

// Above this size a program may not fit in the calculator's free memory.
inline constexpr std::size_t kComfortableBodySize = 24 * 1024;

// The TI-83 Plus runs no code at or above this address.
inline constexpr std::int64_t kTI83PlusCodeLimit = 0xC000;

} // namespace corvane::asm83
