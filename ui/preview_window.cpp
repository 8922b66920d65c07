#include "preview_window.h"

#include "calculator_fit.h"
#include "calculator_font.h"
#include "editor_text.h"
#include "layout.h"
#include "program_icon.h"
#include "screen_picture.h"
#include "small_font.h"
#include "source_writer.h"
#include "text_box.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace corvane {

namespace {

// The view in screen pixels: the title as the shell lists it, a gap, then the screen.
constexpr int kTitleGap = 2;
constexpr int kViewRows = kGlyphRows + kTitleGap + kScreenHeight;

QString chooseFolderWithQt(QWidget* parent, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Save screens as PNG"), start);
}

bool confirmWithQt(QWidget* parent, const QString& question) {
    return QMessageBox::question(parent, QStringLiteral("Corvane"), question) == QMessageBox::Yes;
}

void warnWithQt(const QString& message) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Corvane"), message, QMessageBox::Ok);
    box.setWindowIcon(programIcon());
    box.exec();
}

} // namespace

// Paints the title and the shown screen at the largest whole zoom the widget's size allows.
class ScreenView final : public QWidget {
  public:
    explicit ScreenView(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("screenView"));
        setMinimumSize(kScreenWidth, kViewRows);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

    void show(const Screen* screen, const std::string& title) {
        // Drawn once here at one pixel per pixel; the paint only scales them.
        screenImage_ = screenPicture(*screen, 1);
        titleImage_ = titlePicture(title, 1);
        update();
    }

    // A home screen: no shell lists it, so no title above it.
    void showHome(QImage screen) {
        screenImage_ = std::move(screen);
        titleImage_ = QImage();
        update();
    }

    int zoom() const {
        const int titleRows = titleImage_.isNull() ? 0 : kGlyphRows + kTitleGap;
        return std::max(1, std::min(width() / screenImage_.width(),
                                    height() / (screenImage_.height() + titleRows)));
    }

    QSize sizeHint() const override {
        return {kScreenWidth * PreviewWindow::kDefaultZoom,
                kViewRows * PreviewWindow::kDefaultZoom};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const int z = zoom();
        const int titleRows = titleImage_.isNull() ? 0 : kGlyphRows + kTitleGap;
        const QPoint origin((width() - screenImage_.width() * z) / 2,
                            (height() - (screenImage_.height() + titleRows) * z) / 2);
        QPainter painter(this);
        // Without smooth transformation every screen pixel becomes a sharp z x z square.
        if (!titleImage_.isNull()) {
            painter.drawImage(QRect(origin, titleImage_.size() * z), titleImage_);
        }
        painter.drawImage(QRect(origin + QPoint(0, titleRows * z), screenImage_.size() * z),
                          screenImage_);
    }

  private:
    QImage screenImage_;
    QImage titleImage_;
};

