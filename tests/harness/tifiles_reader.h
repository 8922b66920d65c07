#pragma once

#include <cstdint>
#include <string>

namespace corvane::harness {

// A program file as Debian's libtifiles reads it: a reader written independently of ours.
struct TifilesReading {
    std::string error;     // empty when the file was read
    int model = 0;         // libtifiles' CalcModel: 3 for the TI-83, 4 for the TI-83 Plus
    std::string signature; // the signature libtifiles expects for that model
    unsigned entries = 0;
    std::string name; // of the first entry
    std::uint8_t type = 0;
    std::string data; // the entry's data: body-length word, then body
    std::uint16_t computedChecksum = 0;
    std::uint16_t storedChecksum = 0;
};

TifilesReading readWithTifiles(const std::string& path);

} // namespace corvane::harness
