#include "desktop.h"

#include <QCoreApplication>
#include <QDir>

namespace corvane {

QString appFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

std::function<void()> pendingEventsProcessor() {
    return [] { QCoreApplication::processEvents(); };
}

} // namespace corvane
