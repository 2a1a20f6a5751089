// The session's promise: every task ends in exactly one result signal, whatever the device does,
// and the next queued task then runs. Each operation meets each failure mode of the simulator.

#include "device_manager/session/tests/session_harness.h"
#include "testing/log_capture.h"
#include "v_protocol/requests.h"
#include "v_protocol/t_file_transfer.h"

#include <QtTest>

#include <functional>

using namespace session_testing;
using device_manager::VkDevice;
using simulator::FailureInjection;
using simulator::FailureMode;
using v_protocol::TMandatoryFileTypes;
using v_protocol::TPayloadType;

namespace {

struct Operation
{
    QString name;
    TPayloadType request; // the request type its failures are aimed at
    QString signal; // its result signal
    QString failureSignal; // its failure report, where that is another signal
    std::function<ReturnCode(SessionHarness &)> run;

    bool isRead() const { return request == TPayloadType::FileChunkRequest; }
    bool needsLogIn() const { return request != TPayloadType::AuthenticationRequest; }
};

v_protocol::TFileWithDataElements currentSettings(SessionHarness &harness)
{
    v_protocol::TFileWithDataElements settings;
    v_protocol::TFileWithDataElements::fromByteArray(2, harness.link.engine().fileImage(2), settings);
    return settings;
}

const QList<Operation> &operations()
{
    static const QList<Operation> all {
        { "authenticate", TPayloadType::AuthenticationRequest, "authSuccess", "authFailed",
            [](SessionHarness &h) { return h.session->authenticate(); } },
        { "command", TPayloadType::CommandRequest, "commandConfirmReceived", "",
            [](SessionHarness &h) { return h.session->sendCommand(301, QByteArray()); } },
        { "debug", TPayloadType::DebugRequest, "debugResponseReceived", "",
            [](SessionHarness &h) { return h.session->requestDebug(true); } },
        { "file name", TPayloadType::FileNameRequest, "fileNameReceived", "",
            [](SessionHarness &h) { return h.session->requestFileName(17); } },
        { "clear", TPayloadType::FileClearRequest, "fileClearDone", "",
            [](SessionHarness &h) { return h.session->clearFile(17); } },
        { "read settings", TPayloadType::FileChunkRequest, "fileWithDataElementsReceived", "",
            [](SessionHarness &h) { return h.session->requestFile(TMandatoryFileTypes::SettingsFile); } },
        { "read raw", TPayloadType::FileChunkRequest, "rawFileReceived", "",
            [](SessionHarness &h) { return h.session->requestRawFile(17, false); } },
        { "read raw fast", TPayloadType::FileChunkRequest, "rawFileReceived", "",
            [](SessionHarness &h) { return h.session->requestRawFile(20, true); } },
        { "write settings", TPayloadType::FileChunk, "fileWithDataElementsTransmitted", "",
            [](SessionHarness &h) { return h.session->sendFileWithDataElements(currentSettings(h)); } },
        { "write raw", TPayloadType::FileChunk, "rawFileTransmitted", "",
            [](SessionHarness &h) { return h.session->sendRawFile(21, QByteArray(200, 'r')); } },
    };
    return all;
}

const Operation &operation(const QString &name)
{
    for (const Operation &op : operations()) {
        if (op.name == name)
            return op;
    }
    qFatal("unknown operation %s", qPrintable(name));
}

// A session on fm200, logged in unless the operation is the authentication itself, whose
// device then fails as `failure` says.
void prepare(SessionHarness &harness, const Operation &op, const FailureInjection &failure)
{
    if (op.needsLogIn())
        QVERIFY(harness.logIn());
    else
        harness.start();
    harness.link.engine().setFailure(failure);
}

// What a failure mode aimed at the operation's requests leaves of its result.
bool expectedValidity(const Operation &op, FailureMode mode)
{
    switch (mode) {
    case FailureMode::ChunkBeyondFileSize: return !op.isRead(); // only chunks are spoiled
    case FailureMode::LockoutAfterAuthentication: return true; // the answer itself is sound
    case FailureMode::BusyAuthentication: return op.needsLogIn(); // other requests are answered as usual
    default: return false;
    }
}

// The Lockout notices (authSuccess with TooMany) that LockoutAfterAuthentication adds to the answers.
bool isLockoutNotice(const SessionResult &result)
{
    return result.signal == QLatin1String("authSuccess")
        && result.value.value<v_protocol::TAuthResponse>().authResult == v_protocol::TAuthResult::TooMany;
}

} // namespace

