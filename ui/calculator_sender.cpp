#include "calculator_sender.h"

#include "desktop.h"
#include "file_dialog.h"
#include "program_icon.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QProgressDialog>
#include <QThread>

namespace corvane {

namespace {

QString text(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Sets the application's hourglass for a scope, on every path out.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The model box's entry for the TI-84 Plus CE, which is no row of the model table: its programs
// are TI-83 Plus files and it takes them over its direct USB cable only.
constexpr int kCeEntry = -1;

} // namespace

std::optional<link::Probed> chooseConnection(QWidget* parent, const link::Probed& proposed) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("connectionDialog"));
    dialog.setWindowTitle(QStringLiteral("Send to calculator"));
    dialog.setWindowIcon(programIcon());

    auto* cables = new QComboBox(&dialog);
    cables->setObjectName(QStringLiteral("cableBox"));
    for (const link::Cable cable : link::userCables()) {
        cables->addItem(text(link::cableTitle(cable)), static_cast<int>(cable));
    }
    cables->setCurrentIndex(std::max(0, cables->findData(static_cast<int>(proposed.cable.cable))));
    auto* models = new QComboBox(&dialog);
    models->setObjectName(QStringLiteral("modelBox"));
    for (const ModelFacts& facts : kModels) {
        models->addItem(text(facts.name), static_cast<int>(facts.model));
    }
    models->addItem(text(link::calculatorTitle(CalculatorModel::TI83Plus, true)), kCeEntry);
    models->setCurrentIndex(
        models->findData(proposed.ce ? kCeEntry : static_cast<int>(proposed.model)));
    const auto followModel = [cables, models] {
        const bool ce = models->currentData().toInt() == kCeEntry;
        if (ce) {
            cables->setCurrentIndex(cables->findData(static_cast<int>(link::Cable::DirectUsb)));
        }
        cables->setEnabled(!ce);
    };
    followModel();
    QObject::connect(models, &QComboBox::currentIndexChanged, &dialog, followModel);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("&Cable:"), cables);
    form->addRow(QStringLiteral("C&alculator:"), models);
    form->addRow(buttons);

    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const link::CableChoice cable{static_cast<link::Cable>(cables->currentData().toInt()), 1};
    if (models->currentData().toInt() == kCeEntry) {
        return link::Probed{cable, CalculatorModel::TI83Plus, true};
    }
    return link::Probed{cable, static_cast<CalculatorModel>(models->currentData().toInt())};
}

CalculatorSender::CalculatorSender(QWidget& window, WarningSink warn, Services services)
    : window_(window), warn_(std::move(warn)), services_(std::move(services)) {}

CalculatorSender::~CalculatorSender() {
    if (thread_ != nullptr) {
        cancel_ = true;
        thread_->wait();
        delete thread_;
    }
}

void CalculatorSender::send(const QString& ti83, const QString& ti83Plus, FileDialog& dialog,
                            const QString& folder) {
    if (sending()) {
        if (progress_ != nullptr) {
            progress_->raise();
            progress_->activateWindow();
        }
        return;
    }
    if (!link::sendingUnavailable().empty()) {
        warn_(text(link::sendingUnavailable()));
        return;
    }
    const std::optional<link::Probed> chosen = connection();
    if (!chosen) {
        return;
    }
    // The programs Compile for ion delivers are no programs for the CE: its file is asked for.
    const QString delivered = chosen->ce                               ? QString()
                              : chosen->model == CalculatorModel::TI83 ? ti83
                                                                       : ti83Plus;
    const std::optional<QString> path = programFile(delivered, dialog, folder);
    if (path) {
        start(*path, *chosen);
    }
}

std::optional<link::Probed> CalculatorSender::connection() {
    if (!remembered_) {
        std::optional<link::Probed> found;
        {
            const WaitCursor hourglass;
            found = services_.probe();
        }
        remembered_ = found ? found
                            : services_.choose(&window_, {{link::Cable::SilverLink, 1},
                                                          CalculatorModel::TI83Plus});
    }
    return remembered_;
}

std::optional<QString> CalculatorSender::programFile(const QString& delivered, FileDialog& dialog,
                                                     const QString& folder) const {
    if (!delivered.isEmpty() && QFileInfo::exists(delivered)) {
        return delivered;
    }
    return dialog.chooseOpen(tr("Send a program to the calculator"), folder,
                             QStringLiteral("Calculator programs (*.83p *.8xp)"));
}

void CalculatorSender::start(const QString& path, const link::Probed& connection) {
    program_ = QFileInfo(path).fileName();
    cancel_ = false;
    progress_ = new QProgressDialog(
        QStringLiteral("Sending %1 to the %2…")
            .arg(program_, text(link::calculatorTitle(connection.model, connection.ce))),
        QStringLiteral("Cancel"), 0, 100, &window_);
    progress_->setObjectName(QStringLiteral("sendProgress"));
    progress_->setWindowTitle(QStringLiteral("Send to calculator"));
    progress_->setAttribute(Qt::WA_DeleteOnClose);
    // The window stays usable: the transfer runs on its own thread.
    progress_->setWindowModality(Qt::NonModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    progress_->setValue(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] {
        cancel_ = true;
        if (progress_ != nullptr) {
            progress_->setLabelText(QStringLiteral("Cancelling…"));
        }
    });

    const link::SendRequest request{toLibraryPath(path), connection.cable, connection.model, 5,
                                    connection.ce};
    thread_ = QThread::create([this, request] {
        link::SendEvents events;
        events.cancel = &cancel_;
        events.progress = [this](std::size_t sent, std::size_t total) {
            QMetaObject::invokeMethod(
                this, [this, sent, total] { showProgress(sent, total); }, Qt::QueuedConnection);
        };
        result_ = link::sendProgram(request, events);
    });
    connect(thread_, &QThread::finished, this, &CalculatorSender::end);
    thread_->start();
}

void CalculatorSender::showProgress(std::size_t sent, std::size_t total) {
    if (progress_ != nullptr && total > 0) {
        progress_->setValue(static_cast<int>(sent * 100 / total));
    }
}

void CalculatorSender::end() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    const bool cancelled = cancel_;
    if (progress_ != nullptr) {
        // Closing a progress dialog counts as its Cancel; this close is none.
        progress_->disconnect(this);
        progress_->close();
    }
    if (!result_.ok()) {
        // A cable or calculator that is not there may be another one next time.
        if (result_.failure == link::Failure::NoCable ||
            result_.failure == link::Failure::NoAnswer) {
            remembered_.reset();
        }
        warn_(fromLibraryMessage(result_.message));
    } else if (cancelled) {
        warn_(QStringLiteral("The cancel came too late: %1 had already arrived on the "
                             "calculator.")
                  .arg(program_));
    }
    emit finished();
}

} // namespace corvane
