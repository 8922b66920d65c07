#include "calculator_link.h"

#include "native_path.h"
#include "send_checks.h"
#include "system_error.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

namespace corvane::link {

namespace {

struct CableInfo {
    Cable cable;
    std::string_view name;
    std::string_view title;
};

constexpr std::array kCables{
    CableInfo{Cable::SilverLink, "silverlink", "SilverLink (USB)"},
    CableInfo{Cable::GreyLink, "grey", "Grey link (serial)"},
    CableInfo{Cable::BlackLink, "black", "Black link (serial)"},
    CableInfo{Cable::DirectUsb, "usb", "Direct USB link (TI-84 Plus, TI-84 Plus CE)"},
    CableInfo{Cable::Virtual, "virtual", "Virtual link (emulator)"},
};

const CableInfo& infoOf(Cable cable) {
    for (const auto& info : kCables) {
        if (info.cable == cable) {
            return info;
        }
    }
    return kCables.front();
}

// A program file holds at most one 64 KiB variable and its headers.
constexpr std::uintmax_t kLargestProgramFile = 70000;

// The file's bytes, or the reason they cannot be sent.
std::optional<std::string> readProgramFile(const std::string& path, std::string& error) {
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(nativePath(path), code);
    if (code) {
        error = path + ": cannot be read: " + code.message();
        return std::nullopt;
    }
    if (size > kLargestProgramFile) {
        error = path + " is too large to be a calculator program (" + std::to_string(size) +
                " bytes); nothing was sent.";
        return std::nullopt;
    }
    std::ifstream in(nativePath(path), std::ios::binary);
    std::string bytes;
    char block[4096];
    while (in.read(block, sizeof block) || in.gcount() > 0) {
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    }
    if (!in.eof()) {
        error = describeSystemError(path, "cannot be read");
        return std::nullopt;
    }
    return bytes;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::string noCableMessage(const CableChoice& choice) {
    std::string message = "No link cable was found: the " + std::string(cableTitle(choice.cable)) +
                          " on port " + std::to_string(choice.port) + " could not be opened.";
    if (!deviceAccessHint().empty()) {
        message += "\n\n" + std::string(deviceAccessHint());
    }
    return message;
}

std::optional<tifile::ProgramFile> checkedProgram(const SendRequest& request, SendResult& refusal) {
    const auto refuse = [&refusal](Failure failure, std::string message) {
        refusal = {failure, std::move(message)};
        return std::nullopt;
    };
    const std::string fileName = narrowPath(nativePath(request.path).filename());
    std::string readError;
    const std::optional<std::string> bytes = readProgramFile(request.path, readError);
    if (!bytes) {
        return refuse(Failure::BadFile, readError);
    }
    const tifile::Parsed parsed = tifile::parseProgramFile(*bytes);
    if (!parsed.file) {
        return refuse(Failure::BadFile, fileName + " cannot be sent: " + parsed.error);
    }
    const tifile::ProgramFile& file = *parsed.file;
    if (file.storedChecksum != file.computedChecksum) {
        return refuse(Failure::BadFile, fileName + " is damaged (its checksum does not match "
                                                   "its contents); nothing was sent.");
    }
    // The link library tells a program file by its name: any other extension is refused.
    const std::string_view expected = factsOf(file.model).extension;
    const std::string extension = narrowPath(nativePath(request.path).extension());
    if (!equalsIgnoringCase(extension, expected)) {
        const std::string renamed =
            narrowPath(nativePath(request.path).stem()) + std::string(expected);
        return refuse(Failure::BadFile,
                      fileName + " holds a " + std::string(factsOf(file.model).name) +
                          " program, but only files named " + std::string(expected) +
                          " can be sent as one; nothing was sent. Rename it to " + renamed +
                          " and send that.");
    }
    if (request.ce && request.cable.cable != Cable::DirectUsb) {
        return refuse(Failure::OtherModel,
                      "The TI-84 Plus CE takes programs over its direct USB cable only (" +
                          std::string(cableTitle(Cable::DirectUsb)) + "), not the " +
                          std::string(cableTitle(request.cable.cable)) + "; nothing was sent.");
    }
    if (request.ce && file.model == CalculatorModel::TI83Plus &&
        file.body.starts_with("\xBB\x6D")) {
        return refuse(Failure::OtherModel,
                      fileName + " is an assembly program, which the TI-84 Plus CE does not run; "
                                 "nothing was sent. Send the TI-BASIC program (-ce.8xp) instead.");
    }
    if (file.model != request.model) {
        return refuse(Failure::OtherModel,
                      fileName + " is a program for the " + std::string(factsOf(file.model).name) +
                          ", but the calculator chosen is a " +
                          std::string(calculatorTitle(request.model, request.ce)) +
                          "; nothing was sent. Send the " +
                          std::string(factsOf(request.model).extension) + " program to a " +
                          std::string(calculatorTitle(request.model, request.ce)) + ".");
    }
    return file;
}

const std::vector<Cable>& userCables() {
    static const std::vector<Cable> cables{Cable::SilverLink, Cable::GreyLink, Cable::BlackLink,
                                           Cable::DirectUsb};
    return cables;
}

std::string_view cableTitle(Cable cable) {
    return infoOf(cable).title;
}

std::optional<Cable> cableFromName(std::string_view name) {
    for (const auto& info : kCables) {
        if (info.name == name) {
            return info.cable;
        }
    }
    return std::nullopt;
}

std::string_view calculatorTitle(CalculatorModel model, bool ce) {
    return ce ? "TI-84 Plus CE" : factsOf(model).name;
}

std::string_view deviceAccessHint() {
#ifdef __linux__
    return "On Linux the cable's device must be open to you. Debian's libticables2-8 package "
           "installs the udev rule /lib/udev/rules.d/69-libticables2-8.rules, which gives the "
           "user at the desktop access to TI cables: install it, then unplug the cable and plug "
           "it in again. The serial links also need membership of the dialout group.";
#else
    return {};
#endif
}

} // namespace corvane::link
