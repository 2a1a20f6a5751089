// The device session's queue, authentication and packet size, against the simulated devices.

#include "device_manager/session/tests/session_harness.h"
#include "testing/log_capture.h"
#include "v_protocol/t_chunk_request.h"

#include <QTimer>
#include <QtTest>

using namespace session_testing;
using device_manager::VkDevice;
using v_protocol::TMandatoryFileTypes;
using v_protocol::TPayloadType;

namespace {

QList<TPayloadType> payloadTypes(const QList<v_protocol::TPacket> &packets)
{
    QList<TPayloadType> types;
    for (const v_protocol::TPacket &packet : packets)
        types << packet.payloadType;
    return types;
}

QStringList signalsOf(const QList<SessionResult> &results)
{
    QStringList names;
    for (const SessionResult &result : results)
        names << result.signal;
    return names;
}

} // namespace

class TestDeviceSession : public QObject
{
    Q_OBJECT

private slots:
    void creationAndDestructionAreLogged();
    void requestsGoOutOneAtATimeNumberedFromOne();
    void packetSizeFromInterfaceAndDevice_data();
    void packetSizeFromInterfaceAndDevice();
    void packetSizeFollowsInterfaceChanges();
    void authenticationRefused_data();
    void authenticationRefused();
    void bootloaderConnectionIsLogged();
    void lockoutAfterAuthentication();
    void stateFileReadIsQueuedOnce_data();
    void stateFileReadIsQueuedOnce();
    void debugRequestsAreSkipped_data();
    void debugRequestsAreSkipped();
    void unsupportedFileIdsAreRefused_data();
    void unsupportedFileIdsAreRefused();
    void emptyWritesAreRefused();
    void packetFromAnotherInterfaceIsRefused();
    void answerTimerPerTaskType_data();
    void answerTimerPerTaskType();
    void progressOfReadsAndWrites_data();
    void progressOfReadsAndWrites();
    void abandonedTasksEachHearBack();
};

void TestDeviceSession::creationAndDestructionAreLogged()
{
    vk_testing::LogCapture log;
    SessionHarness harness(QStringLiteral("fm200"));
    VkDevice &session = harness.start();
    QCOMPARE(session.maximumPacketSize(), -1);
    QCOMPARE(session.maximumChunkDataSize(), -1);
    QVERIFY(!session.isAuthenticated());
    QVERIFY(harness.link.requests().isEmpty()); // nothing goes out before authenticate()
    harness.session.reset();

    const QStringList lines = log.texts();
    QCOMPARE(lines.filter(QStringLiteral("Device created: ")).size(), 1);
    const QString created = lines.filter(QStringLiteral("Device created: ")).first();
    QVERIFY2(
        created.startsWith(QStringLiteral("Device created:  DeviceDiscoveryInfo[DeviceInterfaceInfo[\"BLE\", uuid: ")),
        qPrintable(created));
    QVERIFY2(
        created.endsWith(QStringLiteral("TSlaveApplication[FM-200 Flow-10250001] with MTU: 244")), qPrintable(created));
    QVERIFY(lines.contains(QStringLiteral("Device deleted:  DeviceEntry[10250001]")));
}

