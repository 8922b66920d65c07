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

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// Each helper makes the file and replaces the other's.
TEST(OtherAlphabets, FilesAreWrittenAndReadUnderTheirOwnNames) {
    // The last name is beyond the basic plane: two UTF-16 units on Windows.
    for (const std::string name : {"Ωmega.txt", "Ωmega.txt.part-x", "Éclair (1).txt", "a😀z.txt"}) {
        SCOPED_TRACE(name);
        TempFolder root;
        const fs::path folder = root.path() / nativePath("Łódź 日本");
        fs::create_directories(folder);
        writeFile(folder / "Omega.txt", "plain\r\n");
        writeFile(folder / "Eclair (1).txt", "plain\r\n");
        const std::string path = narrowPath(folder / nativePath(name));
        const std::string moved = narrowPath(folder / nativePath("Ωmega 2.txt"));
        const auto lineWrite = [&path](const std::string& bytes) {
            LineWriter writer(path);
            writer.write(bytes);
            EXPECT_TRUE(writer.close()) << writer.error();
        };

        EXPECT_EQ(writeFileAtomically(path, "first\r\n"), "");
        lineWrite("second\r\n");
        std::FILE* file = openFile(path, "rb");
        ASSERT_NE(file, nullptr);
        char bytes[16] = {};
        EXPECT_EQ(std::fread(bytes, 1, sizeof bytes - 1, file), 8u);
        std::fclose(file);
        EXPECT_EQ(std::string(bytes), "second\r\n");
        EXPECT_TRUE(replaceFile(path, moved));
        lineWrite("third\r\n");
        EXPECT_EQ(writeFileAtomically(path, "fourth\r\n"), "");
        std::string line;
        {
            LineReader reader(path); // closed before the file is removed
            EXPECT_TRUE(reader.readLine(line)) << reader.error();
        }
        EXPECT_EQ(line, "fourth");

        EXPECT_EQ(readFile(folder / "Omega.txt"), "plain\r\n");
        EXPECT_EQ(readFile(folder / "Eclair (1).txt"), "plain\r\n");
        std::set<std::string> present;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            present.insert(narrowPath(entry.path().filename()));
        }
        EXPECT_EQ(present,
                  (std::set<std::string>{"Omega.txt", "Eclair (1).txt", "Ωmega 2.txt", name}));
        EXPECT_TRUE(removeFile(path));
        EXPECT_FALSE(fs::exists(nativePath(path)));
    }
}

} // namespace
} // namespace corvane::test
