#include "device_manager/discovery/i_device_discovery.h"

#include "event_topics/thread_handover.h"

#include <QDebug>

namespace device_manager {

IDeviceDiscovery::IDeviceDiscovery(QObject *parent) : QObject(parent) { }

IDeviceDiscovery::~IDeviceDiscovery() = default;

void IDeviceDiscovery::queueInOwnThread(std::function<void()> step)
{
    if (!event_topics::queueCall(this, std::move(step)))
        qWarning() << "Inavlid invokeMethod";
}

} // namespace device_manager
