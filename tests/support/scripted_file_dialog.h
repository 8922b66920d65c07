#pragma once

#include "file_dialog.h"

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace corvane {

// A dialog for tests: each question records what it was asked and takes the next scripted
// answer, a path or a cancel (std::nullopt). With no answer left it cancels.
class ScriptedFileDialog final : public FileDialog {
  public:
    struct Shown {
        bool save = false;
        QString title;
        QString folder;
        QString proposedName; // empty for an open
        QString filter;
    };

    std::deque<std::optional<QString>> answers;
    std::vector<Shown> shown;

    std::optional<QString> chooseOpen(const QString& title, const QString& folder,
                                      const QString& filters) override {
        shown.push_back({false, title, folder, {}, filters});
        return next();
    }
    std::optional<QString> chooseSave(const QString& title, const QString& folder,
                                      const QString& proposedName) override {
        shown.push_back({true, title, folder, proposedName, kTextFileFilters});
        return next();
    }

  private:
    std::optional<QString> next() {
        if (answers.empty()) {
            return std::nullopt;
        }
        const std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace corvane
