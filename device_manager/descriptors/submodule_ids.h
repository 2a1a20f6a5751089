#pragma once

#include <QMetaType>
#include <QString>

// Which side of the system produced a DebugHappend or ErrorHappend: the device-side modules
// (device, discovery and interface managers, firmware-server handler) or the user interface core.
enum class SubmoduleIds : qint32 {
    Unknown = 0,
    DeviceManager = 1,
    Gui = 2,
};

// "SubmoduleIds::Unknown", "SubmoduleIds::DeviceManager", "SubmoduleIds::Gui"; the empty text for
// any other value.
QString toText(SubmoduleIds id);

Q_DECLARE_METATYPE(SubmoduleIds)
