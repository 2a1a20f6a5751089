#include "device_manager/discovery/i_device_discovery.h"

namespace device_manager {

IDeviceDiscovery::IDeviceDiscovery(QObject *parent) : QObject(parent) { }

IDeviceDiscovery::~IDeviceDiscovery() = default;

} // namespace device_manager
