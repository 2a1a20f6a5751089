#include "app/quit_handler.h"
#include "device_manager/device_manager.h"
#include "device_manager/discovery/discovery_manager.h"
#include "device_manager/transport/interface_manager.h"
#include "event_bus/bus_manager.h"
#include "event_core/i_topic_subscriber.h"
#include "settings/encrypted_settings.h"
#include "simulator/device_park.h"
#include "simulator/transport/simulated_transport.h"
#include "testing/log_capture.h"
#include "v_fennic/t_fennic_handler.h"

#include <QPointer>
#include <QTemporaryDir>

#include <QtTest>

class TestQuitHandler : public QObject
{
    Q_OBJECT

private slots:
    void stepsInOrderWithoutModules();
    void secondRunIsHarmless();
    void stopsTheSettingsStore();
    void stopsTheRunningBus();
    void stopsTheDeviceManagerWithItsModules();
    void stopsTheFirmwareServerHandler();
};

namespace {
const QStringList kQuitLines = {
    QStringLiteral(">>>[quit] About to quit event, switch off modules:"),
    QStringLiteral(">>>[quit] v_fennic::TFennicHandler..."),
    QStringLiteral(">>>[quit] device_manager::DeviceManager..."),
    QStringLiteral(">>>[quit] EncryptedSettings..."),
    QStringLiteral(">>>[quit] event_bus::BusManager..."),
};

QStringList quitLines(const vk_testing::LogCapture &capture)
{
    QStringList lines;
    for (const auto &entry : capture.entries()) {
        if (entry.text.startsWith(QLatin1String(">>>[quit]"))) {
            if (entry.type != QtDebugMsg)
                return { QStringLiteral("wrong level for ") + entry.text };
            lines << entry.text;
        }
    }
    return lines;
}
} // namespace

void TestQuitHandler::stepsInOrderWithoutModules()
{
    vk_testing::LogCapture capture;
    app::QuitHandler {}();
    QCOMPARE(quitLines(capture), kQuitLines);
}

void TestQuitHandler::secondRunIsHarmless()
{
    vk_testing::LogCapture capture;
    app::QuitHandler {}();
    app::QuitHandler {}();
    QCOMPARE(quitLines(capture), kQuitLines + kQuitLines);
}

void TestQuitHandler::stopsTheSettingsStore()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(EncryptedSettings::createInstance(dir.filePath(QStringLiteral("s.cfg")), 1));
    vk_testing::LogCapture capture;
    app::QuitHandler {}();
    QCOMPARE(EncryptedSettings::instance(), nullptr);
    QCOMPARE(quitLines(capture), kQuitLines);
}

void TestQuitHandler::stopsTheRunningBus()
{
    class Note : public event_topics::IMessage
    {
    public:
        Note() : IMessage(event_topics::TopicEntry(event_topics::System, QStringLiteral("Note"))) { }
        ReturnCode deliver(const event_topics::PMessage &self, const event_topics::SubscriptionInfo &info) override
        {
            return deliverAs<Note>(self, info);
        }
    };

    event_bus::BusManager *bus = event_bus::BusManager::createInstance(nullptr);
    QVERIFY(bus);
    event_core::ITopicSubscriber module;
    QCOMPARE(module.publish(new Note), ReturnCode::Ok); // also starts the System sub-bus

    vk_testing::LogCapture capture;
    app::QuitHandler {}();
    QCOMPARE(quitLines(capture), kQuitLines);
    QCOMPARE(event_bus::BusManager::instance(), nullptr);
    QCOMPARE(module.publish(new Note), ReturnCode::ErrInvalidHandler);
    // Stopping logged nothing but the quit steps and the refused publication.
    QCOMPARE(capture.entries().size(), kQuitLines.size() + 1);
}

void TestQuitHandler::stopsTheDeviceManagerWithItsModules()
{
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
    simulator::SimulatedTransport::install(
        std::make_shared<simulator::DevicePark>(simulator::DeviceCatalog::builtIn()));
    QVERIFY(device_manager::DeviceManager::createInstance(nullptr));
    QVERIFY(device_manager::DiscoveryManager::instance());
    QVERIFY(device_manager::InterfaceManager::instance());

    vk_testing::LogCapture capture;
    app::QuitHandler {}();
    simulator::SimulatedTransport::uninstall();
    QCOMPARE(quitLines(capture), kQuitLines);
    QCOMPARE(device_manager::DeviceManager::instance(), nullptr);
    QCOMPARE(device_manager::DiscoveryManager::instance(), nullptr);
    QCOMPARE(device_manager::InterfaceManager::instance(), nullptr);
    QCOMPARE(event_bus::BusManager::instance(), nullptr);
}

void TestQuitHandler::stopsTheFirmwareServerHandler()
{
    QVERIFY(event_bus::BusManager::createInstance(nullptr));
    // Nothing listens there: its pings fail on the loopback interface alone.
    v_fennic::TFennicHandler *handler
        = v_fennic::TFennicHandler::createInstance(nullptr, QStringLiteral("https://127.0.0.1:1/"));
    QVERIFY(handler);
    QPointer<QThread> thread = handler->thread();

    vk_testing::LogCapture capture;
    app::QuitHandler {}();
    QCOMPARE(quitLines(capture), kQuitLines);
    QCOMPARE(v_fennic::TFennicHandler::instance(), nullptr);
    QVERIFY(thread.isNull()); // its thread ended and is gone
    QCOMPARE(event_bus::BusManager::instance(), nullptr);
}

QTEST_GUILESS_MAIN(TestQuitHandler)
#include "tst_quit_handler.moc"