PreviewWindow::PreviewWindow(Sources sources, QWidget* parent)
    : QWidget(parent, Qt::Window), sources_(sources), chooseFolder_(chooseFolderWithQt),
      confirm_(confirmWithQt), warn_(warnWithQt) {
    setObjectName(QStringLiteral("preview"));
    // Closing the main window ends the program even while the preview is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Corvane: Preview"));
    setWindowIcon(programIcon());

    view_ = new ScreenView(this);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("page"));
    pageLabel_->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest document's count, so that paging never clips it.
    pageLabel_->setMinimumWidth(
        pageLabel_->fontMetrics().horizontalAdvance(tr("Screen %1 of %2").arg(9999).arg(9999)));
    linesLabel_ = new QLabel(this);
    linesLabel_->setObjectName(QStringLiteral("lines"));
    linesLabel_->setWordWrap(true);

    const auto button = [this](QPushButton*& made, const char* name, const QString& caption,
                               const QKeySequence& key, void (PreviewWindow::*slot)()) {
        made = new QPushButton(caption, this);
        made->setObjectName(QString::fromLatin1(name));
        made->setToolTip(key.toString(QKeySequence::NativeText));
        made->setFocusPolicy(Qt::NoFocus);
        connect(made, &QPushButton::clicked, this, slot);
        connect(new QShortcut(key, this), &QShortcut::activated, this, slot);
    };
    button(firstButton_, "first", QStringLiteral("First"), QKeySequence(Qt::Key_Home),
           &PreviewWindow::firstScreen);
    button(previousButton_, "previous", QStringLiteral("Previous"), QKeySequence(Qt::Key_PageUp),
           &PreviewWindow::previousScreen);
    button(nextButton_, "next", QStringLiteral("Next"), QKeySequence(Qt::Key_PageDown),
           &PreviewWindow::nextScreen);
    button(lastButton_, "last", QStringLiteral("Last"), QKeySequence(Qt::Key_End),
           &PreviewWindow::lastScreen);

    ti83Button_ = new QRadioButton(QStringLiteral("TI-83"), this);
    ti83Button_->setObjectName(QStringLiteral("ti83"));
    ti83PlusButton_ = new QRadioButton(QStringLiteral("TI-83 Plus"), this);
    ti83PlusButton_->setObjectName(QStringLiteral("ti83Plus"));
    ti83PlusButton_->setChecked(true);
    connect(ti83Button_, &QRadioButton::toggled, this,
            [this](bool on) { setModel(on ? CalculatorModel::TI83 : CalculatorModel::TI83Plus); });
    ionProgramButton_ = new QRadioButton(QStringLiteral("ION program"), this);
    ionProgramButton_->setObjectName(QStringLiteral("ionProgram"));
    ionProgramButton_->setChecked(true);
    readerButton_ = new QRadioButton(QStringLiteral("Reader"), this);
    readerButton_->setObjectName(QStringLiteral("reader"));
    colourHomeButton_ = new QRadioButton(QStringLiteral("TI-BASIC (CE)"), this);
    colourHomeButton_->setObjectName(QStringLiteral("colourHome"));
    monochromeHomeButton_ = new QRadioButton(QStringLiteral("TI-BASIC (TI-84 Plus)"), this);
    monochromeHomeButton_->setObjectName(QStringLiteral("monochromeHome"));
    const auto kindButton = [this](QRadioButton* choice, Kind kind) {
        connect(choice, &QRadioButton::toggled, this, [this, kind](bool on) {
            if (on) {
                setKind(kind);
            }
        });
    };
    kindButton(ionProgramButton_, Kind::IonProgram);
    kindButton(readerButton_, Kind::Reader);
    kindButton(colourHomeButton_, Kind::ColourHome);
    kindButton(monochromeHomeButton_, Kind::MonochromeHome);
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(ionProgramButton_);
    kinds->addButton(readerButton_);
    kinds->addButton(colourHomeButton_);
    kinds->addButton(monochromeHomeButton_);
    auto* models = new QButtonGroup(this);
    models->addButton(ti83Button_);
    models->addButton(ti83PlusButton_);
    // Escape and Ctrl+W close the preview, as they close a dialog or a document's window.
    for (const QKeySequence& key :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, &QWidget::close);
    }
    auto* save = new QPushButton(QStringLiteral("Save screens as PNG..."), this);
    save->setObjectName(QStringLiteral("savePng"));
    connect(save, &QPushButton::clicked, this, &PreviewWindow::saveScreens);

    auto* paging = new QHBoxLayout;
    paging->addWidget(firstButton_);
    paging->addWidget(previousButton_);
    paging->addWidget(pageLabel_, 1);
    paging->addWidget(nextButton_);
    paging->addWidget(lastButton_);
    auto* options = new QHBoxLayout;
    options->addWidget(ti83Button_);
    options->addWidget(ti83PlusButton_);
    options->addSpacing(12);
    options->addWidget(ionProgramButton_);
    options->addWidget(readerButton_);
    options->addWidget(colourHomeButton_);
    options->addWidget(monochromeHomeButton_);
    options->addStretch(1);
    options->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addWidget(linesLabel_);
    layout->addLayout(paging);
    layout->addLayout(options);
    // The window grows and shrinks by whole steps of the zoom.
    setSizeIncrement(kScreenWidth, kViewRows);

    followTimer_ = new QTimer(this);
    followTimer_->setSingleShot(true);
    followTimer_->setInterval(kFollowDelayMs);
    connect(followTimer_, &QTimer::timeout, this, [this] {
        followCursor_ = true;
        refresh();
    });
    connect(sources_.text->document(), &QTextDocument::contentsChanged, this,
            &PreviewWindow::textChanged);
    connect(sources_.programName, &QLineEdit::textChanged, this, &PreviewWindow::textChanged);
    connect(sources_.calculatorFileName, &QLineEdit::textChanged, this,
            &PreviewWindow::textChanged);
    refresh();
}