class TestDeviceSessionFailures : public QObject
{
    Q_OBJECT

private slots:
    void everyOperationEndsInOneResult_data();
    void everyOperationEndsInOneResult();
    void failureReportsOnTimeout_data();
    void failureReportsOnTimeout();
    void refusalsByTheDevice_data();
    void refusalsByTheDevice();
    void answerOfAnotherKindDoesNotEndTheTask_data();
    void answerOfAnotherKindDoesNotEndTheTask();
    void undecodableAnswerIsReportedAtOnce_data();
    void undecodableAnswerIsReportedAtOnce();
    void acceptWithoutAnyTaskIsAnError();
};

void TestDeviceSessionFailures::everyOperationEndsInOneResult_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("mode");

    for (const Operation &op : operations()) {
        for (FailureMode mode : simulator::allFailureModes())
            QTest::addRow("%s, %s", qPrintable(op.name), qPrintable(simulator::toText(mode))) << op.name << int(mode);
    }
}

void TestDeviceSessionFailures::everyOperationEndsInOneResult()
{
    QFETCH(QString, operation);
    QFETCH(int, mode);
    const Operation &op = ::operation(operation);
    const auto failureMode = FailureMode(mode);
    // A follow-up of another request type, untouched by the failure.
    const Operation &followUp = ::operation(op.name == QLatin1String("command") ? "debug" : "command");

    SessionHarness harness(QStringLiteral("fm200"));
    harness.link.setInterfacePacketSize(100); // files take several chunks
    FailureInjection failure = FailureInjection::of(failureMode, op.request);
    failure.delayUs = 3 * kTestTimeoutMs * 1000; // VerySlowAnswer: well after the answer timer
    prepare(harness, op, failure);
    if (QTest::currentTestFailed())
        return;

    QCOMPARE(op.run(harness), ReturnCode::Ok);
    QCOMPARE(followUp.run(harness), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    QList<SessionResult> results;
    int lockoutNotices = 0;
    for (const SessionResult &result : harness.recorder->results()) {
        if (isLockoutNotice(result))
            ++lockoutNotices;
        else
            results << result;
    }
    QCOMPARE(lockoutNotices > 0, failureMode == FailureMode::LockoutAfterAuthentication);

    const bool valid = expectedValidity(op, failureMode);
    QCOMPARE(results.size(), 2);
    QCOMPARE(results.at(0).signal, valid || op.failureSignal.isEmpty() ? op.signal : op.failureSignal);
    QCOMPARE(results.at(0).isValid, valid);
    // The follow-up ran after it: answered unless the device dropped the link.
    QCOMPARE(results.at(1).signal, followUp.signal);
    QCOMPARE(results.at(1).isValid, harness.link.isLinkUp());
    QCOMPARE(harness.link.requests().last().payloadType, followUp.request);
    // A chunk accept that finds no task at all (the late accept of a write, here) is the session's one
    // alarm about a device out of step.
    const bool lateAcceptWhenIdle = failureMode == FailureMode::VerySlowAnswer && op.request == TPayloadType::FileChunk;
    QCOMPARE(harness.recorder->errors().size(), lateAcceptWhenIdle ? 1 : 0);
}

void TestDeviceSessionFailures::failureReportsOnTimeout_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QVariant>("report"); // the value the failure report carries
    QTest::addColumn<QString>("warning");

    QTest::newRow("authenticate") << "authenticate" << QVariant::fromValue(v_protocol::TAuthResponse())
                                  << "DeviceEntry[10250001]  AuthenticationRequest timeout: TPacket{";
    QTest::newRow("command") << "command" << QVariant::fromValue(v_protocol::TCommandConfirm()) << "";
    QTest::newRow("debug") << "debug" << QVariant::fromValue(v_protocol::TDebugResponse()) << "";
    QTest::newRow("file name") << "file name" << QVariant::fromValue(v_protocol::TFileNameResponse()) << "";
    QTest::newRow("clear") << "clear" << QVariant() << "";
    QTest::newRow("read settings") << "read settings" << QVariant::fromValue(v_protocol::TFileWithDataElements()) << "";
    QTest::newRow("read raw") << "read raw" << QVariant(QByteArray()) << "";
    QTest::newRow("write raw") << "write raw" << QVariant() << "";
}

