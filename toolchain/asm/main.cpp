// asm83: assembles a TASM-dialect Z80 source into raw bytes (.bin), a TI-83 program (.83p)
// or a TI-83 Plus program (.8xp).
#include "assembler.h"
#include "include_files.h"

#include <atomic_file.h>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <native_path.h>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#endif

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: asm83 [-D NAME[=VALUE]]... [-I DIR]... [-n NAME] SOURCE OUTPUT\n"
    "  OUTPUT ending in .bin gets the raw bytes, .83p a TI-83 program, .8xp a TI-83 Plus "
    "program\n"
    "  #include files are looked up beside the including file, then in the -I folders, then\n"
    "  beside asm83 itself, where ion.inc ships, then in " CORVANE_SCRIPTS_FROM_PROGRAMS
    " from there\n";

// The folder asm83 runs from: ion.inc ships beside it. The system knows it; argv[0] is only
// the name it was started by, which may have been found through PATH.
std::string ownFolder(const char* argv0) {
    std::error_code error;
#ifdef _WIN32
    std::wstring self(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()))) ==
           self.size()) {
        self.resize(self.size() * 2);
    }
    self.resize(length);
    if (length > 0) {
        return corvane::narrow(self.substr(0, self.find_last_of(L"\\/")));
    }
#else
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        return self.parent_path().string();
    }
#endif
    return corvane::narrowPath(fs::absolute(corvane::nativePath(argv0), error).parent_path());
}

// The arguments in the libraries' narrow form. Windows hands a program its arguments in the
// ANSI code page, where a name in another alphabet has already lost letters; the wide
// command line has them all.
std::vector<std::string> arguments(int argc, char** argv) {
#ifdef _WIN32
    int count = 0;
    if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count); wide != nullptr) {
        std::vector<std::string> args;
        for (int i = 1; i < count; ++i) {
            args.push_back(corvane::narrow(wide[i]));
        }
        ::LocalFree(wide);
        return args;
    }
#endif
    return std::vector<std::string>(argv + 1, argv + argc);
}

int usage(const std::string& problem) {
    std::cerr << "asm83: " << problem << "\n" << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace corvane::asm83;
    AssemblyInput input;
    std::vector<std::string> includeDirs;
    std::vector<std::string> positional;
    std::string name;
    bool nameGiven = false;

    const std::vector<std::string> args = arguments(argc, argv);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
        const bool option =
            arg.size() >= 2 && arg[0] == '-' && (arg[1] == 'D' || arg[1] == 'I' || arg[1] == 'n');
        if (!option) {
            if (!arg.empty() && arg[0] == '-') {
                return usage("unknown option '" + arg + "'");
            }
            positional.push_back(arg);
            continue;
        }
        std::string value = arg.substr(2);
        if (value.empty()) {
            if (i + 1 >= args.size()) {
                return usage("option '" + arg + "' needs a value");
            }
            value = args[++i];
        }
        if (arg[1] == 'D') {
            const std::size_t equals = value.find('=');
            input.defines.emplace_back(value.substr(0, equals),
                                       equals == std::string::npos ? "" : value.substr(equals + 1));
        } else if (arg[1] == 'I') {
            includeDirs.push_back(value);
        } else {
            name = value;
            nameGiven = true;
        }
    }
    if (positional.size() != 2) {
        return usage("expected a SOURCE and an OUTPUT file");
    }
    const std::string& sourcePath = positional[0];
    const std::string& outputPath = positional[1];
    const std::optional<OutputForm> form = outputFormForPath(outputPath);
    if (!form) {
        return usage("the OUTPUT '" + outputPath + "' must end in .bin, .83p or .8xp");
    }

    std::string error;
    const std::optional<std::string> text = readWholeFile(sourcePath, error);
    if (!text) {
        std::cerr << "asm83: error: " << error << "\n";
        return 1;
    }
    input.sourcePath = sourcePath;
    input.sourceText = *text;
    input.form = *form;
    input.programName = nameGiven ? name : programNameForPath(outputPath);
    const std::string own = ownFolder(argv[0]);
    includeDirs.push_back(own);
    // An installed asm83 finds ion.inc in the editor's private folder.
    includeDirs.push_back(corvane::narrowPath(
        (corvane::nativePath(own) / CORVANE_SCRIPTS_FROM_PROGRAMS).lexically_normal()));
    input.resolveInclude = fileIncludeResolver(includeDirs);

    const AssemblyResult result = assemble(input);
    for (const std::string& message : result.messages) {
        std::cerr << message << "\n";
    }
    if (!result.ok()) {
        std::cerr << "asm83: " << result.errorCount << " error(s); " << outputPath
                  << " not written\n";
        return 1;
    }
    error = corvane::writeFileAtomically(outputPath, result.output);
    if (!error.empty()) {
        std::cerr << "asm83: error: " << error << "\n";
        return 1;
    }
    return 0;
}
