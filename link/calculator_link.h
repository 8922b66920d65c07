#pragma once

// Sending a program file to a TI-83 or TI-83 Plus through the TI link libraries (libticables,
// libticalcs), where the build has them. No Qt: the caller passes the progress callback and the
// cancel flag, and may run a send on any thread, one send at a time per process.

#include "ti_program_file.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::link {

// The cables a user can pick. `Virtual` is the libraries' virtual link between two programs
// on one machine (meant for emulators); the stand-in calculator of the tests sits on it.
enum class Cable { SilverLink, GreyLink, BlackLink, DirectUsb, Virtual };

struct CableChoice {
    Cable cable = Cable::SilverLink;
    int port = 1; // 1 to 4: USB device number, serial port number, or end of the virtual link
};

// The cables offered in the window, in its order.
const std::vector<Cable>& userCables();
// "SilverLink (USB)", "Grey link (serial)", ...
std::string_view cableTitle(Cable cable);
// The cable the command line names: silverlink, grey, black, usb, virtual.
std::optional<Cable> cableFromName(std::string_view name);

// The ways a send can end.
enum class Failure {
    None,
    BadFile,     // not a readable, intact .83p/.8xp program file
    OtherModel,  // a program for the other calculator; refused before anything is sent
    NoCable,     // the cable could not be opened
    NoAnswer,    // no calculator answered within the time allowed
    Unconfirmed, // every byte of the program went out, but the calculator never confirmed it
    Busy,        // the calculator answered that it is not ready
    OutOfMemory, // the calculator answered that it has no room for the program
    Refused,     // the calculator skipped the program, or its user ended the transfer
    Cancelled,   // the user cancelled
    LinkError,   // any other error of the link
};

struct SendResult {
    Failure failure = Failure::None;
    std::string message; // one text for the user; empty on success
    bool ok() const { return failure == Failure::None; }
};

struct SendRequest {
    std::string path; // the .83p or .8xp file
    CableChoice cable;
    CalculatorModel model = CalculatorModel::TI83Plus;
    int timeoutSeconds = 5; // how long the calculator may take to answer
    // A TI-84 Plus CE or TI-83 Premium CE: .8xp programs of tokens, over the direct USB cable
    // only (the CE runs no assembly program).
    bool ce = false;
};

struct SendEvents {
    // Bytes of the program packet on their way, and its length; called on the sending thread.
    std::function<void(std::size_t sent, std::size_t total)> progress;
    // Set from any thread to stop the transfer. The libraries look at it between the chunks
    // of a packet, not while waiting for the calculator's answer.
    const std::atomic<bool>* cancel = nullptr;
};

// Sends the one program in the file at `request.path`: checks the file and its model first,
// then opens the cable, asks the calculator whether it is ready and sends the variable. The
// result says success only when the calculator accepted the program.
SendResult sendProgram(const SendRequest& request, const SendEvents& events);

struct Probed {
    CableChoice cable;
    CalculatorModel model;
    bool ce = false;
};

// "TI-83", "TI-83 Plus" or, for a CE, "TI-84 Plus CE".
std::string_view calculatorTitle(CalculatorModel model, bool ce);

// The link libraries' calculator and cable models a request opens, as their numbers.
struct LibraryModels {
    int calculator = 0;
    int cable = 0;
};
LibraryModels libraryModels(const SendRequest& request);

// On Linux, what lets a user open the cable's device; empty elsewhere.
std::string_view deviceAccessHint();

// Why this build cannot send at all, for the user; empty where it can.
std::string_view sendingUnavailable();

// Looks for a TI cable plugged into USB with a TI-83, TI-83 Plus or CE answering on it.
std::optional<Probed> probe();

} // namespace corvane::link
