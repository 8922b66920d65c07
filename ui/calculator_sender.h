#pragma once

#include "calculator_link.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

class QProgressDialog;
class QThread;
class QWidget;

namespace corvane {

class FileDialog;

// Asks the user for the cable and the calculator, proposing `proposed`; empty on Cancel. The
// TI-84 Plus CE is offered with its direct USB cable only.
std::optional<link::Probed> chooseConnection(QWidget* parent, const link::Probed& proposed);

// The "Send to calculator" command: finds or asks for the cable and the calculator (the
// choice is kept as long as the sender lives), sends the program on a worker thread behind
// a progress dialog with Cancel, and shows one message for each way it can fail.
class CalculatorSender final : public QObject {
    Q_OBJECT

  public:
    using WarningSink = std::function<void(const QString& message)>;

    // How the sender reaches the cables and asks the user; the real ones unless replaced.
    struct Services {
        std::function<std::optional<link::Probed>()> probe = link::probe;
        std::function<std::optional<link::Probed>(QWidget*, const link::Probed&)> choose =
            chooseConnection;
    };

    CalculatorSender(QWidget& window, WarningSink warn, Services services);
    // Cancels a transfer still running and waits for it.
    ~CalculatorSender() override;

    // Sends the program for the chosen calculator among `ti83` and `ti83Plus` (the files the
    // window delivered last, empty when none), or asks for a file through `dialog`, opened in
    // `folder`; for a CE the file is always asked for.
    void send(const QString& ti83, const QString& ti83Plus, FileDialog& dialog,
              const QString& folder);
    bool sending() const { return thread_ != nullptr; }
    void cancel() { cancel_ = true; }

  signals:
    // The transfer has ended and its message, if any, has been shown.
    void finished();

  private:
    std::optional<link::Probed> connection();
    std::optional<QString> programFile(const QString& delivered, FileDialog& dialog,
                                       const QString& folder) const;
    void start(const QString& path, const link::Probed& connection);
    void showProgress(std::size_t sent, std::size_t total);
    void end();

    QWidget& window_;
    WarningSink warn_;
    Services services_;
    std::optional<link::Probed> remembered_;

    QThread* thread_ = nullptr;
    QPointer<QProgressDialog> progress_;
    std::atomic<bool> cancel_ = false;
    link::SendResult result_;
    QString program_;
};

} // namespace corvane
