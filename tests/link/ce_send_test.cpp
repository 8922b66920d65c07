// Sending to a TI-84 Plus CE: the checks before the cable, and the libraries' models opened.

#include "calculator_link.h"
#include "files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <ticables.h>
#include <ticalcs.h>

namespace corvane::link {
namespace {

using test::TempFolder;
using Model = CalculatorModel;

TEST(SendToCe, OpensTheCeModelOverDirectUsb) {
    SendRequest request;
    request.cable = {Cable::DirectUsb, 1};
    request.ce = true;
    const LibraryModels ce = libraryModels(request);
    EXPECT_EQ(ce.calculator, CALC_TI84PCE_USB);
    EXPECT_EQ(ce.cable, CABLE_USB);
    request.ce = false;
    EXPECT_EQ(libraryModels(request).calculator, CALC_TI84P_USB);
    request.cable = {Cable::SilverLink, 1};
    EXPECT_EQ(libraryModels(request).calculator, CALC_TI83P);
}

TEST(SendToCe, RefusedBeforeTheCable) {
    TempFolder folder;
    const std::string basic = folder.file("story-ce.8xp");
    tifile::EntryFields fields;
    fields.type = tifile::kEditableProgramType;
    test::writeFile(basic,
                    tifile::buildProgramFile(Model::TI83Plus, "STORY", "\xE1\x3F", fields).bytes);
    const std::string assembly = folder.file("story.8xp");
    test::writeFile(assembly,
                    tifile::buildProgramFile(Model::TI83Plus, "STORY", "\xBB\x6D\xC9").bytes);
    const std::string ti83 = folder.file("story.83p");
    test::writeFile(ti83, tifile::buildProgramFile(Model::TI83, "STORY", "\xC9").bytes);

    struct Case {
        std::string path;
        Cable cable;
        const char* messagePart;
    } cases[] = {
        {basic, Cable::SilverLink, "direct USB cable only"},
        {basic, Cable::Virtual, "direct USB cable only"},
        {assembly, Cable::DirectUsb, "assembly program"},
        {ti83, Cable::DirectUsb, "the calculator chosen is a TI-84 Plus CE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SendRequest request{c.path, {c.cable, 4}, Model::TI83Plus, 1, true};
        const SendResult result = sendProgram(request, {});
        EXPECT_EQ(result.failure, Failure::OtherModel) << result.message;
        EXPECT_NE(result.message.find(c.messagePart), std::string::npos) << result.message;
    }
    // A sound TI-BASIC program passes the checks and reaches the cable, which is not there.
    const SendResult result =
        sendProgram(SendRequest{basic, {Cable::DirectUsb, 4}, Model::TI83Plus, 1, true}, {});
    EXPECT_EQ(result.failure, Failure::NoCable) << result.message;
}

} // namespace
} // namespace corvane::link