void TestDeviceSessionFailures::failureReportsOnTimeout()
{
    QFETCH(QString, operation);
    QFETCH(QVariant, report);
    QFETCH(QString, warning);
    const Operation &op = ::operation(operation);

    SessionHarness harness(QStringLiteral("fm200"));
    prepare(harness, op, FailureInjection::of(FailureMode::NoAnswer));
    if (QTest::currentTestFailed())
        return;
    vk_testing::LogCapture log;
    QCOMPARE(op.run(harness), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    const QList<SessionResult> &results = harness.recorder->results();
    QCOMPARE(results.size(), 1);
    QVERIFY(!results.first().isValid);
    QCOMPARE(results.first().value, report);
    if (op.request == TPayloadType::FileClearRequest)
        QCOMPARE(results.first().fileId, 0);
    QCOMPARE(log.count(QStringLiteral("Current task is timeout!")), 1);
    QCOMPARE(log.count(QStringLiteral("Strange - no active task!")), 0);
    if (!warning.isEmpty())
        QCOMPARE(log.count(warning), 1);
    // File tasks say how they failed; request tasks have nothing to add.
    const bool isFileTask = op.request == TPayloadType::FileChunk || op.request == TPayloadType::FileChunkRequest;
    QCOMPARE(harness.recorder->hasNote(QStringLiteral("Warning"),
                 QStringLiteral("Process invalid work with file: emit invalid ") + op.signal),
        isFileTask);
}

void TestDeviceSessionFailures::refusalsByTheDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("fileId");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QStringList>("notes");

    // Each is refused with a chunk accept, the device's one answer to a file operation it will not do.
    QTest::newRow("clear without permission")
        << "fm200"
        << "clear" << 2 << "fileClearDone"
        << "Received unexpected file chunk!"
        << QStringList { "Process invalid work with file: type[6], subtype[-1]", "Unexpected device task type: 6" };
    QTest::newRow("name of an unknown file")
        << "fm200"
        << "name" << 99 << "fileNameReceived"
        << "Received unexpected file chunk!"
        << QStringList { "Process invalid work with file: type[0], subtype[11]", "Unexpected device task type: 0" };
    QTest::newRow("read of a hidden file") << "gw4"
                                           << "read" << 33 << "rawFileReceived"
                                           << "Unexpected case!"
                                           << QStringList { "Process invalid work with file: type[4], subtype[33]",
                                                  "Process invalid work with file: emit invalid rawFileReceived" };
}

void TestDeviceSessionFailures::refusalsByTheDevice()
{
    QFETCH(QString, device);
    QFETCH(QString, request);
    QFETCH(int, fileId);
    QFETCH(QString, signal);
    QFETCH(QString, log);
    QFETCH(QStringList, notes);

    SessionHarness harness(device);
    QVERIFY(harness.logIn());
    vk_testing::LogCapture capture;
    if (request == QLatin1String("clear"))
        QCOMPARE(harness.session->clearFile(uint8_t(fileId)), ReturnCode::Ok);
    else if (request == QLatin1String("name"))
        QCOMPARE(harness.session->requestFileName(uint8_t(fileId)), ReturnCode::Ok);
    else
        QCOMPARE(harness.session->requestRawFile(uint8_t(fileId), false), ReturnCode::Ok);
    QCOMPARE(harness.session->sendCommand(301, QByteArray()), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    const QList<SessionResult> &results = harness.recorder->results();
    QCOMPARE(results.size(), 2);
    QCOMPARE(results.at(0).signal, signal);
    QVERIFY(!results.at(0).isValid);
    QVERIFY(results.at(1).isValid);
    QCOMPARE(capture.count(log), 1);
    QCOMPARE(capture.count(QStringLiteral("Current task is timeout!")), 0); // answered, not timed out
    QStringList texts;
    for (const SessionNote &note : harness.recorder->notes()) {
        QCOMPARE(note.title, QStringLiteral("Warning"));
        texts << note.text;
    }
    QCOMPARE(texts, notes);
}

void TestDeviceSessionFailures::answerOfAnotherKindDoesNotEndTheTask_data()
{
    QTest::addColumn<QString>("operation");

    QTest::newRow("read") << "read raw";
    QTest::newRow("write") << "write raw";
    QTest::newRow("clear") << "clear";
    QTest::newRow("debug") << "debug";
}

void TestDeviceSessionFailures::answerOfAnotherKindDoesNotEndTheTask()
{
    QFETCH(QString, operation);
    const Operation &op = ::operation(operation);

    // The device answers with a command confirmation (a debug response to a debug request): that is
    // no answer to the running task, which ends by its timer with its own failure report, once.
    SessionHarness harness(QStringLiteral("fm200"));
    QVERIFY(harness.logIn());
    harness.link.engine().setFailure(FailureInjection::of(FailureMode::WrongPayloadType, op.request));
    vk_testing::LogCapture log;
    QCOMPARE(op.run(harness), ReturnCode::Ok);
    QVERIFY(harness.waitUntilIdle());

    const QList<SessionResult> &results = harness.recorder->results();
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().signal, op.signal);
    QVERIFY(!results.first().isValid);
    QCOMPARE(log.count(QStringLiteral(" Received unexpected answer packet:")), 1);
    QCOMPARE(log.count(QStringLiteral("Current task is timeout!")), 1);
}

