#pragma once

// The application core as the program runs it on simulated devices: the real bus, the real settings
// store in a temporary folder, the device manager with its discovery and interface managers on the
// simulated transport, and the core itself. A recorder keeps every signal the core emits, in order,
// and the helpers act as a user does: press Connect, pick a device, type the password.

#include "configurator/gui_qml_handler.h"
#include "configurator/work_folders.h"
#include "device_manager/device_manager.h"
#include "device_manager/discovery/discovery_manager.h"
#include "device_manager/session/vk_device.h"
#include "device_manager/transport/interface_manager.h"
#include "event_bus/bus_manager.h"
#include "event_topics/messages/message_meta_types.h"
#include "settings/encrypted_settings.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_device_discovery.h"
#include "simulator/transport/simulated_device_interface.h"
#include "simulator/transport/simulated_transport.h"
#include "testing/device_fixtures.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <functional>
#include <memory>

namespace core_testing {

using configurator::GuiQmlHandler;
using vk_testing::shippedDevice;
using vk_testing::shippedDevices;

constexpr int kWaitMs = 30000;

// One signal of the core with its arguments.
struct Event
{
    QByteArray name;
    QVariantList args;
};

// Keeps every signal of the core in emission order.
class SignalRecorder : public QObject
{
public:
    explicit SignalRecorder(GuiQmlHandler *core)
    {
        using G = GuiQmlHandler;
        record("appCoreSetApplicationName", core, &G::appCoreSetApplicationName);
        record("appCoreBleDiscoveryStateChanged", core, &G::appCoreBleDiscoveryStateChanged);
        record("appCoreBleDeviceDiscovered", core, &G::appCoreBleDeviceDiscovered);
        record("appCoreBleDeviceLost", core, &G::appCoreBleDeviceLost);
        record("appCorePasswordRequest", core, &G::appCorePasswordRequest);
        record("appCoreUpdateConnStatus", core, &G::appCoreUpdateConnStatus);
        record("appCoreHeaderText", core, &G::appCoreHeaderText);
        record("addInterfaceElement", core, &G::addInterfaceElement);
        record("loadDataToInterface", core, &G::loadDataToInterface);
        record("clearInterface", core, &G::clearInterface);
        record("appCoreAddStandartCmd", core, &G::appCoreAddStandartCmd);
        record("appCoreRemoveAllStandartCmd", core, &G::appCoreRemoveAllStandartCmd);
        record("appCoreShowProgressDialog", core, &G::appCoreShowProgressDialog);
        record("appCoreProgressPercentage", core, &G::appCoreProgressPercentage);
        record("appCoreProgressText", core, &G::appCoreProgressText);
        record("appCoreBusy", core, &G::appCoreBusy);
        record("appCoreBusyText", core, &G::appCoreBusyText);
        record("appCoreShowErrorDialog", core, &G::appCoreShowErrorDialog);
        record("appCoreDebugText", core, &G::appCoreDebugText);
        record("appCoreClearDebugText", core, &G::appCoreClearDebugText);
        record("addAppSettingsElement", core, &G::addAppSettingsElement);
        record("appCoreDeviceFilesVisible", core, &G::appCoreDeviceFilesVisible);
        record("appCoreClearDeviceFiles", core, &G::appCoreClearDeviceFiles);
        record("appCoreAddDeviceFileElement", core, &G::appCoreAddDeviceFileElement);
        record("appCoreClearFirmwareLocalFiles", core, &G::appCoreClearFirmwareLocalFiles);
        record("appCoreAddFirmwareLocalFile", core, &G::appCoreAddFirmwareLocalFile);
        record("appCoreCheckStartFirmwareUpdate", core, &G::appCoreCheckStartFirmwareUpdate);
        record("appCoreActionFinished", core, &G::appCoreActionFinished);
    }

    QList<Event> events;

