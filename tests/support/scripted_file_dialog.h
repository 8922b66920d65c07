#pragma once

#include "file_dialog.h"

#include <QString>
#include <deque>
#include <optional>
#include <vector>

namespace corvane {

// A dialog for tests: each show records the settings it was given and takes the next
// scripted answer, a path or a cancel (std::nullopt). With no answer left it cancels.
class ScriptedFileDialog final : public FileDialog {
  public:
    struct Shown {
        bool save = false;
        QString title;
        int flags = 0;
        QString fileName;
        QString initDir;
    };

    std::deque<std::optional<QString>> answers;
    std::vector<Shown> shown;

    bool ShowOpen() override { return show(false); }
    bool ShowSave() override { return show(true); }

  private:
    bool show(bool save) {
        shown.push_back({save, DialogTitle, Flags, FileName, InitDir});
        if (answers.empty()) {
            return false;
        }
        const std::optional<QString> answer = answers.front();
        answers.pop_front();
        if (!answer) {
            return false;
        }
        accept(*answer);
        return true;
    }
};

} // namespace corvane
