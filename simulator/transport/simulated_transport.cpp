#include "simulator/transport/simulated_transport.h"

#include "device_manager/discovery/discovery_manager.h"
#include "device_manager/transport/interface_manager.h"
#include "simulator/transport/simulated_device_discovery.h"
#include "simulator/transport/simulated_device_interface.h"

namespace simulator {

void SimulatedTransport::install(std::shared_ptr<DevicePark> park)
{
    device_manager::InterfaceManager::setInterfaceFactory(SimulatedDeviceInterface::factory(park));
    device_manager::DiscoveryManager::setDiscoveryFactory(SimulatedDeviceDiscovery::factory(std::move(park)));
}

void SimulatedTransport::uninstall()
{
    device_manager::InterfaceManager::setInterfaceFactory({});
    device_manager::DiscoveryManager::setDiscoveryFactory({});
}

} // namespace simulator
