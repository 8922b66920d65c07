#include "program_icon.h"

// The icons live in a static library's resources, which must be registered by hand.
static void registerIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace corvane {

namespace {

void ensureResources() {
    static const bool registered = (registerIconResources(), true);
    (void)registered;
}

} // namespace

QIcon programIcon() {
    ensureResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/corvane/icon32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/corvane/icon16.png"), QSize(16, 16));
    return icon;
}

QPixmap programPicture() {
    ensureResources();
    return QPixmap(QStringLiteral(":/corvane/icon32.png"));
}

} // namespace corvane
