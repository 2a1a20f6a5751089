#pragma once

#include <QString>

namespace vk_config {

// A device's text made safe for a terminal line: control and format characters (escape sequences, line
// breaks, direction overrides) become U+FFFD.
QString printable(const QString &text);

} // namespace vk_config
