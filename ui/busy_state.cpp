#include "busy_state.h"

#include <QApplication>
#include <QWidget>

namespace corvane {

void BusyIndicator::enter(Hourglass hourglass, bool disable) {
    if (hourglass == Hourglass::Application) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (hourglass == Hourglass::Window && windowCursorDepth_++ == 0) {
        window_.setCursor(Qt::WaitCursor);
    }
    if (disable && disabledDepth_++ == 0) {
        window_.setEnabled(false);
    }
}

void BusyIndicator::leave(Hourglass hourglass, bool disable) {
    if (disable && --disabledDepth_ == 0) {
        window_.setEnabled(true);
    }
    if (hourglass == Hourglass::Application) {
        QApplication::restoreOverrideCursor();
    } else if (hourglass == Hourglass::Window && --windowCursorDepth_ == 0) {
        window_.unsetCursor();
    }
}

BusyState::BusyState(BusyIndicator& indicator, Hourglass hourglass, bool disableWindow)
    : indicator_(indicator), hourglass_(hourglass), disableWindow_(disableWindow) {
    indicator_.enter(hourglass_, disableWindow_);
}

BusyState::~BusyState() {
    indicator_.leave(hourglass_, disableWindow_);
}

} // namespace corvane
