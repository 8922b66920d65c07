#include "calculator_link.h"
#include "send_checks.h"

// A build without the TI link libraries (the Windows one): the program file is still
// checked, so a damaged file is named as such, but no cable is ever opened.

namespace corvane::link {

std::string_view sendingUnavailable() {
    return "This build of Corvane cannot drive a link cable. Send the program file to the "
           "calculator with TI's own link software, TI Connect.";
}

SendResult sendProgram(const SendRequest& request, const SendEvents&) {
    SendResult refusal;
    if (!checkedProgram(request, refusal)) {
        return refusal;
    }
    return {Failure::NoCable, std::string(sendingUnavailable())};
}

LibraryModels libraryModels(const SendRequest&) {
    return {};
}

std::optional<Probed> probe() {
    return std::nullopt;
}

} // namespace corvane::link