    QList<Event> all(const char *name, int from = 0) const
    {
        QList<Event> result;
        for (int i = from; i < events.size(); ++i) {
            if (events.at(i).name == name)
                result << events.at(i);
        }
        return result;
    }
    int count(const char *name, int from = 0) const { return int(all(name, from).size()); }
    Event last(const char *name) const
    {
        const QList<Event> list = all(name);
        return list.isEmpty() ? Event() : list.last();
    }
    // The dialogs shown since event number `from` ("title: text").
    QStringList dialogs(int from = 0) const
    {
        QStringList texts;
        for (const Event &event : all("appCoreShowErrorDialog", from))
            texts << event.args.at(0).toString() + QStringLiteral(": ") + event.args.at(1).toString();
        return texts;
    }
    int mark() const { return int(events.size()); }

private:
    template<class... A> void record(const char *name, GuiQmlHandler *core, void (GuiQmlHandler::*signal)(A...))
    {
        connect(core, signal, this, [this, name](A... args) {
            events.append({ QByteArray(name), QVariantList { QVariant::fromValue(args)... } });
        });
    }
};

// Receives the file URLs the core asks the desktop to open.
class OpenedFiles : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class CoreHarness
{
public:
    // Starts everything on the devices of `catalog`; `timeouts` shortens the sessions' answer timers.
    bool start(const simulator::DeviceCatalog &catalog = shippedDevices(),
        device_manager::VkDevice::TaskTimeouts timeouts = {})
    {
        if (!dir.isValid())
            return false;
        // Every start is a fresh installation.
        QFile::remove(dir.filePath(QStringLiteral("settings.cfg")));
        QDir(dir.filePath(QStringLiteral("data"))).removeRecursively();
        configurator::WorkFolders::setBaseForTesting(dir.filePath(QStringLiteral("data")));
        // Opening a saved file or report is watched, never launched.
        opened.urls.clear();
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
        event_topics::registerMessageMetaTypes();
        if (!event_bus::BusManager::createInstance(nullptr))
            return false;
        if (!EncryptedSettings::createInstance(dir.filePath(QStringLiteral("settings.cfg")), 0x3D8E51A7C42B96F0ull))
            return false;
        if (beforeCore)
            beforeCore();
        park = std::make_shared<simulator::DevicePark>(catalog);
        cut = std::make_shared<simulator::SimulatedDeviceInterface::LinkCut>();
        device_manager::InterfaceManager::setInterfaceFactory(simulator::SimulatedDeviceInterface::factory(park, cut));
        device_manager::DiscoveryManager::setDiscoveryFactory(
            discoveryFactory ? discoveryFactory : simulator::SimulatedDeviceDiscovery::factory(park, advertisingInterval));
        device_manager::VkDevice::setDefaultTaskTimeouts(timeouts);
        core = GuiQmlHandler::createInstance();
        recorder = std::make_unique<SignalRecorder>(core);
        if (!QTest::qWaitFor([this]() { return core->isSubscribedToAll(); }, kWaitMs))
            return false;
        return device_manager::DeviceManager::createInstance(nullptr) != nullptr;
    }

    void stop()
    {
        recorder.reset();
        // A QML engine that used the core as AppCore has deleted it already.
        delete core.data();
        device_manager::DeviceManager::destroyInstance();
        simulator::SimulatedTransport::uninstall();
        device_manager::VkDevice::setDefaultTaskTimeouts({});
        EncryptedSettings::destroyInstance();
        event_bus::BusManager::destroyInstance();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        configurator::WorkFolders::setBaseForTesting(QString());
        park.reset();
    }

    // Run once the settings store exists and before the core is made, as the program's start-up runs
    // what reads the settings first (the interface language).
    std::function<void()> beforeCore;

