#include "frm_about.h"

#include "program_icon.h"
#include "twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace corvane {

frmAbout::frmAbout(QWidget& mainWindow) : QDialog(nullptr), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("A propos de l'editeur de texte"));
    setWindowIcon(programIcon());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(5730), twips(2910));

    const auto place = [this](QWidget* control, const char* name, QRect twipsRect) {
        control->setParent(this);
        control->setObjectName(QString::fromLatin1(name));
        control->setGeometry(fromTwips(twipsRect));
    };
    const auto contact = [&](QLineEdit*& field, const char* name, const char* text, int top) {
        field = new QLineEdit(QString::fromLatin1(text));
        place(field, name, {240, top, 5055, 285});
        field->setReadOnly(true);
        field->setFrame(false);
        // Selectable and copyable, but looking like part of the dialog's background.
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        field->setPalette(palette);
    };

    picIcon = new QLabel;
    place(picIcon, "picIcon", {240, 240, 480, 480});
    picIcon->setPixmap(programPicture());
    lblTitle = new QLabel(QStringLiteral("Corvane"));
    place(lblTitle, "lblTitle", {1050, 240, 3885, 480});
    QPalette black = lblTitle->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lblTitle->setPalette(black);
    lblVersion = new QLabel(QStringLiteral("Version 0.6a"));
    place(lblVersion, "lblVersion", {1050, 780, 3885, 225});
    contact(txtsite, "txtsite", "https://corvane.example.org", 1200);
    contact(TxtMail, "TxtMail", "corvane@example.org", 1440);
    contact(TxtIcq, "TxtIcq", "ICQ 000000000", 1680);
    cmdOK = new QPushButton(QStringLiteral("OK"));
    place(cmdOK, "cmdOK", {4245, 2265, 1260, 345});
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    QWidget::setTabOrder(cmdOK, txtsite);
    QWidget::setTabOrder(txtsite, TxtMail);
    QWidget::setTabOrder(TxtMail, TxtIcq);
    cmdOK->setFocus();
}

void frmAbout::cmdOK_Click() {
    mainWindow_.setEnabled(true);
    done(QDialog::Accepted);
}

void frmAbout::reject() {
    cmdOK_Click();
}

void frmAbout::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    // The engraved rule between the contact lines and the button: a grey line with a
    // wider white one drawn over its lower edge.
    QPainter painter(this);
    const int right = twips(5654);
    painter.fillRect(twips(90), twips(2085), right - twips(90) + 1, 1, QColor(128, 128, 128));
    painter.fillRect(twips(105), twips(2100), right - twips(105) + 1, 2, Qt::white);
}

} // namespace corvane