void TestDeviceSession::requestsGoOutOneAtATimeNumberedFromOne()
{
    SessionHarness harness(QStringLiteral("fm200"));
    VkDevice &session = harness.start();
    QCOMPARE(session.authenticate(), ReturnCode::Ok);
    QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok);
    QCOMPARE(session.requestFileName(17), ReturnCode::Ok);
    QCOMPARE(session.requestDebug(true), ReturnCode::Ok);
    QCOMPARE(session.clearFile(17), ReturnCode::Ok);
    // Only the first request is out; the rest waits for its answer.
    QCOMPARE(harness.link.requests().size(), 1);
    QCOMPARE(session.queuedTaskCount(), 4);
    QVERIFY(harness.waitUntilIdle());

    const QList<v_protocol::TPacket> &requests = harness.link.requests();
    QCOMPARE(payloadTypes(requests),
        (QList<TPayloadType> { TPayloadType::AuthenticationRequest, TPayloadType::CommandRequest,
            TPayloadType::FileNameRequest, TPayloadType::DebugRequest, TPayloadType::FileClearRequest }));
    for (int i = 0; i < requests.size(); ++i) {
        QCOMPARE(requests.at(i).uid, quint32(i + 1));
        QCOMPARE(requests.at(i).type, v_protocol::TPacketType::Request);
        QCOMPARE(requests.at(i).slaveSerial, quint32(10250001));
        QCOMPARE(requests.at(i).masterUid, quint8(0x42));
    }
    QCOMPARE(signalsOf(harness.recorder->results()),
        (QStringList {
            "authSuccess", "commandConfirmReceived", "fileNameReceived", "debugResponseReceived", "fileClearDone" }));
    for (const SessionResult &result : harness.recorder->results())
        QVERIFY2(result.isValid, qPrintable(result.signal));
}

void TestDeviceSession::packetSizeFromInterfaceAndDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("interfaceSize");
    QTest::addColumn<int>("deviceSize");
    QTest::addColumn<int>("packetSize");

    QTest::newRow("interface limit below the device's") << "fm200" << 185 << 244 << 185;
    QTest::newRow("interface without limit (-1)") << "fm200" << -1 << 244 << 244;
    QTest::newRow("interface without limit (0)") << "fm200" << 0 << 244 << 244;
    QTest::newRow("interface limit above the device's") << "fm200" << 512 << 244 << 244;
    QTest::newRow("equal") << "fm200" << 244 << 244 << 244;
    QTest::newRow("gw4 at its own MTU 185") << "gw4" << 182 << 244 << 182;
    QTest::newRow("device announces 0") << "fm200" << -1 << 0 << 0;
}

void TestDeviceSession::packetSizeFromInterfaceAndDevice()
{
    QFETCH(QString, device);
    QFETCH(int, interfaceSize);
    QFETCH(int, deviceSize);
    QFETCH(int, packetSize);

    simulator::DeviceDefinition definition = shippedDevice(device);
    definition.application.maxPacketSize = quint16(deviceSize);
    SessionHarness harness(definition);
    harness.link.setInterfacePacketSize(interfaceSize);
    vk_testing::LogCapture log;
    QVERIFY(harness.logIn());

    QCOMPARE(harness.session->maximumPacketSize(), packetSize);
    QCOMPARE(harness.session->maximumChunkDataSize(), packetSize - 26);
    const QString expected
        = QStringLiteral("Device[DeviceEntry[%1]], maximumPacketSizeFromAuth[%2], interfaceMTU[%3] - "
                         "so maximumPacketSize: %4, maximumChunkDataSize:%5")
              .arg(definition.serial)
              .arg(deviceSize)
              .arg(interfaceSize)
              .arg(packetSize)
              .arg(packetSize - 26);
    QVERIFY2(log.texts().contains(expected), qPrintable(log.texts().join('\n')));
}

void TestDeviceSession::packetSizeFollowsInterfaceChanges()
{
    SessionHarness harness(QStringLiteral("fm200"));
    harness.link.setInterfacePacketSize(-1);
    QVERIFY(harness.logIn());
    QCOMPARE(harness.session->maximumPacketSize(), 244);

    device_manager::DeviceInterfaceInfo other = harness.session->discoveryInfo().interfaceInfo;
    other.uuid = QStringLiteral("{another}");
    other.maximumPacketSize = 100;
    harness.session->onInterfaceParameterChanged(other, device_manager::InterfaceParameterFlag::MaximumPacketSize);
    QCOMPARE(harness.session->maximumPacketSize(), 244);

    device_manager::DeviceInterfaceInfo same = harness.session->discoveryInfo().interfaceInfo;
    same.maximumPacketSize = 185;
    harness.session->onInterfaceParameterChanged(same, {});
    QCOMPARE(harness.session->discoveryInfo().interfaceInfo.maximumPacketSize, 185);
    QCOMPARE(harness.session->maximumPacketSize(), 244); // the size flag was not set
    harness.session->onInterfaceParameterChanged(same, device_manager::InterfaceParameterFlag::MaximumPacketSize);
    QCOMPARE(harness.session->maximumPacketSize(), 185);
    QCOMPARE(harness.session->maximumChunkDataSize(), 159);
}