void PreviewWindow::setDialogs(FolderChooser chooseFolder, Confirmation confirm, WarningSink warn) {
    chooseFolder_ = std::move(chooseFolder);
    confirm_ = std::move(confirm);
    warn_ = std::move(warn);
}

int PreviewWindow::zoom() const {
    return view_->zoom();
}

QImage PreviewWindow::picture() const {
    return pictureAt(static_cast<std::size_t>(index_), zoom());
}

QImage PreviewWindow::pictureAt(std::size_t index, int zoom) const {
    if (homeScreens()) {
        return homeScreenPicture(
            homeScreenAt(index),
            kind_ == Kind::ColourHome ? kColourHomeScreen : kMonochromeHomeScreen, zoom);
    }
    return screenPicture(index == static_cast<std::size_t>(index_) ? shown_ : screens()[index],
                         zoom);
}

void PreviewWindow::textChanged() {
    // A hidden preview catches up when it is shown again.
    if (isVisible()) {
        followTimer_->start();
    }
}

void PreviewWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    followCursor_ = true;
    refresh();
}

void PreviewWindow::refresh() {
    followTimer_->stop();
    const std::string text = bytesFromEditor(sources_.text->text());
    lines_ = layoutText(text, &firstLineOfEach_);
    if (kind_ == Kind::Reader) {
        planReader();
        screensChanged();
        return;
    }
    if (homeScreens()) {
        planBasic();
        screensChanged();
        return;
    }
    // The build's own check: a text it would refuse shows only the lines that fit, and its
    // message in red.
    const std::size_t nameLength = bytesFromEditor(sources_.programName->text()).size();
    const std::size_t fileNameLength = bytesFromEditor(sources_.calculatorFileName->text()).size();
    const CalculatorFit fit = checkCalculatorFit(lines_, nameLength, fileNameLength);
    const QLocale numbers(QLocale::English);
    if (fit.fits) {
        linesShown_ = lines_.size();
        std::int64_t dataBytes = 0;
        for (const std::string& line : lines_) {
            dataBytes += lineStringBytes(line);
        }
        const double mean = double(dataBytes) / double(lines_.size());
        linesLabel_->setText(
            tr("%1 calculator lines; about %2 fit")
                .arg(numbers.toString(qlonglong(lines_.size())),
                     numbers.toString(qlonglong(std::max(
                         fit.lineCount, estimatedLineLimit(mean, nameLength, fileNameLength))))));
        linesLabel_->setStyleSheet(QString());
    } else {
        linesShown_ = static_cast<std::size_t>(fit.linesThatFit);
        linesLabel_->setText(QString::fromLocal8Bit(fit.message));
        linesLabel_->setStyleSheet(QStringLiteral("color: red"));
    }
    screensChanged();
}

// The reader has no line limit of its own: a long text becomes parts, as the build makes them.
void PreviewWindow::planReader() {
    linesShown_ = lines_.size();
    const ReaderPlan plan =
        planReaderParts(lines_, bytesFromEditor(sources_.programName->text()), readerPartBytes_);
    const QLocale numbers(QLocale::English);
    if (!plan.error.empty()) {
        readerParts_ = {ReaderPart{0, 1, 0, lines_.size(), {}}};
        linesLabel_->setText(QString::fromLocal8Bit(plan.error));
        linesLabel_->setStyleSheet(QStringLiteral("color: red"));
        return;
    }
    readerParts_ = plan.parts;
    const QString lines = numbers.toString(qlonglong(lines_.size()));
    linesLabel_->setText(readerParts_.size() == 1
                             ? tr("%1 calculator lines; one reader program of %2 bytes")
                                   .arg(lines, numbers.toString(qlonglong(
                                                   readerProgramBytes(lines_, readerParts_[0]))))
                             : tr("%1 calculator lines in %2 parts of at most %3 bytes")
                                   .arg(lines, numbers.toString(qlonglong(readerParts_.size())),
                                        numbers.toString(qlonglong(readerPartBytes_))));
    linesLabel_->setStyleSheet(QString());
}

