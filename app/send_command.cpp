#include "send_command.h"

#include "calculator_link.h"
#include "send_checks.h"

#include <filesystem>
#include <ostream>

namespace corvane {

namespace {

// After these the link itself is down: the files left would fail the same way.
bool linkIsDown(link::Failure failure) {
    return failure == link::Failure::NoCable || failure == link::Failure::NoAnswer ||
           failure == link::Failure::Busy;
}

std::optional<CalculatorModel> modelFromName(const std::string& name) {
    if (name == "83") {
        return CalculatorModel::TI83;
    }
    if (name == "83p") {
        return CalculatorModel::TI83Plus;
    }
    return std::nullopt;
}

// The model a file was written for, from its extension; a file with another one is left to
// the send, which names what is wrong with it.
CalculatorModel modelOfFile(const std::string& path) {
    const std::string_view extension = factsOf(CalculatorModel::TI83).extension;
    const bool ti83 =
        path.size() >= extension.size() &&
        path.compare(path.size() - extension.size(), extension.size(), extension) == 0;
    return ti83 ? CalculatorModel::TI83 : CalculatorModel::TI83Plus;
}

// The path once: a message that starts with the file's name gets the path in its place, one
// that names the path already is printed as it is, any other follows the path.
void reportFailure(const std::string& path, const std::string& message, std::ostream& err) {
    const std::string fileName = std::filesystem::path(path).filename().string();
    err << "corvane: ";
    if (message.find(path) != std::string::npos) {
        err << message;
    } else if (!fileName.empty() && message.starts_with(fileName)) {
        err << path << std::string_view(message).substr(fileName.size());
    } else {
        err << path << ": " << message;
    }
    err << "\n";
}

} // namespace

int runSendCommand(const SendOptions& options, std::ostream& out, std::ostream& err) {
    if (!link::sendingUnavailable().empty()) {
        err << "corvane: " << link::sendingUnavailable() << "\n";
        return 1;
    }
    std::optional<CalculatorModel> model;
    // The CE takes the TI-83 Plus's .8xp files.
    bool ce = options.model && *options.model == "ce";
    if (options.model) {
        model = ce ? CalculatorModel::TI83Plus : modelFromName(*options.model);
        if (!model) {
            err << "corvane: --model must be " << kSendModelValues << ", not \"" << *options.model
                << "\".\n";
            return 2;
        }
    }
    link::CableChoice cable;
    if (options.cable) {
        const std::optional<link::Cable> named = link::cableFromName(*options.cable);
        if (!named) {
            err << "corvane: --cable must be " << kSendCableValues << ", not \"" << *options.cable
                << "\".\n";
            return 2;
        }
        cable.cable = *named;
    } else if (ce) {
        // The CE has only its direct USB cable.
        cable.cable = link::Cable::DirectUsb;
    }
    if (options.files.empty()) {
        err << "corvane: --send needs at least one program file.\n";
        return 2;
    }

    // Every file is checked before a cable is opened, so that a file's own fault is never
    // reported as a missing calculator.
    int status = 0;
    std::vector<std::string> files;
    for (const std::string& path : options.files) {
        link::SendResult refusal;
        if (link::checkedProgram({path, cable, model.value_or(modelOfFile(path)), 5, ce},
                                 refusal)) {
            files.push_back(path);
        } else {
            status = 1;
            reportFailure(path, refusal.message, err);
        }
    }
    if (files.empty()) {
        return status;
    }
    if (!options.cable && !ce) {
        const std::optional<link::Probed> found = link::probe();
        if (!found) {
            err << "corvane: no TI-83, TI-83 Plus or TI-84 Plus CE answered on a USB cable. Name "
                   "the cable with "
                   "--cable ("
                << kSendCableValues << ") and the calculator with --model (" << kSendModelValues
                << ").\n";
            if (!link::deviceAccessHint().empty()) {
                err << link::deviceAccessHint() << "\n";
            }
            return 1;
        }
        cable = found->cable;
        model = model.value_or(found->model);
        ce = found->ce;
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        const CalculatorModel target = model.value_or(modelOfFile(path));
        const link::SendResult result = link::sendProgram({path, cable, target, 5, ce}, {});
        if (result.ok()) {
            out << path << ": sent to the " << link::calculatorTitle(target, ce) << ".\n";
            continue;
        }
        status = 1;
        reportFailure(path, result.message, err);
        if (linkIsDown(result.failure)) {
            for (std::size_t rest = i + 1; rest < files.size(); ++rest) {
                err << "corvane: " << files[rest] << ": not sent.\n";
            }
            break;
        }
    }
    return status;
}

} // namespace corvane
