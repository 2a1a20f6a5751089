#pragma once

// The whole device side as the program runs it on simulated devices: the real bus, the device
// manager with the discovery and interface managers it creates, the simulated scanner and
// interfaces over one DevicePark, and a DeviceBusProbe that talks to them only through bus messages,
// as the application core does. Shared by the device manager's tests and benchmark.

#include "device_bus_probe.h"
#include "device_manager/device_manager.h"
#include "device_manager/discovery/discovery_manager.h"
#include "device_manager/session/vk_device.h"
#include "device_manager/transport/interface_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "simulator/device_catalog.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_device_discovery.h"
#include "simulator/transport/simulated_device_interface.h"
#include "simulator/transport/simulated_transport.h"
#include "testing/device_fixtures.h"

#include <QTest>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace device_testing {

// Generous bound for anything that is due at once (a result without a timeout on its way).
constexpr int kWaitMs = 30000;
// Devices are sighted every 20 ms, so discovery reports them after ~20 ms.
constexpr std::chrono::milliseconds kAdvertisingInterval { 20 };

using vk_testing::shippedDevice;
using vk_testing::shippedDevices;

class DeviceSide
{
public:
    // Starts everything on the devices of `catalog`, with the session answer timers given.
    bool start(
        const simulator::DeviceCatalog &catalog, device_manager::VkDevice::TaskTimeouts timeouts, bool packets = true)
    {
        event_topics::registerMessageMetaTypes();
        if (!event_bus::BusManager::createInstance(nullptr))
            return false;
        park = std::make_shared<simulator::DevicePark>(catalog);
        cut = std::make_shared<simulator::SimulatedDeviceInterface::LinkCut>();
        device_manager::InterfaceManager::setInterfaceFactory(simulator::SimulatedDeviceInterface::factory(park, cut));
        device_manager::DiscoveryManager::setDiscoveryFactory(
            simulator::SimulatedDeviceDiscovery::factory(park, kAdvertisingInterval));
        device_manager::VkDevice::setDefaultTaskTimeouts(timeouts);
        probe = std::make_unique<DeviceBusProbe>();
        if (!probe->subscribeAll(packets))
            return false;
        return device_manager::DeviceManager::createInstance(nullptr) && device_manager::DiscoveryManager::instance()
            && device_manager::InterfaceManager::instance();
    }

    void stop()
    {
        device_manager::DeviceManager::destroyInstance();
        simulator::SimulatedTransport::uninstall();
        device_manager::VkDevice::setDefaultTaskTimeouts({});
        probe.reset();
        event_bus::BusManager::destroyInstance();
        park.reset();
    }

    // Work on the engine of a device, as a test looks into the device.
    void withEngine(
        const simulator::DeviceDefinition &device, const std::function<void(simulator::DeviceEngine &)> &work)
    {
        if (!park->withEngine(device.address, work))
            qFatal("device %s is not in the park", qPrintable(device.id));
    }

    // (Re)starts discovery and waits until `device` is reported by it.
    std::optional<device_manager::DeviceDiscoveryInfo> discover(const simulator::DeviceDefinition &device)
    {
        // A new start forgets what was sighted before: only reports after it count.
        const qsizetype before = probe->count<dm::DeviceManagerDeviceDiscovered>();
        probe->publish(new dm::DeviceManagerCmdStartDiscovery({ device_manager::DiscoveryState::Active }));
        const auto found = [&]() -> std::optional<device_manager::DeviceDiscoveryInfo> {
            const auto discovered = probe->all<dm::DeviceManagerDeviceDiscovered>();
            for (qsizetype i = discovered.size() - 1; i >= before; --i) {
                if (discovered.at(i)->discoveredDevice.deviceInfo.Serial == device.serial)
                    return discovered.at(i)->discoveredDevice;
            }
            return std::nullopt;
        };
        (void)QTest::qWaitFor([&]() { return found().has_value(); }, kWaitMs);
        return found();
    }

