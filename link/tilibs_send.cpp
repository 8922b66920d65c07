#include "calculator_link.h"
#include "send_checks.h"

#include <glib.h>
#include <memory>
#include <mutex>
#include <ticables.h>
#include <ticalcs.h>
#include <tifiles.h>

namespace corvane::link {

namespace {

CableModel cableModelOf(Cable cable) {
    switch (cable) {
    case Cable::SilverLink:
        return CABLE_SLV;
    case Cable::GreyLink:
        return CABLE_GRY;
    case Cable::BlackLink:
        return CABLE_BLK;
    case Cable::DirectUsb:
        return CABLE_USB;
    case Cable::Virtual:
        return CABLE_TIE;
    }
    return CABLE_NUL;
}

// Packet commands of the calculators' link protocol that the result depends on.
constexpr std::uint8_t kSkipOrExit = 0x36;
constexpr std::uint8_t kData = 0x15;
constexpr std::uint8_t kReasonExit = 0x01;
constexpr std::uint8_t kReasonOutOfMemory = 0x03;

// Error numbers of libticables and libticalcs (their error.h is not installed).
constexpr int kReadTimeout = 4;
constexpr int kWriteTimeout = 6;
constexpr int kAbort = 256;
constexpr int kNotReady = 257;
constexpr int kContentsRefused = 263;
constexpr int kOutOfMemory = 273;
constexpr int kCannotReadFile = 274;
// The newer calculators' own error answers, as libticalcs numbers them.
constexpr int kHandheldOutOfMemory = 305;
constexpr int kHandheldBusy = 308;
constexpr int kHandheldNotAtHome = 319;
constexpr int kNspireOutOfMemory = 401;

// Every cable error that means the cable or its device could not be opened: serial ports,
// USB devices, the virtual links, and their permissions.
bool isCableOpenError(int code) {
    return code == 7 || (code >= 9 && code <= 17) || (code >= 20 && code <= 21) ||
           (code >= 23 && code <= 25) || (code >= 28 && code <= 39) || (code >= 42 && code <= 52);
}

// The libraries' own log lines (a CRITICAL at every detach among them) say nothing the
// result does not; the user gets the result's message instead.
void dropLibraryLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void initialiseLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const char* domain : {"ticables", "ticalcs", "tifiles", "ticonv"}) {
            g_log_set_handler(domain,
                              static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL |
                                                          G_LOG_FLAG_RECURSION),
                              dropLibraryLog, nullptr);
        }
        ticables_library_init();
        tifiles_library_init();
        ticalcs_library_init();
    });
}

// What the libraries say about an error number: libticalcs knows its own and hands cable
// errors on unexplained, so libticables is asked too.
std::string libraryMessage(int code) {
    char* text = nullptr;
    std::string result;
    if (ticalcs_error_get(code, &text) == 0 && text != nullptr) {
        result = text;
        ticalcs_error_free(text);
    } else if (ticables_error_get(code, &text) == 0 && text != nullptr) {
        result = text;
        ticables_error_free(text);
    } else {
        result = "error " + std::to_string(code);
    }
    while (!result.empty() && (result.back() == '\n' || result.back() == ' ')) {
        result.pop_back();
    }
    return result;
}

// One send's state, reached from the libraries' callbacks: CalcUpdate's have no argument,
// so the sending thread keeps a pointer to it.
struct Transfer {
    CalcUpdate update{};
    const SendEvents* events = nullptr;
    bool cancelRequested = false;
    std::uint8_t lastCommand = 0;
    bool skipped = false;
    int skipReason = -1;
    bool programSent = false; // every byte of the packet with the program went out
    bool answered = false;    // a packet from a calculator arrived
};

// Machine IDs a TI-83 or TI-83 Plus answers with.
bool isCalculatorMachine(std::uint8_t machine) {
    return machine == 0x73 || machine == 0x82 || machine == 0x83 || machine == 0x95;
}

thread_local Transfer* currentTransfer = nullptr;

void pollCancel(Transfer* transfer) {
    if (transfer != nullptr && transfer->events->cancel != nullptr &&
        transfer->events->cancel->load()) {
        transfer->cancelRequested = true;
        transfer->update.cancel = 1;
    }
}

void pollCurrentCancel() {
    pollCancel(currentTransfer);
}

void noUpdate() {}

// The library looks at the cancel flag right after this returns, so a cancel asked for by
// the progress callback itself counts at once.
void reportProgress() {
    Transfer* transfer = currentTransfer;
    if (transfer != nullptr && transfer->events->progress && transfer->update.max1 > 0) {
        transfer->events->progress(static_cast<std::size_t>(transfer->update.cnt1),
                                   static_cast<std::size_t>(transfer->update.max1));
    }
    pollCancel(transfer);
}

