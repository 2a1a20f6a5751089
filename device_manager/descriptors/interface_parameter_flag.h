#pragma once

#include <QDebug>
#include <QFlags>
#include <QMetaType>
#include <QString>

namespace device_manager {

// Parameters of a link that can change while it is open.
enum class InterfaceParameterFlag : qint32 {
    MaximumPacketSize = 1,
};
Q_DECLARE_FLAGS(ChangedInterfaceParameters, InterfaceParameterFlag)

// "InterfaceParameter:  MaximumPacketSize[TRUE]" when the flag is set, "...[FALSE]" when not.
QString toText(ChangedInterfaceParameters parameters);

// The text form, without quotes.
QDebug operator<<(QDebug debug, ChangedInterfaceParameters parameters);

} // namespace device_manager

Q_DECLARE_OPERATORS_FOR_FLAGS(device_manager::ChangedInterfaceParameters)
Q_DECLARE_METATYPE(device_manager::ChangedInterfaceParameters)
