// Files named in other alphabets, beside a file whose name is the same in plain letters: every
// file helper reaches the named file and no other.
#include "atomic_file.h"
#include "files.h"
#include "line_reader.h"
#include "line_writer.h"
#include "native_path.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <set>

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;
using test::writeFile;

// Written by one helper and read back by another.
struct Helper {
    const char* name;
    void (*write)(const std::string& path, const std::string& bytes);
    std::string (*read)(const std::string& path);
};

std::string readLines(const std::string& path) {
    LineReader reader(path);
    EXPECT_TRUE(reader.ok()) << reader.error();
    std::string text;
    std::string line;
    while (reader.ok() && !reader.atEnd() && reader.readLine(line)) {
        text += line + "\r\n";
    }
    return text;
}

std::string readWhole(const std::string& path) {
    std::FILE* file = openFile(path, "rb");
    EXPECT_NE(file, nullptr) << path;
    std::string bytes;
    char block[256];
    for (std::size_t got = 0; file != nullptr && (got = std::fread(block, 1, 256, file)) > 0;) {
        bytes.append(block, got);
    }
    if (file != nullptr) {
        std::fclose(file);
    }
    return bytes;
}

const Helper kHelpers[] = {
    {"atomic file",
     [](const std::string& path, const std::string& bytes) {
         EXPECT_EQ(writeFileAtomically(path, bytes), "");
     },
     readLines},
    {"line writer",
     [](const std::string& path, const std::string& bytes) {
         LineWriter writer(path);
         writer.write(bytes);
         EXPECT_TRUE(writer.close()) << writer.error();
     },
     readWhole},
};

TEST(OtherAlphabets, FilesAreWrittenAndReadUnderTheirOwnNames) {
    const std::string folderName = "Łódź 日本";
    const std::string names[] = {"Ωmega.txt", "Ωmega.txt.part-x", "Éclair (1).txt"};
    for (const Helper& helper : kHelpers) {
        for (const std::string& name : names) {
            SCOPED_TRACE(std::string(helper.name) + ": " + name);
            TempFolder root;
            const fs::path folder = root.path() / nativePath(folderName);
            fs::create_directories(folder);
            writeFile(folder / "Omega.txt", "plain\r\n");
            writeFile(folder / "Eclair (1).txt", "plain\r\n");
            const std::string path = narrowPath(folder / nativePath(name));

            helper.write(path, "first line\r\n");
            helper.write(path, "second line\r\n");

            EXPECT_EQ(helper.read(path), "second line\r\n");
            EXPECT_EQ(readFile(folder / "Omega.txt"), "plain\r\n");
            EXPECT_EQ(readFile(folder / "Eclair (1).txt"), "plain\r\n");
            std::set<std::string> present;
            for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
                present.insert(narrowPath(entry.path().filename()));
            }
            EXPECT_EQ(present, (std::set<std::string>{"Omega.txt", "Eclair (1).txt", name}));
            EXPECT_TRUE(replaceFile(path, narrowPath(folder / nativePath("Ωmega 2.txt"))));
            EXPECT_FALSE(fs::exists(nativePath(path)));
            EXPECT_TRUE(removeFile(narrowPath(folder / nativePath("Ωmega 2.txt"))));
        }
    }
}

TEST(OtherAlphabets, PathsGoToTheSystemAndBackUnchanged) {
    for (const std::string path : {"plain", "Łódź 日本", "Ωmega.txt", "a\xF0\x9F\x98\x80z"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(narrowPath(nativePath(path)), path);
    }
}

} // namespace
} // namespace corvane
