// Sending to a TI-84 Plus CE: the libraries' models a send opens.

#include "calculator_link.h"

#include <gtest/gtest.h>
#include <ticables.h>
#include <ticalcs.h>

namespace corvane::link {
namespace {

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

} // namespace
} // namespace corvane::link
