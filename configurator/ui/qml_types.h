#pragma once

#include <QString>

namespace configurator {

// Registers the native types the QML documents use, before the engine is created: the file and
// interface elements (not creatable), their enumerations as meta-types, the application core as the
// singleton AppCore, and the status bar; then the interface's own models and helpers (VkUi 1.0).
void registerQmlTypes();

// The import path under which the engine finds the QML module VorlexIoTConfigurator.
QString qmlImportPath();

} // namespace configurator