void TestDeviceSession::authenticationRefused_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<v_protocol::TAuthResult>("lastResult");

    QTest::newRow("wrong password") << "0000" << 1 << v_protocol::TAuthResult::Denied;
    QTest::newRow("too many wrong passwords") << "0000" << 4 << v_protocol::TAuthResult::TooMany;
}

void TestDeviceSession::authenticationRefused()
{
    QFETCH(QString, password);
    QFETCH(int, attempts);
    QFETCH(v_protocol::TAuthResult, lastResult);

    SessionHarness harness(QStringLiteral("fm200"));
    harness.link.setPassword(password);
    VkDevice &session = harness.start();
    for (int i = 0; i < attempts; ++i)
        QCOMPARE(session.authenticate(), ReturnCode::Ok);
    QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok); // runs anyway, refused by the device
    QVERIFY(harness.waitUntilIdle());

    const QList<SessionResult> failures = harness.recorder->results(QStringLiteral("authFailed"));
    QCOMPARE(failures.size(), attempts);
    QCOMPARE(failures.last().value.value<v_protocol::TAuthResponse>().authResult, lastResult);
    QVERIFY(harness.recorder->results(QStringLiteral("authSuccess")).isEmpty());
    QVERIFY(!session.isAuthenticated());
    QCOMPARE(session.maximumPacketSize(), -1);
    const QList<SessionResult> confirms = harness.recorder->results(QStringLiteral("commandConfirmReceived"));
    QCOMPARE(confirms.size(), 1);
    QCOMPARE(confirms.first().value.value<v_protocol::TCommandConfirm>().cmdRes, v_protocol::TCommandResult::Error);
}

void TestDeviceSession::bootloaderConnectionIsLogged()
{
    SessionHarness harness(QStringLiteral("vc1")); // starts in its bootloader
    vk_testing::LogCapture log;
    QVERIFY(harness.logIn());
    QCOMPARE(log.count(QStringLiteral("Use connection to bootloader")), 1);
    QCOMPARE(harness.session->authResponse().appType, v_protocol::TAppType::Bootloader);
    QCOMPARE(harness.session->maximumPacketSize(), 160);
}

void TestDeviceSession::lockoutAfterAuthentication()
{
    SessionHarness harness(QStringLiteral("fm200"));
    VkDevice &session = harness.start();
    harness.link.engine().setFailure(
        simulator::FailureInjection::of(simulator::FailureMode::LockoutAfterAuthentication));
    vk_testing::LogCapture log;
    QCOMPARE(session.authenticate(), ReturnCode::Ok);
    QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    QCOMPARE(signalsOf(harness.recorder->results()),
        (QStringList { "authSuccess", "authSuccess", "commandConfirmReceived" }));
    const QList<SessionResult> results = harness.recorder->results();
    QCOMPARE(results.at(0).value.value<v_protocol::TAuthResponse>().authResult, v_protocol::TAuthResult::SuccessRoot);
    QCOMPARE(results.at(1).value.value<v_protocol::TAuthResponse>().authResult, v_protocol::TAuthResult::TooMany);
    QVERIFY(results.at(2).isValid); // the queue goes on
    QVERIFY(session.isAuthenticated());
    QCOMPARE(log.count(QStringLiteral("DeviceEntry[10250001]  Received Lockout packet: TPacket{")), 1);
}

