#pragma once

#include "basic_build.h"
#include "reader_program.h"
#include "screen_model.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace corvane {

class ScreenView;
class TextBox;

// The preview: the screens the program will show, drawn as the calculator draws them, one
// at a time, following the main window's text while the user types. It shows either kind of
// program: the ION program of Compile for ion, or the reader (nine lines a screen, a status
// row, the text in parts when it is long), or the TI-BASIC program on the colour or the
// monochrome models' home screen (a fixed grid of characters). It lays the text out in memory with
// the build's own layout and character map and writes no file.
class PreviewWindow final : public QWidget {
    Q_OBJECT

  public:
    // The main window's fields the preview follows.
    struct Sources {
        const TextBox* text;
        const QLineEdit* programName;
        const QLineEdit* calculatorFileName;
        // The document's folder, where the choice of a folder for pictures starts.
        std::function<QString()> documentFolder;
    };
    // Asks for the folder the pictures go to, starting in the one given; an empty answer is
    // a cancel.
    using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;
    // Asks a yes-or-no question; true for yes.
    using Confirmation = std::function<bool(QWidget* parent, const QString& question)>;
    using WarningSink = std::function<void(const QString& message)>;

    static constexpr int kDefaultZoom = 3;
    // How long the preview waits after the last change before it lays the text out again.
    static constexpr int kFollowDelayMs = 150;

    explicit PreviewWindow(Sources sources, QWidget* parent = nullptr);

    // The dialogs of Save screens as PNG; Qt's own until replaced (tests script them).
    void setDialogs(FolderChooser chooseFolder, Confirmation confirm, WarningSink warn);

    enum class Kind { IonProgram, Reader, ColourHome, MonochromeHome };

    CalculatorModel model() const { return model_; }
    Kind kind() const { return kind_; }
    int screenIndex() const { return index_; }
    int screenCount() const;
    // The reader's parts, as the build would make them with the part size given.
    const std::vector<ReaderPart>& readerParts() const { return readerParts_; }
    void setReaderPartBytes(std::size_t bytes);
    // The TI-BASIC program's plan for the home-screen kinds; empty for the others.
    const BasicPlan& basicPlan() const { return basicPlan_; }
    // Every screen, laid out when first asked for after a change; empty for the home-screen
    // kinds, whose screens are the plan's.
    const std::vector<Screen>& screens() const;
    const std::string& titleCodes() const { return title_; }
    int zoom() const;
    // The shown screen as drawn, at the zoom.
    QImage picture() const;

  public slots:
    // Lays the text out again now, instead of after the follow delay.
    void refresh();
    void setModel(CalculatorModel model);
    void setKind(Kind kind);
    void showScreen(int index);
    void firstScreen() { showScreen(0); }
    void previousScreen() { showScreen(index_ - 1); }
    void nextScreen() { showScreen(index_ + 1); }
    void lastScreen() { showScreen(screenCount() - 1); }
    // Save screens as PNG: one picture per screen, at the zoom, in a folder the user chooses,
    // named after the calculator file name and the screen's number: story-1.png, story-2.png...
    bool saveScreens();

  signals:
    // Every picture of Save screens as PNG was written, to these paths.
    void screensSaved(const QStringList& paths);
    // The screens were laid out again and the shown one repainted.
    void refreshed();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void textChanged();
    void screensChanged();
    void showPage();
    // The screen that holds the text cursor's line.
    int cursorScreen() const;
    Screen screenAt(std::size_t index) const;
    void planReader();
    void planBasic();
    bool homeScreens() const { return kind_ == Kind::ColourHome || kind_ == Kind::MonochromeHome; }
    // The tokens of the home screen `index` of the plan, across its parts.
    std::span<const BasicToken> homeScreenAt(std::size_t index) const;
    QImage pictureAt(std::size_t index, int zoom) const;

    Sources sources_;
    FolderChooser chooseFolder_;
    Confirmation confirm_;
    WarningSink warn_;
    CalculatorModel model_ = CalculatorModel::TI83Plus;
    Kind kind_ = Kind::IonProgram;
    std::size_t readerPartBytes_ = kReaderDefaultPartBytes;
    std::vector<ReaderPart> readerParts_;
    BasicPlan basicPlan_;

    std::vector<std::string> lines_;
    std::vector<std::size_t> firstLineOfEach_;
    std::size_t linesShown_ = 0;
    Screen shown_;
    mutable std::optional<std::vector<Screen>> screens_;
    std::string title_;
    int index_ = 0;
    bool followCursor_ = false;

    QTimer* followTimer_ = nullptr;
    ScreenView* view_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QLabel* linesLabel_ = nullptr;
    QPushButton* firstButton_ = nullptr;
    QPushButton* previousButton_ = nullptr;
    QPushButton* nextButton_ = nullptr;
    QPushButton* lastButton_ = nullptr;
    QRadioButton* ti83Button_ = nullptr;
    QRadioButton* ti83PlusButton_ = nullptr;
    QRadioButton* ionProgramButton_ = nullptr;
    QRadioButton* readerButton_ = nullptr;
    QRadioButton* colourHomeButton_ = nullptr;
    QRadioButton* monochromeHomeButton_ = nullptr;
};

} // namespace corvane
