#pragma once

#include "device_manager/descriptors/tr_strings.h"

#include <QString>

namespace configurator {

// The user-visible text of an index the device-side modules report errors and progress by;
// "Unknown" for an index without a text (and for no index).
QString trText(device_manager::TrStrings index);

} // namespace configurator
