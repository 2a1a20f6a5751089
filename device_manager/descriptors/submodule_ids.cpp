#include "device_manager/descriptors/submodule_ids.h"

QString toText(SubmoduleIds id)
{
    switch (id) {
    case SubmoduleIds::Unknown: return QStringLiteral("SubmoduleIds::Unknown");
    case SubmoduleIds::DeviceManager: return QStringLiteral("SubmoduleIds::DeviceManager");
    case SubmoduleIds::Gui: return QStringLiteral("SubmoduleIds::Gui");
    }
    return QString();
}
