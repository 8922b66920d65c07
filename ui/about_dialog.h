#pragma once

#include "busy_state.h"

#include <QDialog>
#include <optional>

namespace corvane {

// The About window: title, version and contact lines. It has no owner window; it holds the
// main window busy (disabled) while it is open and lets go however it closes (OK, Enter,
// Esc or the title bar). It deletes itself on closing, so each opening starts afresh.
class AboutDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(BusyIndicator& mainWindowBusy);

  public slots:
    void accept() override;
    // Esc and the title bar's close press OK, the window's cancel button.
    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::optional<BusyState> mainWindowBusy_;
};

} // namespace corvane
