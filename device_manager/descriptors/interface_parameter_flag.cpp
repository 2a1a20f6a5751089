#include "device_manager/descriptors/interface_parameter_flag.h"

namespace device_manager {

QString toText(ChangedInterfaceParameters parameters)
{
    return QLatin1String("InterfaceParameter:  MaximumPacketSize")
        + QLatin1String(parameters.testFlag(InterfaceParameterFlag::MaximumPacketSize) ? "[TRUE]" : "[FALSE]");
}

QDebug operator<<(QDebug debug, ChangedInterfaceParameters parameters)
{
    const QDebugStateSaver saver(debug);
    debug.noquote().nospace() << toText(parameters);
    return debug;
}

} // namespace device_manager
