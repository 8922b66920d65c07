#include "process_launcher.h"

#include <algorithm>
#include <cctype>
#include <path.h>

namespace corvane {

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

bool isDriveLine(std::string_view line) {
    return line.size() == 2 && std::isalpha(static_cast<unsigned char>(line[0])) && line[1] == ':';
}

// "cd" in any letter case, alone or followed by a blank.
bool isChangeFolder(std::string_view line) {
    return line.size() >= 2 && std::tolower(static_cast<unsigned char>(line[0])) == 'c' &&
           std::tolower(static_cast<unsigned char>(line[1])) == 'd' &&
           (line.size() == 2 || line[2] == ' ');
}

bool isAbsolute(std::string_view path) {
#ifdef _WIN32
    // "C:\folder", "\\server\share" and "\folder" do not depend on the current folder.
    return (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
           (!path.empty() && (path.front() == '\\' || path.front() == '/'));
#else
    return !path.empty() && path.front() == '/';
#endif
}

std::string resolve(const std::string& folder, std::string_view path) {
    if (isAbsolute(path)) {
        return std::string(path);
    }
    return joinPath(folder, path);
}

} // namespace

BatchPlan planBatch(const std::vector<std::string>& lines, const std::string& startFolder) {
    BatchPlan plan;
    plan.folder = startFolder;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        std::string_view line = lines[index];
        if (!line.empty() && line.front() == '@') {
            line.remove_prefix(1);
        }
        if (line.empty() || isDriveLine(line)) {
            continue;
        }
        if (isChangeFolder(line)) {
            // A bare "cd" only shows the folder.
            if (line.size() > 3) {
                plan.folder = resolve(plan.folder, line.substr(3));
            }
            continue;
        }
        if (endsWithIgnoringCase(line, ".bat") && line.find(' ') == std::string_view::npos) {
            plan.script = std::string(line);
            return plan;
        }
        plan.error =
            "line " + std::to_string(index + 1) + " cannot be carried out: " + std::string(line);
        return plan;
    }
    return plan;
}

} // namespace corvane
