// Builds that start the real tool chain through comp.bat.
#include "document_file.h"
#include "path.h"
#include "scene.h"

#include <cstdlib>

namespace corvane::test {

// The program folder's name reaches the command interpreter twice: in its command line and in
// comp.bat's "@cd" line. A document named in another alphabet is built under its own name and
// leaves its namesake in plain letters alone. When CORVANE_KEEP_TOOLCHAIN_OUTPUT names a
// folder, the first case's tmp.z80, tmp.83p and tmp.8xp are kept there, for a comparison with
// another system's.
TEST(RealToolChain, BuildsInFoldersAndUnderNamesWithBlanksParenthesesOrOtherAlphabets) {
    // The program folder (in the libraries' narrow form), the working folder, the document's name.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"Program Files (x86)", "Texts", "story"},
        // comp.bat carries "Grüße" in the OEM code page; that page (437 under wine) lacks "Ł"
        // and "ź", so "Łódź" reaches it by its short name.
        {"Grüße", "Łódź 日本", "Ωmega"},
        {"Łódź", "Texts", "story"},
    };
    for (const auto& [appFolder, workFolder, baseName] : cases) {
        SCOPED_TRACE(appFolder);
        Scene scene(appFolder, workFolder);
        scene.request.appFolder = narrowPath(scene.root.path()) + kPathSeparator + appFolder;
        scene.useRealToolChain();
        writeFile(scene.work / "Omega.txt", "Omega\r\nomega\r\nleft alone\r\n");
        const fs::path document = scene.work / nativePath(baseName + ".txt");
        ASSERT_EQ(writeDocumentFile(narrowPath(document), Document{"Story", "story", "Hello"}), "");
        scene.request.documentPath = narrowPath(document);
        scene.request.baseName = baseName;
        scene.request.calculatorFileName = "Tale1";

        const BuildOutcome outcome = scene.build();

        ASSERT_TRUE(outcome.ok) << outcome.message;
        const fs::path ti83 = scene.work / nativePath(baseName + ".83p");
        expectDelivered(scene.work / nativePath(baseName), "TALE1");
        EXPECT_EQ(outcome.deliveredSize, fs::file_size(ti83));
        EXPECT_EQ(fs::file_size(ti83), fs::file_size(scene.app / "tmp.83p"));
        EXPECT_EQ(readFile(scene.work / "Omega.txt"), "Omega\r\nomega\r\nleft alone\r\n");
        for (const char* absent : {"Omega.83p", "Omega.8xp", "mega.txt", "mega.83p"}) {
            EXPECT_FALSE(fs::exists(scene.work / absent)) << absent;
        }
        if (const char* keep = std::getenv("CORVANE_KEEP_TOOLCHAIN_OUTPUT");
            keep && appFolder == std::get<0>(cases[0])) {
            fs::create_directories(keep);
            for (const char* file : {"tmp.z80", "tmp.83p", "tmp.8xp"}) {
                fs::copy_file(scene.app / file, fs::path(keep) / file,
                              fs::copy_options::overwrite_existing);
            }
        }
    }
}

// A reader build of a text too long for one part of the smallest size delivers one pair per
// part, named story-1.83p ... under STORY1 ....
TEST(RealToolChain, AReaderInPartsDeliversOnePairPerPart) {
    Scene scene;
    scene.useRealToolChain();
    std::string document = "My story\r\nstory\r\n";
    for (int line = 0; line < 300; ++line) {
        document += "A line of the story, " + std::to_string(line) + "\r\n";
    }
    writeFile(scene.work / "story.txt", document);
    scene.request.kind = ProgramKind::Reader;
    scene.request.partBytes = kReaderMinimumPartBytes;

    const BuildOutcome outcome = scene.build();

    ASSERT_TRUE(outcome.ok) << outcome.message;
    ASSERT_EQ(outcome.delivered.size() % 2, 0u);
    const std::size_t parts = outcome.delivered.size() / 2;
    ASSERT_GT(parts, 2u);
    for (std::size_t part = 1; part <= parts; ++part) {
        const std::string name = "STORY" + std::to_string(part);
        const std::string file = "story-" + std::to_string(part);
        expectDelivered(scene.work / file, name);
        EXPECT_LE(fs::file_size(scene.work / (file + ".8xp")), kReaderMinimumPartBytes + 80);
    }
    EXPECT_FALSE(fs::exists(scene.work / "story.8xp"));
}

} // namespace corvane::test
