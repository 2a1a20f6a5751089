#pragma once

#include "configurator/gui_qml_handler.h"

namespace utils {
class ApplicationTask;
}

namespace configurator {

// Builds the job of a type with its texts, timeout and flags; null for a type outside the catalogue.
utils::ApplicationTask *makeApplicationTask(GuiQmlHandler::TAppTaskType type, QObject *parent);

// Test hook: the timeout of every job of `type` built from now on; negative restores the catalogue's.
void overrideTaskTimeout(GuiQmlHandler::TAppTaskType type, qint64 timeoutMs);

} // namespace configurator
