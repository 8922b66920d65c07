#pragma once

class QWidget;

namespace corvane {

// Where a command shows the hourglass: over every window of the application, over the
// main window alone, or not at all.
enum class Hourglass { Application, Window, None };

// The main window's busy bookkeeping. Busy indications nest (the compile command runs
// Save, which may run Save As), so the window is enabled again and its own hourglass
// removed only when the outermost indication ends.
class BusyIndicator {
  public:
    explicit BusyIndicator(QWidget& window) : window_(window) {}
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

    // True while any indication disables the window.
    bool busy() const { return disabledDepth_ > 0; }

  private:
    friend class BusyState;

    void enter(Hourglass hourglass, bool disable);
    void leave(Hourglass hourglass, bool disable);

    QWidget& window_;
    int disabledDepth_ = 0;
    int windowCursorDepth_ = 0;
};

// One command's busy indication, from construction to destruction: the hourglass first,
// then the window disabled when asked; on the way out the window is enabled first, then
// the cursor restored. Every path out of the command's scope leaves it, failures included.
class BusyState {
  public:
    BusyState(BusyIndicator& indicator, Hourglass hourglass, bool disableWindow);
    ~BusyState();
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

  private:
    BusyIndicator& indicator_;
    Hourglass hourglass_;
    bool disableWindow_;
};

} // namespace corvane
