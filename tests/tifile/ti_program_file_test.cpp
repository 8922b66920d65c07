#include "files.h"
#include "temp_folder.h"
#include "ti_program_file.h"
#include "tifiles_reader.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>

namespace corvane::tifile {
namespace {

namespace fs = std::filesystem;

// Bytes written as hex pairs; spaces between them are optional.
std::string hex(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += text[i] == ' ' ? 1 : 2) {
        if (text[i] != ' ') {
            bytes.push_back(
                static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
        }
    }
    return bytes;
}

using test::readFile;
using test::writeFile;

const std::string kIonBody83Plus = hex("BB 6D C9 30 03 48 49 00 C9");
const std::string kIonBody83 = hex("C9 30 03 48 49 00 C9");

// libtifiles itself wrote golden/HELLO.* for the same program, comment area all zero.
TEST(ProgramFile, ReproducesIndependentlyProducedFiles) {
    for (const auto& [model, body, golden] :
         {std::tuple{CalculatorModel::TI83Plus, kIonBody83Plus, "/HELLO.8xp"},
          std::tuple{CalculatorModel::TI83, kIonBody83, "/HELLO.83p"}}) {
        const Built built = buildProgramFile(model, "HELLO", body);
        ASSERT_EQ(built.error, "");
        std::string bytes = built.bytes;
        EXPECT_EQ(bytes.substr(0x0B, 42), std::string("Corvane") + std::string(35, '\0'));
        bytes.replace(0x0B, 42, std::string(42, '\0'));
        EXPECT_EQ(bytes, readFile(CORVANE_GOLDEN_DIR + std::string(golden)));
    }
}

// Another assembler wrote golden/MINIMAL.8xp, with a comment text of its own.
TEST(ProgramFile, ReadsAPublishedTestVector) {
    const Parsed parsed = parseProgramFile(readFile(CORVANE_GOLDEN_DIR "/MINIMAL.8xp"));
    ASSERT_TRUE(parsed.file) << parsed.error;
    EXPECT_EQ(parsed.file->model, CalculatorModel::TI83Plus);
    EXPECT_EQ(parsed.file->name, "MINIMAL");
    EXPECT_EQ(parsed.file->type, kProtectedProgramType);
    EXPECT_EQ(parsed.file->body, hex("BB 6D C9"));
    EXPECT_EQ(parsed.file->storedChecksum, 0x0418);
    EXPECT_EQ(parsed.file->computedChecksum, 0x0418);
}

TEST(ProgramFile, VariableNames) {
    const std::pair<const char*, bool> cases[] = {
        {"A", true},        {"HELLO", true},      {"ABCDEFGH", true},   {"Z9", true},
        {"A1B2C3D4", true}, {"", false},          {"ABCDEFGHI", false}, {"1ABC", false},
        {"hello", false},   {"HeLLO", false},     {"AB CD", false},     {"AB_CD", false},
        {"AB-C", false},    {"\xC9T\xC9", false}, {"[", false},         {"@", false},
    };
    for (const auto& [name, valid] : cases) {
        EXPECT_EQ(isValidVariableName(name), valid) << '"' << name << '"';
    }
    EXPECT_FALSE(isValidVariableName(std::string_view("AB\0C", 4)));
}

TEST(ProgramFile, RefusesBadNamesAndBodiesPastTheLargest) {
    const std::pair<const char*, std::string> refused[] = {
        {"hello", "x"}, {"NINECHARS", "x"}, {"BIG", std::string(maxBodySize() + 1, 'x')}};
    for (const CalculatorModel model : {CalculatorModel::TI83, CalculatorModel::TI83Plus}) {
        for (const auto& [name, body] : refused) {
            const Built built = buildProgramFile(model, name, body);
            EXPECT_NE(built.error, "") << name;
            EXPECT_EQ(built.bytes, "") << name;
        }
    }
    // The largest body fills the data-section length word at 35h, the field that runs out first.
    const Built built =
        buildProgramFile(CalculatorModel::TI83Plus, "BIG", std::string(maxBodySize(), 'x'));
    EXPECT_EQ(built.bytes.substr(0x35, 2), "\xFF\xFF");
}

// The link sends body, length word and six bytes of framing in twentieths; its last write is
// empty, and fails on some cables, when that is a multiple of twenty from 640 bytes up.
TEST(ProgramFile, PadsBodiesTheLinkWouldSendWithAnEmptyLastChunk) {
    const std::pair<std::size_t, bool> cases[] = {
        {2231, false}, {2232, true}, {2233, false}, {612, false}, {632, true}};
    for (const auto& [size, padded] : cases) {
        EXPECT_EQ(needsLinkPadding(size), padded) << size;
    }
}

TEST(RoundTrip, OwnReaderAndLibtifilesAgreeOnEveryBuiltFile) {
    const test::TempFolder folder;
    std::mt19937 random(7);
    const std::size_t sizes[] = {0, 1, 2, 255, 256, 1000, 24000, maxBodySize()};
    const std::pair<CalculatorModel, const char*> models[] = {{CalculatorModel::TI83, "83p"},
                                                              {CalculatorModel::TI83Plus, "8xp"}};
    const char* names[] = {"A", "PRGM1", "ABCDEFGH"};
    int n = 0;
    for (const auto& [model, extension] : models) {
        for (const std::size_t size : sizes) {
            std::string body(size, '\0');
            for (char& byte : body) {
                byte = static_cast<char>(random());
            }
            const std::string name = names[n++ % 3];
            SCOPED_TRACE(std::string(extension) + " " + name + " " + std::to_string(size));
            const Built built = buildProgramFile(model, name, body);
            ASSERT_EQ(built.error, "");

            const Parsed parsed = parseProgramFile(built.bytes);
            ASSERT_TRUE(parsed.file) << parsed.error;
            EXPECT_EQ(parsed.file->model, model);
            EXPECT_EQ(parsed.file->name, name);
            EXPECT_EQ(parsed.file->type, kProtectedProgramType);
            EXPECT_EQ(parsed.file->body, body);
            EXPECT_EQ(parsed.file->storedChecksum, parsed.file->computedChecksum);

            const fs::path path = folder.path() / (name + "." + extension);
            writeFile(path, built.bytes);
            const auto reading = harness::readWithTifiles(path.string());
            ASSERT_EQ(reading.error, "");
            EXPECT_EQ(reading.model, model == CalculatorModel::TI83 ? 3 : 4);
            EXPECT_EQ(built.bytes.substr(0, 8), reading.signature);
            EXPECT_EQ(reading.entries, 1u);
            EXPECT_EQ(reading.name, name);
            EXPECT_EQ(reading.type, 0x06);
            EXPECT_EQ(reading.data, built.bytes.substr(built.bytes.size() - 4 - size, 2) + body);
            EXPECT_EQ(reading.computedChecksum, reading.storedChecksum);
            EXPECT_EQ(reading.storedChecksum, parsed.file->storedChecksum);
        }
    }
}

// Each row damages one field of a sound TI-83 Plus file (offsets from the file start).
struct Damage {
    const char* what;
    std::vector<std::size_t> offsets;
    std::string bytes;
};

TEST(ProgramFile, RefusesDamagedFiles) {
    const std::string sound =
        buildProgramFile(CalculatorModel::TI83Plus, "HELLO", kIonBody83Plus).bytes;
    const Damage damages[] = {
        {"signature", {0}, "**TI84F*"},
        {"signature tail", {8}, hex("1A 0C 00")},
        {"data-section length", {0x35}, hex("1D 00")},
        {"data-section length zero", {0x35}, hex("00 00")},
        {"entry header length", {0x37}, hex("0B 00")},
        {"variable-data length", {0x39}, hex("0C 00")},
        {"variable-data length copy", {0x46}, hex("0A 00")},
        {"both variable-data lengths", {0x39, 0x46}, hex("FF FF")},
        {"body length word", {0x48}, hex("08 00")},
        {"body length word huge", {0x48}, hex("FF FF")},
    };
    for (const auto& damage : damages) {
        std::string bytes = sound;
        for (const std::size_t offset : damage.offsets) {
            bytes.replace(offset, damage.bytes.size(), damage.bytes);
        }
        const Parsed parsed = parseProgramFile(bytes);
        EXPECT_FALSE(parsed.file) << damage.what;
        EXPECT_NE(parsed.error, "") << damage.what;
    }
    // A TI-83 signature on a TI-83 Plus entry: the header lengths disagree.
    std::string mixed = sound;
    mixed.replace(0, 8, "**TI83**");
    EXPECT_FALSE(parseProgramFile(mixed).file);
}

TEST(ProgramFile, RefusesEveryTruncationAndExtension) {
    for (const CalculatorModel model : {CalculatorModel::TI83, CalculatorModel::TI83Plus}) {
        const std::string sound = buildProgramFile(model, "HELLO", "some body").bytes;
        for (std::size_t length = 0; length < sound.size(); ++length) {
            EXPECT_FALSE(parseProgramFile(sound.substr(0, length)).file) << length;
        }
        EXPECT_FALSE(parseProgramFile(sound + '\0').file);
    }
}

TEST(Rename, ReplacesTheNameAndChecksumOnly) {
    const test::TempFolder folder;
    for (const CalculatorModel model : {CalculatorModel::TI83, CalculatorModel::TI83Plus}) {
        const std::string body = model == CalculatorModel::TI83Plus ? kIonBody83Plus : kIonBody83;
        const fs::path path = folder.path() / "tmp.prg";
        writeFile(path, buildProgramFile(model, "TMP", body).bytes);
        ASSERT_EQ(renameProgramFile(path.string(), "READER12"), "");
        EXPECT_EQ(readFile(path), buildProgramFile(model, "READER12", body).bytes);
        // The longer earlier name leaves no trace.
        ASSERT_EQ(renameProgramFile(path.string(), "B"), "");
        EXPECT_EQ(readFile(path), buildProgramFile(model, "B", body).bytes);
    }
}

TEST(Rename, RefusesAndKeepsTheFileWhole) {
    const test::TempFolder folder;
    const std::string sound =
        buildProgramFile(CalculatorModel::TI83Plus, "TMP", kIonBody83Plus).bytes;
    std::string badChecksum = sound;
    badChecksum.back() ^= 1;
    const std::pair<std::string, std::string> cases[] = {
        {sound, "lower"},                           // invalid new name
        {sound, "TOOLONGNAME"},                     // invalid new name
        {badChecksum, "OTHER"},                     // damaged file
        {sound.substr(0, 60), "OTHER"},             // not a program file
        {sound + std::string(70000, 'x'), "OTHER"}, // larger than any program file
    };
    for (const auto& [content, name] : cases) {
        const fs::path path = folder.path() / "tmp.8xp";
        writeFile(path, content);
        EXPECT_NE(renameProgramFile(path.string(), name), "") << name;
        EXPECT_EQ(readFile(path), content) << name;
    }
    const std::string missing = renameProgramFile((folder.path() / "none.8xp").string(), "OTHER");
    EXPECT_NE(missing.find("none.8xp"), std::string::npos) << missing;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

} // namespace
} // namespace corvane::tifile