// Watches the packets the calculator sends, as libticalcs reports a SKIP answer as success,
// and passes a cancel on at every packet: the library looks at its flag between the chunks
// of each packet but asks for progress only on large ones.
int watchPackets(CalcHandle*, uint32_t, const CalcEventData* event, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    pollCancel(transfer);
    if (event->type == CALC_EVENT_TYPE_AFTER_SEND_DBUS_PKT && event->data.dbus_pkt.cmd == kData) {
        // The library sends a packet in chunks of a twentieth and then the rest, which is
        // empty when the length is a multiple of them; on some cables that empty write fails
        // after every byte is out, which the count of chunks sent shows.
        transfer->programSent =
            event->retval == 0 ||
            (transfer->update.max1 > 0 && transfer->update.cnt1 >= transfer->update.max1);
    } else if (event->type == CALC_EVENT_TYPE_AFTER_RECV_DBUS_PKT_HEADER && event->retval == 0) {
        transfer->answered = transfer->answered || isCalculatorMachine(event->data.dbus_pkt.id);
        transfer->lastCommand = event->data.dbus_pkt.cmd;
        transfer->skipped = transfer->skipped || transfer->lastCommand == kSkipOrExit;
    } else if (event->type == CALC_EVENT_TYPE_AFTER_RECV_DBUS_PKT_DATA && event->retval == 0 &&
               transfer->lastCommand == kSkipOrExit && event->data.dbus_pkt.length > 0 &&
               event->data.dbus_pkt.data != nullptr) {
        transfer->skipReason = event->data.dbus_pkt.data[0];
    }
    return event->retval;
}

struct CableDeleter {
    void operator()(CableHandle* cable) const { ticables_handle_del(cable); }
};
struct CalcDeleter {
    void operator()(CalcHandle* calc) const {
        ticalcs_cable_detach(calc);
        ticalcs_handle_del(calc);
    }
};

SendResult failed(Failure failure, std::string message) {
    return {failure, std::move(message)};
}

SendResult classify(int code, const Transfer& transfer, const SendRequest& request,
                    const std::string& program, std::size_t size) {
    if (code == 0 && !transfer.skipped) {
        return {};
    }
    if (code == kOutOfMemory || code == kHandheldOutOfMemory || code == kNspireOutOfMemory ||
        transfer.skipReason == kReasonOutOfMemory) {
        return failed(Failure::OutOfMemory,
                      "The calculator has no room for " + program + " (" + std::to_string(size) +
                          " bytes): it answered that it is out of memory. Delete or archive "
                          "some of its variables and send again.");
    }
    // A cancel ends the send, whatever the wait it interrupted reports afterwards.
    if (transfer.cancelRequested) {
        return failed(Failure::Cancelled,
                      transfer.programSent
                          ? "Sending cancelled after all of " + program +
                                " had gone out; look on the calculator whether it arrived."
                          : std::string("Sending cancelled; nothing was stored."));
    }
    if (transfer.skipReason == kReasonExit) {
        return failed(Failure::Refused, "The calculator ended the transfer (EXIT was pressed on "
                                        "it); " +
                                            program + " was not stored.");
    }
    if (transfer.skipped || code == kContentsRefused) {
        return failed(Failure::Refused,
                      "The calculator did not store " + program +
                          ": it answered that it skipped the program. It may hold an archived "
                          "or locked variable of that name.");
    }
    if (code == kNotReady || code == kHandheldBusy || code == kHandheldNotAtHome) {
        return failed(Failure::Busy, "The calculator is busy. Leave the program or menu it "
                                     "shows, go to its home screen and send again.");
    }
    if (isCableOpenError(code)) {
        return failed(Failure::NoCable, noCableMessage(request.cable));
    }
    if (code == kCannotReadFile) {
        return failed(Failure::BadFile, request.path + " could not be read.");
    }
    // Once the program's bytes are out, only the calculator knows whether it kept them.
    if (transfer.programSent) {
        return failed(Failure::Unconfirmed,
                      program + " was sent, but the calculator did not confirm it: look on the "
                                "calculator whether it arrived.");
    }
    // Without a calculator at the other end the link reads silence or stray bytes; either
    // way nobody answered.
    if (code == kReadTimeout || code == kWriteTimeout || !transfer.answered) {
        return failed(Failure::NoAnswer,
                      "No calculator answered within " + std::to_string(request.timeoutSeconds) +
                          (request.timeoutSeconds == 1 ? " second" : " seconds") +
                          ". Check that the calculator is switched on and shows its home "
                          "screen, and that the cable is plugged in firmly at both ends.");
    }
    return failed(Failure::LinkError, "Sending " + program + " failed: " + libraryMessage(code));
}

