#pragma once

#include <QIcon>
#include <QPixmap>

namespace corvane {

// The program's icon, with its 32 x 32 and 16 x 16 images.
QIcon programIcon();
// The 32 x 32 image alone, as the About window shows it.
QPixmap programPicture();

} // namespace corvane