    bool isIdle() const { return !core->isBusyWithTasks(); }
    bool waitIdle(int timeoutMs = kWaitMs)
    {
        return QTest::qWaitFor([this]() { return isIdle(); }, timeoutMs);
    }
    bool waitFor(const std::function<bool()> &condition, int timeoutMs = kWaitMs)
    {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    // The uuid under which the device list shows `device` after `from`, or empty.
    QString listedUuid(const simulator::DeviceDefinition &device, int from = 0) const
    {
        const QString serial = QString::number(device.serial);
        for (const Event &event : recorder->all("appCoreBleDeviceDiscovered", from)) {
            if (event.args.at(0).toString().contains(serial))
                return event.args.at(1).toString();
        }
        return QString();
    }

    // Presses Connect and waits until the device list shows `device`; its uuid, or empty.
    QString openDeviceList(const simulator::DeviceDefinition &device)
    {
        const int from = recorder->mark();
        core->connectClicked();
        waitFor([&]() { return !listedUuid(device, from).isEmpty(); });
        return listedUuid(device, from);
    }

    // The whole connect as a user does it: Connect, pick the device, answer the password dialog
    // (an empty password: do not answer). True when the chain ended with the device connected.
    bool connect(const simulator::DeviceDefinition &device, const QString &password)
    {
        const QString uuid = openDeviceList(device);
        if (uuid.isEmpty())
            return false;
        const int from = recorder->mark();
        core->appCoreConnectToBleDevice(uuid);
        if (!password.isEmpty()) {
            if (!waitFor([&]() { return recorder->count("appCorePasswordRequest", from) > 0; }))
                return false;
            core->passwordEntered(password);
        }
        return waitForChainEnd(from) && core->isConnected();
    }

    // Waits until the work started after event `from` is over: the engine idle, and the connection
    // state told since (the header line comes with authentication and with every disconnection).
    bool waitForChainEnd(int from, int timeoutMs = kWaitMs)
    {
        return waitFor([&]() { return isIdle() && recorder->count("appCoreUpdateConnStatus", from) > 0; }, timeoutMs);
    }

    // Waits until what was published on the System topics so far (errors, diagnostics) has reached
    // the core: a marker published now arrives after it.
    bool settle()
    {
        const QString marker = QStringLiteral("settle %1").arg(++_settles);
        _publisher.publish(
            new event_topics::system::DebugHappend(SubmoduleIds::Unknown, QStringLiteral("test"), marker));
        return waitFor([&]() { return core->debugText().contains(marker); });
    }

    // The dialogs since `from` that report a problem (the device's own "info" dialogs left out).
    QStringList problems(int from) const
    {
        QStringList result;
        for (const QString &dialog : recorder->dialogs(from)) {
            if (!dialog.startsWith(QStringLiteral("info: ")))
                result << dialog;
        }
        return result;
    }

    bool isLinkUp(const simulator::DeviceDefinition &device)
    {
        bool up = false;
        withEngine(device, [&](simulator::DeviceEngine &engine) { up = engine.isLinkUp(); });
        return up;
    }

    // Work on the engine of a device, as a test looks into the device.
    void withEngine(
        const simulator::DeviceDefinition &device, const std::function<void(simulator::DeviceEngine &)> &work)
    {
        if (!park->withEngine(device.address, work))
            qFatal("device %s is not in the park", qPrintable(device.id));
    }

    // The element of the interface with this id, or null.
    VkInterfaceElement *element(int id) const
    {
        for (VkInterfaceElement *element : core->interfaceElements()) {
            if (element->id() == id)
                return element;
        }
        return nullptr;
    }

    // How often every simulated device advertises; a scanner of the test's own instead (made after
    // `park`, which it may use). Both set before start().
    std::chrono::milliseconds advertisingInterval { 20 };
    device_manager::DiscoveryManager::DiscoveryFactory discoveryFactory;

    QTemporaryDir dir;
    QPointer<GuiQmlHandler> core;
    std::unique_ptr<SignalRecorder> recorder;
    std::shared_ptr<simulator::DevicePark> park;
    std::shared_ptr<simulator::SimulatedDeviceInterface::LinkCut> cut;
    OpenedFiles opened;

private:
    event_core::ITopicSubscriber _publisher;
    int _settles = 0;
};

} // namespace core_testing
