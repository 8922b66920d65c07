#pragma once

// `corvane --send FILE... [--cable NAME] [--model 83|83p]`: sends program files to a
// calculator without opening the window. No Qt: the command-line parser hands over the values.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct SendOptions {
    std::vector<std::string> files;
    std::optional<std::string> cable; // silverlink, grey, black, usb or virtual
    std::optional<std::string> model; // 83, 83p or ce
};

// The values the options accept, for the parser's help text.
inline constexpr const char* kSendCableValues = "silverlink, grey, black, usb or virtual";
inline constexpr const char* kSendModelValues = "83, 83p or ce";

// Sends every file in order and reports each on `out`, failures on `err`. Without --cable the
// USB cables are searched for a calculator; without --model each file goes as the model it
// was written for. Returns 0 when every file arrived, 1 when one did not, 2 for bad options.
int runSendCommand(const SendOptions& options, std::ostream& out, std::ostream& err);

} // namespace corvane
