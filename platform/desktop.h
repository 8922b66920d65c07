#pragma once

#include <QString>
#include <functional>

namespace corvane {

// The folder that holds the running program, with the platform's own separators.
QString appFolder();

// A callback that lets the window system process its pending events once; the plain
// libraries take it as their `processEvents` collaborator.
std::function<void()> pendingEventsProcessor();

} // namespace corvane