void TestDeviceSession::stateFileReadIsQueuedOnce_data()
{
    QTest::addColumn<QList<int>>("requested");
    QTest::addColumn<QList<int>>("read");

    // A command runs first in each row, so that every file request below waits in the queue.
    QTest::newRow("twice in a row") << QList<int> { 3, 3 } << QList<int> { 3 };
    QTest::newRow("again behind another file") << QList<int> { 3, 2, 3 } << QList<int> { 3, 2 };
    QTest::newRow("other files are not merged") << QList<int> { 2, 2, 1, 1 } << QList<int> { 2, 2, 1, 1 };
}

void TestDeviceSession::stateFileReadIsQueuedOnce()
{
    QFETCH(QList<int>, requested);
    QFETCH(QList<int>, read);

    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    VkDevice &session = *harness.session;
    QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok);
    for (int id : requested)
        QCOMPARE(session.requestFile(TMandatoryFileTypes(id)), ReturnCode::Ok);
    QCOMPARE(session.queuedTaskCount(), read.size());
    QVERIFY(harness.waitUntilIdle());

    QList<int> received;
    for (const SessionResult &result : harness.recorder->results(QStringLiteral("fileWithDataElementsReceived"))) {
        QVERIFY(result.isValid);
        received << result.fileId;
    }
    QCOMPARE(received, read);
}

void TestDeviceSession::debugRequestsAreSkipped_data()
{
    QTest::addColumn<QString>("before"); // what the session is doing when the debug request comes
    QTest::addColumn<bool>("forced");
    QTest::addColumn<int>("debugRequestsSent");

    QTest::newRow("forced, idle") << "idle" << true << 1;
    QTest::newRow("forced, one running") << "debug running" << true << 2;
    QTest::newRow("forced, one waiting") << "debug waiting" << true << 1;
    QTest::newRow("polling, idle") << "idle" << false << 1;
    QTest::newRow("polling, a command running") << "command running" << false << 0;
    QTest::newRow("polling, busy with a debug waiting") << "debug waiting" << false << 1;
}

void TestDeviceSession::debugRequestsAreSkipped()
{
    QFETCH(QString, before);
    QFETCH(bool, forced);
    QFETCH(int, debugRequestsSent);

    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    VkDevice &session = *harness.session;
    const int sentBefore = harness.link.requests().size();
    if (before == QLatin1String("debug running")) {
        QCOMPARE(session.requestDebug(true), ReturnCode::Ok);
    } else if (before == QLatin1String("command running")) {
        QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok);
    } else if (before == QLatin1String("debug waiting")) {
        QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok);
        QCOMPARE(session.requestDebug(true), ReturnCode::Ok);
    }
    QCOMPARE(session.requestDebug(forced), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    const int debugSent = int(payloadTypes(harness.link.requests().mid(sentBefore)).count(TPayloadType::DebugRequest));
    QCOMPARE(debugSent, debugRequestsSent);
    QCOMPARE(harness.recorder->results(QStringLiteral("debugResponseReceived")).size(), debugRequestsSent);
}

void TestDeviceSession::unsupportedFileIdsAreRefused_data()
{
    QTest::addColumn<int>("fileId");
    QTest::addColumn<QString>("warning");

    QTest::newRow("9") << 9 << "Unsupported fileType: \"\"";
    QTest::newRow("bootloader file") << 254
                                     << "Unsupported fileType: \"v_protocol::TMandatoryFileTypes::BootloaderFile\"";
}

void TestDeviceSession::unsupportedFileIdsAreRefused()
{
    QFETCH(int, fileId);
    QFETCH(QString, warning);

    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    const int sentBefore = harness.link.requests().size();
    vk_testing::LogCapture log;
    QCOMPARE(harness.session->requestFile(TMandatoryFileTypes(fileId)), ReturnCode::ErrArgumentUnsupportedValue);
    QVERIFY(log.texts().contains(warning));
    QCOMPARE(harness.link.requests().size(), sentBefore);
    QVERIFY(!harness.session->isTaskActive());
    QVERIFY(harness.recorder->results().isEmpty());
}

