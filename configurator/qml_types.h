#pragma once

namespace configurator {

// Registers the native types the QML documents use, before the engine is created: the file and
// interface elements (not creatable), their enumerations as meta-types, the application core as the
// singleton AppCore, and the status bar.
void registerQmlTypes();

} // namespace configurator