// The home screens as the TI-BASIC build lays them out, in parts of the default size.
void PreviewWindow::planBasic() {
    const BasicKind& kind = kind_ == Kind::ColourHome ? kBasicColour : kBasicMonochrome;
    basicPlan_ = planBasicProgram({bytesFromEditor(sources_.programName->text()),
                                   bytesFromEditor(sources_.calculatorFileName->text()),
                                   bytesFromEditor(sources_.text->text())},
                                  kind, kind.defaultPartSize);
    const QLocale numbers(QLocale::English);
    if (!basicPlan_.error.empty()) {
        linesLabel_->setText(QString::fromLocal8Bit(basicPlan_.error));
        linesLabel_->setStyleSheet(QStringLiteral("color: red"));
        return;
    }
    linesLabel_->setText(basicPlan_.parts.size() == 1
                             ? tr("One TI-BASIC program for a home screen of %1 x %2")
                                   .arg(kind.screen.rows)
                                   .arg(kind.screen.columns)
                             : tr("%1 TI-BASIC parts of at most %2 bytes")
                                   .arg(numbers.toString(qlonglong(basicPlan_.parts.size())),
                                        numbers.toString(qlonglong(kind.defaultPartSize))));
    linesLabel_->setStyleSheet(QString());
}

std::span<const BasicToken> PreviewWindow::homeScreenAt(std::size_t index) const {
    for (const BasicPart& part : basicPlan_.parts) {
        if (index < part.screens.size()) {
            return part.screens[index];
        }
        index -= part.screens.size();
    }
    return {};
}

void PreviewWindow::setKind(Kind kind) {
    if (kind == kind_) {
        return;
    }
    kind_ = kind;
    ionProgramButton_->setChecked(kind == Kind::IonProgram);
    readerButton_->setChecked(kind == Kind::Reader);
    colourHomeButton_->setChecked(kind == Kind::ColourHome);
    monochromeHomeButton_->setChecked(kind == Kind::MonochromeHome);
    // The home screens are the same on every model of their kind.
    ti83Button_->setEnabled(!homeScreens());
    ti83PlusButton_->setEnabled(!homeScreens());
    basicPlan_ = {};
    followCursor_ = true;
    refresh();
}

void PreviewWindow::setReaderPartBytes(std::size_t bytes) {
    if (bytes != readerPartBytes_) {
        readerPartBytes_ = bytes;
        if (kind_ == Kind::Reader) {
            refresh();
        }
    }
}

int PreviewWindow::screenCount() const {
    if (kind_ == Kind::IonProgram) {
        return static_cast<int>(screenCountFor(linesShown_));
    }
    std::size_t count = 0;
    if (homeScreens()) {
        for (const BasicPart& part : basicPlan_.parts) {
            count += part.screens.size();
        }
        // A text the build refuses shows one empty screen.
        return static_cast<int>(std::max<std::size_t>(count, 1));
    }
    for (const ReaderPart& part : readerParts_) {
        count += part.screenCount();
    }
    return static_cast<int>(count);
}

Screen PreviewWindow::screenAt(std::size_t index) const {
    if (kind_ == Kind::IonProgram) {
        return layOutScreen(lines_, linesShown_, index, model_);
    }
    for (const ReaderPart& part : readerParts_) {
        if (index < part.screenCount()) {
            return readerScreen(lines_, part, index, model_);
        }
        index -= part.screenCount();
    }
    return {};
}

void PreviewWindow::setModel(CalculatorModel model) {
    if (model == model_) {
        return;
    }
    model_ = model;
    ti83Button_->setChecked(model == CalculatorModel::TI83);
    ti83PlusButton_->setChecked(model == CalculatorModel::TI83Plus);
    screensChanged();
}

const std::vector<Screen>& PreviewWindow::screens() const {
    if (!screens_) {
        if (homeScreens()) {
            screens_.emplace();
        } else if (kind_ == Kind::IonProgram) {
            screens_ = layOutScreens(lines_, linesShown_, model_);
        } else {
            screens_.emplace();
            for (int i = 0; i < screenCount(); ++i) {
                screens_->push_back(screenAt(static_cast<std::size_t>(i)));
            }
        }
    }
    return *screens_;
}

void PreviewWindow::screensChanged() {
    // Only the shown screen is laid out now; the others when asked for.
    screens_.reset();
    title_ = shownTitle(bytesFromEditor(sources_.programName->text()), model_);
    if (followCursor_) {
        index_ = cursorScreen();
        followCursor_ = false;
    }
    showPage();
    emit refreshed();
}