void TestDeviceSession::emptyWritesAreRefused()
{
    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    const int sentBefore = harness.link.requests().size();
    QCOMPARE(harness.session->sendRawFile(17, QByteArray()), ReturnCode::ErrArgumentBadValue);
    v_protocol::TFileWithDataElements empty;
    empty.fileId = 2;
    QCOMPARE(harness.session->sendFileWithDataElements(empty), ReturnCode::ErrArgumentBadValue);
    QCOMPARE(harness.link.requests().size(), sentBefore);
    QCOMPARE(harness.session->queuedTaskCount(), 0);
    QVERIFY(!harness.session->isTaskActive());
}

void TestDeviceSession::packetFromAnotherInterfaceIsRefused()
{
    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    VkDevice &session = *harness.session;
    // Deliver the device's answer through a foreign interface instead of the session's own.
    device_manager::DeviceInterfaceInfo foreign = session.discoveryInfo().interfaceInfo;
    foreign.uuid = QStringLiteral("{foreign}");
    QList<ReturnCode> codes;
    QObject::disconnect(&harness.link, &SimulatedDeviceLink::packetArrived, &session, &VkDevice::packetReceived);
    connect(&harness.link, &SimulatedDeviceLink::packetArrived, &session,
        [&](device_manager::DeviceInterfaceInfo, v_protocol::TPacket packet) {
            codes << session.packetReceived(foreign, packet);
        });
    QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(codes.size(), 1, kWaitMs);
    QCOMPARE(codes.first(), ReturnCode::ErrUnknownInterface);
    QVERIFY(session.isTaskActive()); // still waiting for its own answer
    QVERIFY(harness.recorder->results().isEmpty());
}

void TestDeviceSession::answerTimerPerTaskType_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("interval");

    QTest::newRow("command") << "command" << 20000;
    QTest::newRow("debug") << "debug" << 20000;
    QTest::newRow("file name") << "name" << 20000;
    QTest::newRow("authentication") << "authenticate" << 30000;
    QTest::newRow("clear") << "clear" << 30000;
    QTest::newRow("read") << "read" << 30000;
    QTest::newRow("write") << "write" << 30000;
}

void TestDeviceSession::answerTimerPerTaskType()
{
    QFETCH(QString, operation);
    QFETCH(int, interval);

    SessionHarness harness(QStringLiteral("fm200"));
    harness.link.setInterfacePacketSize(100); // several chunks per file
    QVERIFY(harness.logIn());
    VkDevice &session = *harness.session;
    session.setTaskTimeouts(VkDevice::defaultTaskTimeouts()); // production intervals
    auto *timer = session.findChild<QTimer *>();
    QVERIFY(timer);
    QVERIFY(timer->isSingleShot());
    QVERIFY(!timer->isActive());

    if (operation == QLatin1String("command"))
        session.sendCommand(301, QByteArray());
    else if (operation == QLatin1String("debug"))
        session.requestDebug(true);
    else if (operation == QLatin1String("name"))
        session.requestFileName(17);
    else if (operation == QLatin1String("authenticate"))
        session.authenticate();
    else if (operation == QLatin1String("clear"))
        session.clearFile(17);
    else if (operation == QLatin1String("read"))
        session.requestRawFile(17, false);
    else
        session.sendRawFile(21, QByteArray(200, 'w'));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), interval);
    QVERIFY(harness.waitUntilIdle());
    QVERIFY(!timer->isActive());
    QCOMPARE(harness.recorder->results().size(), 1);
    QVERIFY(harness.recorder->results().first().isValid);
}

void TestDeviceSession::progressOfReadsAndWrites_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("fileId");
    QTest::addColumn<bool>("reported");
    QTest::addColumn<int>("titleIndex");

    QTest::newRow("profile") << "read" << 4 << true << 8;
    QTest::newRow("personalization") << "read" << 1 << true << 8;
    QTest::newRow("settings") << "read" << 2 << true << 8;
    QTest::newRow("file table") << "read" << 8 << true << 8;
    QTest::newRow("application info (silent)") << "read" << 0 << false << 8;
    QTest::newRow("state (silent)") << "read" << 3 << false << 8;
    QTest::newRow("raw file") << "raw" << 17 << true << 8;
    QTest::newRow("raw write") << "write" << 21 << true << 7;
    QTest::newRow("command (no progress)") << "command" << 0 << false << 0;
}

