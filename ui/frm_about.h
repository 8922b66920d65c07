#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

// The About window: title, version and contact lines. It has no owner window; the main
// window is disabled while it is open and enabled again however it closes (OK, Enter,
// Esc or the title bar). It deletes itself on closing, so each opening starts afresh.
class frmAbout final : public QDialog {
    Q_OBJECT

  public:
    explicit frmAbout(QWidget& mainWindow);

  public slots:
    void cmdOK_Click();
    // Esc and the title bar's close press OK, the window's cancel button.
    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget& mainWindow_;
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLineEdit* txtsite = nullptr;
    QLineEdit* TxtMail = nullptr;
    QLineEdit* TxtIcq = nullptr;
    QPushButton* cmdOK = nullptr;
};

} // namespace corvane
