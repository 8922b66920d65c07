#pragma once

// What every way of sending shares: the checks of the program file before any cable is
// opened, and the message for a cable that cannot be opened.

#include "calculator_link.h"

#include <optional>
#include <string>

namespace corvane::link {

// The program in the file at `request.path`, or nothing and the reason in `refusal`: the
// file is unreadable, no intact program file, or one for the other model.
std::optional<tifile::ProgramFile> checkedProgram(const SendRequest& request, SendResult& refusal);

std::string noCableMessage(const CableChoice& choice);

} // namespace corvane::link