    // Asks to connect to a discovered device with `password` and waits for the authentication
    // result; the result message, or null when none came (an error or a disconnection came first).
    QSharedPointer<dm::DeviceAuthSuccessed> connect(
        device_manager::DeviceDiscoveryInfo device, const QString &password, int timeoutMs = kWaitMs)
    {
        device.deviceInfo.Pass = password;
        const int successes = probe->count<dm::DeviceAuthSuccessed>();
        const int failures = probe->count<dm::DeviceAuthFailed>();
        const int disconnects = probe->count<dm::DeviceDisconnected>();
        const int errors = probe->count<sy::ErrorHappend>();
        probe->publish(new dm::CmdConnectToDevice(device));
        (void)QTest::qWaitFor(
            [&]() {
                return probe->count<dm::DeviceAuthSuccessed>() > successes
                    || probe->count<dm::DeviceAuthFailed>() > failures
                    || probe->count<dm::DeviceDisconnected>() > disconnects
                    || probe->count<sy::ErrorHappend>() > errors;
            },
            timeoutMs);
        return probe->count<dm::DeviceAuthSuccessed>() > successes ? probe->last<dm::DeviceAuthSuccessed>()
                                                                   : QSharedPointer<dm::DeviceAuthSuccessed>();
    }

    // The interface the device manager made the device's session on (from DeviceCreated).
    device_manager::DeviceInterfaceInfo interfaceOf(quint32 serial) const
    {
        const auto created = probe->all<dm::DeviceCreated>();
        for (auto it = created.crbegin(); it != created.crend(); ++it) {
            if ((*it)->device.deviceInfo.Serial == serial)
                return (*it)->device.interfaceInfo;
        }
        return {};
    }

    // Publishes `command` and waits for the next result message R, or for the device's removal.
    // The result, or null.
    template<class R> QSharedPointer<R> request(event_topics::IMessage *command, int timeoutMs = kWaitMs)
    {
        const int results = probe->count<R>();
        const int disconnects = probe->count<dm::DeviceDisconnected>();
        probe->publish(command);
        (void)QTest::qWaitFor(
            [&]() { return probe->count<R>() > results || probe->count<dm::DeviceDisconnected>() > disconnects; },
            timeoutMs);
        return probe->count<R>() > results ? probe->all<R>().at(results) : QSharedPointer<R>();
    }

    // Waits until the device manager has handled everything published before and what it published
    // in answer has arrived: a refused hand-over (it answers with ErrorHappend(0, 3)) runs through it
    // behind them, then a barrier. The marker's error is not kept.
    bool settle()
    {
        const int errors = probe->count<sy::ErrorHappend>();
        device_manager::DeviceDiscoveryInfo refused;
        refused.deviceInfo.Serial = 0;
        refused.interfaceInfo = { device_manager::InterfaceType::BLE, QStringLiteral("{settle}"), -1 };
        probe->publish(new dm::CmdConnectToDeviceInternal(refused));
        if (!QTest::qWaitFor([&]() { return probe->count<sy::ErrorHappend>() > errors; }, kWaitMs) || !probe->barrier())
            return false;
        for (qsizetype i = probe->messages.size() - 1; i >= 0; --i) {
            if (probe->messages.at(i)->getTopicEntry() == sy::ErrorHappend::topic()) {
                probe->messages.removeAt(i);
                break;
            }
        }
        return true;
    }

    // Disconnects the device by command and waits until its interface is gone.
    bool disconnect(quint32 serial)
    {
        const device_manager::DeviceInterfaceInfo interfaceInfo = interfaceOf(serial);
        const int pluggedOut = probe->count<im::DeviceInterfacePluggetOut>();
        probe->publish(new dm::CmdDisconnectFromDevice({ serial }, interfaceInfo));
        return QTest::qWaitFor([&]() { return probe->count<im::DeviceInterfacePluggetOut>() > pluggedOut; }, kWaitMs);
    }

    std::shared_ptr<simulator::DevicePark> park;
    std::shared_ptr<simulator::SimulatedDeviceInterface::LinkCut> cut;
    std::unique_ptr<DeviceBusProbe> probe;
};

} // namespace device_testing