void TestDeviceSession::progressOfReadsAndWrites()
{
    QFETCH(QString, operation);
    QFETCH(int, fileId);
    QFETCH(bool, reported);
    QFETCH(int, titleIndex);

    SessionHarness harness(QStringLiteral("fm200"));
    harness.link.setInterfacePacketSize(60); // chunks of 34 bytes: several per file
    QVERIFY(harness.logIn());
    VkDevice &session = *harness.session;
    if (operation == QLatin1String("read"))
        session.requestFile(TMandatoryFileTypes(fileId));
    else if (operation == QLatin1String("raw"))
        session.requestRawFile(uint8_t(fileId), false);
    else if (operation == QLatin1String("write"))
        session.sendRawFile(uint8_t(fileId), QByteArray(100, 'p')); // chunks of 32 at 0, 32, 64, 96
    else
        session.sendCommand(301, QByteArray());
    QVERIFY(harness.waitUntilIdle());
    QCOMPARE(harness.recorder->results().size(), 1);
    QVERIFY(harness.recorder->results().first().isValid);

    const QList<SessionProgress> &progress = harness.recorder->progress();
    if (!reported) {
        QVERIFY(progress.isEmpty());
        return;
    }
    QVERIFY(progress.size() >= 3);
    QCOMPARE(progress.first().percentage, -1);
    QList<int> percentages;
    for (const SessionProgress &step : progress) {
        QCOMPARE(int(step.titleIndex), titleIndex);
        percentages << step.percentage;
    }
    if (operation == QLatin1String("write")) {
        QCOMPARE(percentages, (QList<int> { -1, 32, 64, 96 }));
    } else {
        QCOMPARE(percentages.last(), 100);
        QVERIFY(std::is_sorted(percentages.begin(), percentages.end()));
    }
}

void TestDeviceSession::abandonedTasksEachHearBack()
{
    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    VkDevice &session = *harness.session;
    QCOMPARE(session.sendCommand(301, QByteArray()), ReturnCode::Ok);
    QCOMPARE(session.requestFile(TMandatoryFileTypes::SettingsFile), ReturnCode::Ok);
    QCOMPARE(session.requestRawFile(17, true), ReturnCode::Ok);
    QCOMPARE(session.clearFile(17), ReturnCode::Ok);
    QCOMPARE(session.sendRawFile(21, QByteArray(16, 'x')), ReturnCode::Ok);
    QCOMPARE(session.requestFileName(17), ReturnCode::Ok);
    QCOMPARE(session.requestDebug(true), ReturnCode::Ok);
    QCOMPARE(harness.link.requests().size(), 2);

    // The device is gone with the command out and six tasks waiting: each hears back once.
    session.abandonTasks();
    QCOMPARE(signalsOf(harness.recorder->results()),
        (QStringList { "commandConfirmReceived", "fileWithDataElementsReceived", "rawFileReceived", "fileClearDone",
            "rawFileTransmitted", "fileNameReceived", "debugResponseReceived" }));
    for (const SessionResult &result : harness.recorder->results())
        QVERIFY2(!result.isValid, qPrintable(result.signal));
    QCOMPARE(harness.recorder->results(QStringLiteral("rawFileReceived")).first().fileId, 17);
    QCOMPARE(harness.recorder->results(QStringLiteral("rawFileTransmitted")).first().fileId, 21);
    QVERIFY(session.isIdle());

    // Nothing more: not for a second call, not when the answer to the abandoned request comes late.
    session.abandonTasks();
    QVERIFY(harness.waitUntilIdle());
    QCOMPARE(harness.recorder->results().size(), 7);
    QCOMPARE(harness.link.requests().size(), 2);
}

QTEST_GUILESS_MAIN(TestDeviceSession)
#include "tst_device_session.moc"