int PreviewWindow::cursorScreen() const {
    if (homeScreens()) {
        return index_;
    }
    const TextBox::CursorParagraph paragraph = sources_.text->cursorParagraph();
    const auto block = static_cast<std::size_t>(paragraph.number);
    if (block >= firstLineOfEach_.size()) {
        return index_;
    }
    // The calculator line the cursor stands in: the paragraph's pieces up to the cursor.
    // Columns count the characters drawn: a tab and an ellipsis are spelled out before the cut.
    const std::string blockText = bytesFromEditor(paragraph.text);
    std::string spelling;
    const std::size_t drawnLength = spelledOut(blockText, spelling).size();
    const std::size_t column =
        spelledOut(std::string_view(blockText).substr(
                       0, std::min<std::size_t>(static_cast<std::size_t>(paragraph.column),
                                                blockText.size())),
                   spelling)
            .size();
    std::size_t line = firstLineOfEach_[block];
    std::size_t consumed = 0;
    for (const std::string& piece : cutTextLine(blockText)) {
        consumed += piece.size();
        if (column < consumed || consumed == drawnLength) {
            break;
        }
        ++line;
    }
    const std::size_t rows = kind_ == Kind::Reader ? kReaderRowsPerScreen : kRowsPerScreen;
    return static_cast<int>(std::min(line, linesShown_) / rows);
}

void PreviewWindow::showScreen(int index) {
    index_ = index;
    showPage();
}

void PreviewWindow::showPage() {
    index_ = std::clamp(index_, 0, screenCount() - 1);
    if (homeScreens()) {
        view_->showHome(pictureAt(static_cast<std::size_t>(index_), 1));
    } else {
        shown_ = screenAt(static_cast<std::size_t>(index_));
    }
    if (kind_ == Kind::Reader) {
        // Each part is listed under its own title ("Title 2/3").
        auto screen = static_cast<std::size_t>(index_);
        for (const ReaderPart& part : readerParts_) {
            if (screen < part.screenCount()) {
                title_ = shownTitle(part.title, model_);
                break;
            }
            screen -= part.screenCount();
        }
    }
    if (!homeScreens()) {
        view_->show(&shown_, title_);
    }
    pageLabel_->setText(tr("Screen %1 of %2").arg(index_ + 1).arg(screenCount()));
    firstButton_->setEnabled(index_ > 0);
    previousButton_->setEnabled(index_ > 0);
    nextButton_->setEnabled(index_ + 1 < screenCount());
    lastButton_->setEnabled(index_ + 1 < screenCount());
}

bool PreviewWindow::saveScreens() {
    const QString folder =
        chooseFolder_(this, sources_.documentFolder ? sources_.documentFolder() : QString());
    if (folder.isEmpty()) {
        return false;
    }
    const QString stem = sources_.calculatorFileName->text().isEmpty()
                             ? QStringLiteral("screen")
                             : sources_.calculatorFileName->text();
    QStringList paths;
    QStringList existing;
    for (int i = 1; i <= screenCount(); ++i) {
        paths << QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(stem).arg(i));
        if (QFileInfo::exists(paths.back())) {
            existing << QFileInfo(paths.back()).fileName();
        }
    }
    if (!existing.isEmpty() && !confirm_(this, tr("%1 already holds %2. Replace them?")
                                                   .arg(QDir::toNativeSeparators(folder),
                                                        existing.join(QStringLiteral(", "))))) {
        return false;
    }
    const int z = zoom();
    for (int i = 0; i < screenCount(); ++i) {
        const QString& path = paths[i];
        // Written beside the picture and renamed over it when complete.
        QSaveFile file(path);
        const bool written = file.open(QIODevice::WriteOnly) &&
                             pictureAt(static_cast<std::size_t>(i), z).save(&file, "PNG") &&
                             file.commit();
        if (!written) {
            warn_(tr("The screens were not all saved: %1 could not be written (%2). %3 of %4 "
                     "pictures were written.")
                      .arg(QDir::toNativeSeparators(path), file.errorString())
                      .arg(i)
                      .arg(screenCount()));
            return false;
        }
    }
    emit screensSaved(paths);
    return true;
}

} // namespace corvane
