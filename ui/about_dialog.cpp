#include "about_dialog.h"

#include "object_names.h"
#include "program_icon.h"
#include "twips.h"
#include "version.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace corvane {

AboutDialog::AboutDialog(BusyIndicator& mainWindowBusy) : QDialog(nullptr) {
    mainWindowBusy_.emplace(mainWindowBusy, Hourglass::None, true);
    setObjectName(QLatin1String(objectName::kAboutWindow));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("A propos de l'editeur de texte"));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(5730), twips(2910));

    const auto place = [this](QWidget* control, const char* name, QRect twipsRect) {
        control->setParent(this);
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(fromTwips(twipsRect));
    };
    const auto contact = [&](const char* name, const char* text, int top) {
        auto* field = new QLineEdit(QString::fromLatin1(text));
        place(field, name, {240, top, 5055, 285});
        field->setReadOnly(true);
        field->setFrame(false);
        // Selectable and copyable, but looking like part of the dialog's background.
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        field->setPalette(palette);
    };

    auto* icon = new QLabel;
    place(icon, objectName::kAboutIcon, {240, 240, 480, 480});
    icon->setPixmap(programPicture());
    auto* title = new QLabel(QStringLiteral("Corvane"));
    place(title, objectName::kAboutTitle, {1050, 240, 3885, 480});
    QPalette black = title->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    title->setPalette(black);
    auto* version = new QLabel(tr("Version ") + QLatin1String(kVersion));
    place(version, objectName::kAboutVersion, {1050, 780, 3885, 225});
    contact(objectName::kAboutSite, "https://corvane.example.org", 1200);
    contact(objectName::kAboutMail, "corvane@example.org", 1440);
    contact(objectName::kAboutIcq, "ICQ 000000000", 1680);
    auto* okButton = new QPushButton(tr("OK"));
    place(okButton, objectName::kAboutOk, {4245, 2265, 1260, 345});
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &AboutDialog::accept);

    // The focus cycle is the order of creation: the contact lines, then OK.
    okButton->setFocus();
}

void AboutDialog::accept() {
    mainWindowBusy_.reset();
    done(QDialog::Accepted);
}

void AboutDialog::reject() {
    accept();
}

void AboutDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The engraved rule between the contact lines and the button: a grey line with a
    // wider white one drawn over its lower edge.
    QPainter painter(this);
    const int right = twips(5654);
    painter.fillRect(twips(90), twips(2085), right - twips(90) + 1, 1, QColor(128, 128, 128));
    painter.fillRect(twips(105), twips(2100), right - twips(105) + 1, 2, Qt::white);
}

} // namespace corvane