void TestDeviceSessionFailures::undecodableAnswerIsReportedAtOnce_data()
{
    QTest::addColumn<QString>("operation");

    for (const Operation &op : operations())
        QTest::newRow(qPrintable(op.name)) << op.name;
}

void TestDeviceSessionFailures::undecodableAnswerIsReportedAtOnce()
{
    QFETCH(QString, operation);
    const Operation &op = ::operation(operation);

    // Production answer timers: the report must not wait for them.
    SessionHarness harness(QStringLiteral("fm200"));
    prepare(harness, op, FailureInjection::of(FailureMode::TruncatedPayload, op.request));
    if (QTest::currentTestFailed())
        return;
    harness.session->setTaskTimeouts(VkDevice::defaultTaskTimeouts());
    vk_testing::LogCapture log;
    QCOMPARE(op.run(harness), ReturnCode::Ok);
    QTRY_COMPARE_WITH_TIMEOUT(harness.recorder->results().size(), 1, VkDevice::kGenericTaskTimeoutMs / 2);
    QVERIFY(!harness.recorder->results().first().isValid);
    QVERIFY(harness.waitUntilIdle(VkDevice::kGenericTaskTimeoutMs / 2));
    QCOMPARE(harness.recorder->results().size(), 1);
    QCOMPARE(log.count(QStringLiteral("Current task is timeout!")), 0);
}

void TestDeviceSessionFailures::acceptWithoutAnyTaskIsAnError()
{
    SessionHarness harness(QStringLiteral("fm200"));
    VkDevice &session = harness.start();
    // A device that was never logged in refuses a read with a chunk accept; it reaches an idle session.
    simulator::DeviceEngine device(harness.link.definition());
    const v_protocol::TPacket request = v_protocol::makeChunkRequest(
        v_protocol::TFileTransfer::openingRequest(17), 1, device.definition().serial, v_protocol::kMasterUid);
    const simulator::ReplyItems answer = device.handleBytes(request.toByteArray());
    QCOMPARE(answer.size(), 1);
    v_protocol::TPacket accept;
    QCOMPARE(v_protocol::TPacket::fromByteArray(answer.first().bytes, accept), ReturnCode::Ok);
    QCOMPARE(accept.payloadType, TPayloadType::FileChunkAccept);

    QCOMPARE(session.packetReceived(session.discoveryInfo().interfaceInfo, accept), ReturnCode::WarnUnexpectedValue);
    QCOMPARE(harness.recorder->errors().size(), 1);
    QCOMPARE(harness.recorder->errors().first().first, device_manager::TrStrings::InternalError);
    QCOMPARE(harness.recorder->errors().first().second, device_manager::TrStrings::InvalidDeviceTask);
    QVERIFY(harness.recorder->results().isEmpty());
}

QTEST_GUILESS_MAIN(TestDeviceSessionFailures)
#include "tst_device_session_failures.moc"
