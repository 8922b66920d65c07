#include "ti_program_file.h"

#include "atomic_file.h"
#include "system_error.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace corvane::tifile {

namespace {

// File layout (all words little-endian). The file header is the same for every model but its
// signature; the variable entry's header length is the model's.
constexpr std::size_t kSignatureSize = 8;
constexpr std::string_view kSignatureTail{"\x1A\x0A", 2};
constexpr std::size_t kOwnerByteOffset = 0x0A;
constexpr std::size_t kCommentOffset = 0x0B;
constexpr std::size_t kCommentSize = 42;
constexpr std::size_t kDataLengthOffset = 0x35;
static_assert(kCommentOffset + kCommentSize == kDataLengthOffset);
constexpr std::size_t kDataOffset = 0x37;
constexpr std::size_t kChecksumSize = 2;
constexpr std::size_t kNameSize = 8;
constexpr std::string_view kComment = "Corvane";

// Offsets inside the variable entry, which starts at kDataOffset.
// The header length counts the bytes from kEntryVarLength up to the copy of the
// variable-data length.
constexpr std::size_t kEntryHeaderLength = 0;
constexpr std::size_t kEntryVarLength = 2;
constexpr std::size_t kEntryType = 4;
constexpr std::size_t kEntryName = 5;
constexpr std::size_t kEntryVersion = 13;
// The entry header without a version and a flag byte.
constexpr std::size_t kShortEntryHeaderLength = 0x0B;

constexpr std::size_t kMaxWord = 0xFFFF;

// Bytes of the entry before the variable data: the header-length word, the header and the
// copy of the variable-data length.
std::size_t entryPrefixSize(CalculatorModel model) {
    return 2 + factsOf(model).entryHeaderLength + 2;
}

void putWord(std::string& out, std::size_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

std::size_t wordAt(std::string_view bytes, std::size_t offset) {
    return static_cast<unsigned char>(bytes[offset]) |
           (static_cast<std::size_t>(static_cast<unsigned char>(bytes[offset + 1])) << 8);
}

std::uint16_t checksumOf(std::string_view data) {
    unsigned sum = 0;
    for (const char byte : data) {
        sum += static_cast<unsigned char>(byte);
    }
    return static_cast<std::uint16_t>(sum & 0xFFFF);
}

std::string paddedName(std::string_view name) {
    std::string field(name);
    field.resize(kNameSize, '\0');
    return field;
}

} // namespace

bool isValidVariableName(std::string_view name) {
    if (name.empty() || name.size() > kNameSize || name[0] < 'A' || name[0] > 'Z') {
        return false;
    }
    for (const char c : name) {
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return true;
}

// Three 16-bit fields bound a body: its own length word (body), the variable-data length
// (body + 2) and the file's data-section length (entry prefix + 2 + body). The last is the
// tightest, and tighter for a model with a longer entry header; one limit for all models
// keeps every program buildable for each.
std::size_t maxBodySize() {
    std::size_t longest = 0;
    for (const ModelFacts& facts : kModels) {
        longest = std::max(longest, entryPrefixSize(facts.model));
    }
    return kMaxWord - longest - 2;
}

bool needsLinkPadding(std::size_t bodySize) {
    const std::size_t packet = bodySize + 2 + 6;
    return packet >= 640 && packet % 20 == 0;
}

Built buildProgramFile(CalculatorModel model, std::string_view name, std::string_view body) {
    return buildProgramFile(model, name, body, EntryFields{});
}

Built buildProgramFile(CalculatorModel model, std::string_view name, std::string_view body,
                       const EntryFields& fields) {
    if (!isValidVariableName(name)) {
        return {{},
                "\"" + std::string(name) +
                    "\" is not a valid program name: 1 to 8 letters A-Z and digits 0-9, "
                    "starting with a letter"};
    }
    if (body.size() > maxBodySize()) {
        return {{},
                "the program is " + std::to_string(body.size()) +
                    " bytes long; a calculator variable holds at most " +
                    std::to_string(maxBodySize())};
    }
    const std::size_t varLength = body.size() + 2;

    std::string data;
    const ModelFacts& facts = factsOf(model);
    putWord(data, facts.entryHeaderLength);
    putWord(data, varLength);
    data.push_back(static_cast<char>(fields.type));
    data += paddedName(name);
    if (facts.entryHeaderLength > kShortEntryHeaderLength) {
        data.push_back(static_cast<char>(fields.version));
        data.push_back('\0'); // flag: in RAM, not archived
    }
    putWord(data, varLength);
    putWord(data, body.size());
    data += body;

    std::string file(facts.signature);
    file += kSignatureTail;
    file.push_back(static_cast<char>(fields.ownerByte));
    std::string comment(kComment);
    comment.resize(kCommentSize, '\0');
    file += comment;
    putWord(file, data.size());
    file += data;
    putWord(file, checksumOf(data));
    return {file, {}};
}

Parsed parseProgramFile(std::string_view bytes) {
    const auto fail = [](std::string why) { return Parsed{std::nullopt, std::move(why)}; };
    if (bytes.size() < kDataOffset + kChecksumSize) {
        return fail("too short for a TI program file");
    }
    ProgramFile file;
    const std::string_view signature = bytes.substr(0, kSignatureSize);
    const auto* facts = std::find_if(kModels.begin(), kModels.end(), [&](const ModelFacts& row) {
        return row.signature == signature;
    });
    if (facts == kModels.end()) {
        return fail("not a TI-83 or TI-83 Plus file: unknown signature");
    }
    file.model = facts->model;
    if (bytes.substr(kSignatureSize, kSignatureTail.size()) != kSignatureTail) {
        return fail("damaged file header");
    }
    const std::size_t dataLength = wordAt(bytes, kDataLengthOffset);
    if (dataLength != bytes.size() - kDataOffset - kChecksumSize) {
        return fail("the data-section length " + std::to_string(dataLength) +
                    " does not match the file size " + std::to_string(bytes.size()));
    }
    const std::string_view data = bytes.substr(kDataOffset, dataLength);
    const std::size_t prefix = entryPrefixSize(file.model);
    if (data.size() < prefix + 2) {
        return fail("the data section is too short for a variable entry");
    }
    if (wordAt(data, kEntryHeaderLength) != facts->entryHeaderLength) {
        return fail("unexpected variable-entry header length " +
                    std::to_string(wordAt(data, kEntryHeaderLength)));
    }
    const std::size_t varLength = wordAt(data, kEntryVarLength);
    if (wordAt(data, prefix - 2) != varLength) {
        return fail("the two copies of the variable-data length differ");
    }
    if (varLength < 2 || prefix + varLength != data.size()) {
        return fail("the variable-data length " + std::to_string(varLength) +
                    " does not fill the data section (one variable expected)");
    }
    const std::size_t bodyLength = wordAt(data, prefix);
    if (bodyLength + 2 != varLength) {
        return fail("the program length word " + std::to_string(bodyLength) +
                    " does not match the variable-data length");
    }
    file.type = static_cast<std::uint8_t>(data[kEntryType]);
    file.ownerByte = static_cast<std::uint8_t>(bytes[kOwnerByteOffset]);
    if (facts->entryHeaderLength > kShortEntryHeaderLength) {
        file.version = static_cast<std::uint8_t>(data[kEntryVersion]);
    }
    const std::string_view name = data.substr(kEntryName, kNameSize);
    file.name = std::string(name.substr(0, name.find('\0')));
    file.body = std::string(data.substr(prefix + 2, bodyLength));
    file.storedChecksum = static_cast<std::uint16_t>(wordAt(bytes, kDataOffset + dataLength));
    file.computedChecksum = checksumOf(data);
    return {std::move(file), {}};
}

std::string renameProgramFile(const std::string& path, std::string_view name) {
    if (!isValidVariableName(name)) {
        return "\"" + std::string(name) + "\" is not a valid program name";
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return describeSystemError(path, "cannot be opened");
    }
    // No program file is larger than its header, the largest data section and the checksum,
    // so a larger file is refused before it is read into memory.
    constexpr std::size_t kLargestFile = kDataOffset + kMaxWord + kChecksumSize;
    std::string bytes(kLargestFile + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        return describeSystemError(path, "cannot be read");
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    in.close();
    if (bytes.size() > kLargestFile) {
        return path + ": too large for a program file";
    }
    const Parsed parsed = parseProgramFile(bytes);
    if (!parsed.file) {
        return path + ": " + parsed.error;
    }
    // A damaged file is not made to look sound by a fresh checksum.
    if (parsed.file->storedChecksum != parsed.file->computedChecksum) {
        return path + ": the checksum does not match the contents; the file is damaged";
    }
    bytes.replace(kDataOffset + kEntryName, kNameSize, paddedName(name));
    const std::size_t dataLength = bytes.size() - kDataOffset - kChecksumSize;
    const std::uint16_t checksum =
        checksumOf(std::string_view(bytes).substr(kDataOffset, dataLength));
    bytes[kDataOffset + dataLength] = static_cast<char>(checksum & 0xFF);
    bytes[kDataOffset + dataLength + 1] = static_cast<char>(checksum >> 8);
    return writeFileAtomically(path, bytes);
}

} // namespace corvane::tifile