CalcModel calcModelFor(const SendRequest& request) {
    if (request.ce) {
        return CALC_TI84PCE_USB;
    }
    const CalcModel calc = request.model == CalculatorModel::TI83 ? CALC_TI83 : CALC_TI83P;
    return request.cable.cable == Cable::DirectUsb ? CALC_TI84P_USB : calc;
}

} // namespace

LibraryModels libraryModels(const SendRequest& request) {
    return {calcModelFor(request), cableModelOf(request.cable.cable)};
}

std::string_view sendingUnavailable() {
    return {};
}

SendResult sendProgram(const SendRequest& request, const SendEvents& events) {
    SendResult refusal;
    const std::optional<tifile::ProgramFile> checked = checkedProgram(request, refusal);
    if (!checked) {
        return refusal;
    }
    const tifile::ProgramFile& file = *checked;
    const std::string program = file.name;
    Transfer transfer;
    transfer.events = &events;
    if (events.cancel != nullptr && events.cancel->load()) {
        transfer.cancelRequested = true;
        return classify(kAbort, transfer, request, program, file.body.size());
    }

    initialiseLibraries();
    transfer.update.start = noUpdate;
    transfer.update.stop = noUpdate;
    transfer.update.label = noUpdate;
    transfer.update.refresh = pollCurrentCancel;
    transfer.update.pbar = reportProgress;
    currentTransfer = &transfer;
    struct Reset {
        ~Reset() { currentTransfer = nullptr; }
    } reset;

    std::unique_ptr<CableHandle, CableDeleter> cable(ticables_handle_new(
        cableModelOf(request.cable.cable), static_cast<CablePort>(request.cable.port)));
    if (!cable) {
        return failed(Failure::NoCable, noCableMessage(request.cable));
    }
    ticables_options_set_timeout(cable.get(), static_cast<unsigned>(request.timeoutSeconds * 10));
    // The calculator handle detaches from the cable, so it goes first.
    std::unique_ptr<CalcHandle, CalcDeleter> calc(ticalcs_handle_new(calcModelFor(request)));
    if (!calc) {
        return failed(Failure::LinkError,
                      "The link library cannot talk to a " +
                          std::string(calculatorTitle(request.model, request.ce)) + ".");
    }
    ticalcs_update_set(calc.get(), &transfer.update);
    ticalcs_calc_set_event_hook(calc.get(), watchPackets);
    ticalcs_calc_set_event_user_pointer(calc.get(), &transfer);

    int code = ticalcs_cable_attach(calc.get(), cable.get());
    if (code == 0) {
        code = ticalcs_calc_isready(calc.get());
    }
    if (code == 0) {
        if (events.progress) {
            events.progress(0, file.body.size());
        }
        code = ticalcs_calc_send_var2(calc.get(), MODE_NORMAL, request.path.c_str());
    }
    // A cancel asked for while the library waited for an answer was never seen by it.
    if (code != 0 && events.cancel != nullptr && events.cancel->load()) {
        transfer.cancelRequested = true;
    }
    SendResult result = classify(code, transfer, request, program, file.body.size());
    if (result.ok() && events.progress) {
        events.progress(file.body.size(), file.body.size());
    }
    return result;
}

std::optional<Probed> probe() {
    initialiseLibraries();
    int* devices = nullptr;
    int count = 0;
    if (ticables_get_usb_devices(&devices, &count) != 0 || devices == nullptr) {
        return std::nullopt;
    }
    std::optional<Probed> found;
    for (int i = 0; i < count && i < PORT_MAX - 1 && !found; ++i) {
        const bool silverLink = devices[i] == PID_TIGLUSB;
        const bool directUsb = devices[i] == PID_TI84P || devices[i] == PID_TI84P_SE;
        if (!silverLink && !directUsb) {
            continue;
        }
        const CableChoice choice{silverLink ? Cable::SilverLink : Cable::DirectUsb, i + 1};
        CalcModel model = CALC_NONE;
        if (ticalcs_probe(cableModelOf(choice.cable), static_cast<CablePort>(choice.port), &model,
                          0) != 0) {
            continue;
        }
        if (model == CALC_TI83) {
            found = Probed{choice, CalculatorModel::TI83};
        } else if (model == CALC_TI83P || model == CALC_TI84P || model == CALC_TI84P_USB) {
            found = Probed{choice, CalculatorModel::TI83Plus};
        } else if (model == CALC_TI84PCE_USB || model == CALC_TI83PCE_USB) {
            found = Probed{choice, CalculatorModel::TI83Plus, true};
        }
    }
    ticables_free_usb_devices(devices);
    return found;
}

} // namespace corvane::link
