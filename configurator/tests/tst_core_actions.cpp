// What a user does with a connected device, through the core's slots, on simulated devices: the
// ways a password is given or refused, saving values, commands, polling and the debug console.
#include "core_harness.h"

#include "configurator/app_settings.h"
#include "simulator/value_codec.h"

using namespace core_testing;
using configurator::AppSettings;

class TestCoreActions : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(_core.start()); }
    void cleanup()
    {
        GuiQmlHandler::overrideTaskTimeout(GuiQmlHandler::CheckAutoConnect, -1);
        _core.stop();
    }
    void passwords_data();
    void passwords();
    void autoconnect();
    void editAndRun();
    void pollingWaitsForWork();
    void console();

private:
    CoreHarness _core;
};

void TestCoreActions::passwords_data()
{
    QTest::addColumn<QString>("answer"); // "" cancel, "-" no answer, else the password
    QTest::addColumn<bool>("busyDevice");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("root") << "4711" << false << "";
    QTest::newRow("user") << "1234" << false << "";
    QTest::newRow("cancelled") << "" << false << "";
    QTest::newRow("not answered") << "-" << false << "Error: Timeout for password requesting";
    QTest::newRow("wrong") << "0000" << false << "Error: Access denided";
    QTest::newRow("busy device") << "4711" << true << "Information: Device is busy - wait or restart device";
}

void TestCoreActions::passwords()
{
    QFETCH(QString, answer);
    QFETCH(bool, busyDevice);
    QFETCH(QString, dialog);
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    SignalRecorder &signal = *_core.recorder;
    if (busyDevice)
        _core.withEngine(fm200, [](simulator::DeviceEngine &engine) {
            simulator::FailureInjection failure;
            failure.mode = simulator::FailureMode::BusyAuthentication;
            engine.setFailure(failure);
        });
    // Waiting for the password is bounded; the test does not wait its 30 s.
    GuiQmlHandler::overrideTaskTimeout(GuiQmlHandler::CheckAutoConnect, 300);

    const QString uuid = _core.openDeviceList(fm200);
    QVERIFY(!uuid.isEmpty());
    const int start = signal.mark();
    _core.core->appCoreConnectToBleDevice(uuid);
    QVERIFY(_core.waitFor([&]() { return signal.count("appCorePasswordRequest", start) == 1; }));
    if (answer.isEmpty())
        _core.core->passwordCancelled();
    else if (answer != QLatin1String("-"))
        _core.core->passwordEntered(answer);
    QVERIFY(_core.waitForChainEnd(start));
    if (!dialog.isEmpty())
        QVERIFY(_core.waitFor([&]() { return !signal.dialogs(start).isEmpty(); }));

    const bool granted = dialog.isEmpty() && !answer.isEmpty();
    QCOMPARE(_core.core->isConnected(), granted);
    QCOMPARE(signal.dialogs(start), dialog.isEmpty() ? QStringList() : QStringList { dialog });
    QCOMPARE(signal.last("appCoreBusy").args, QVariantList { false });
    if (granted) {
        QCOMPARE(_core.core->authResponse().authResult,
            answer == QLatin1String("4711") ? v_protocol::TAuthResult::SuccessRoot
                                            : v_protocol::TAuthResult::SuccessUser);
        QCOMPARE(signal.count("addInterfaceElement", start), fm200.application.profile.size());
    } else {
        // Nothing is left of the attempt: the device is free and the link is gone.
        QCOMPARE(signal.last("appCoreHeaderText").args, QVariantList { "Not connected" });
        QVERIFY(_core.waitFor([&]() {
            bool linkDown = false;
            _core.withEngine(fm200, [&](simulator::DeviceEngine &engine) { linkDown = !engine.isLinkUp(); });
            return linkDown || answer.isEmpty() || answer == QLatin1String("-");
        }));
    }
    // Whatever happened, the next attempt works.
    _core.withEngine(fm200, [](simulator::DeviceEngine &engine) { engine.clearFailure(); });
    if (_core.core->isConnected()) {
        _core.core->connectClicked();
        QVERIFY(_core.waitFor([&]() { return !_core.core->isConnected() && _core.isIdle(); }));
    }
    QVERIFY(_core.connect(fm200, QStringLiteral("4711")));
}

void TestCoreActions::autoconnect()
{
    // With autoconnect on, the default password is used and no dialog asks for it.
    EncryptedSettings::instance()->setValue(AppSettings::key(AppSettings::Autoconnect), 1);
    EncryptedSettings::instance()->setValue(AppSettings::key(AppSettings::DefaultPassword), QStringLiteral("9000"));
    const simulator::DeviceDefinition &gw4 = shippedDevice("gw4");
    const int start = _core.recorder->mark();
    QVERIFY(_core.connect(gw4, QString()));
    QCOMPARE(_core.recorder->count("appCorePasswordRequest", start), 0);
    QCOMPARE(_core.core->authResponse().authResult, v_protocol::TAuthResult::SuccessRoot);
    QVERIFY(_core.core->debugText().contains(QStringLiteral("Serial: 20480017 with default password\n")));
}

void TestCoreActions::editAndRun()
{
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    SignalRecorder &signal = *_core.recorder;
    QVERIFY(_core.connect(fm200, QStringLiteral("1234"))); // an ordinary user
    // The device's start-up output (with its dialog) is through before the work begins.
    QVERIFY(_core.waitFor([&]() { return _core.core->debugText().contains(QStringLiteral("Ready\n")); }));
    const auto deviceValue = [&](quint16 id) {
        QByteArray value;
        _core.withEngine(fm200, [&](simulator::DeviceEngine &engine) { value = engine.value(id); });
        return value;
    };

    // Settings: the new value is on the device, and read back into the interface.
    int from = signal.mark();
    _core.element(104)->setData(120);
    _core.core->saveSettingsClicked();
    QVERIFY(_core.waitFor([&]() { return _core.isIdle() && signal.count("loadDataToInterface", from) > 0; }));
    QCOMPARE(deviceValue(104), simulator::ValueCodec::littleEndian(120, 2));
    QCOMPARE(_core.element(104)->data(), QVariant(120u));
    QVERIFY(signal.dialogs(from).isEmpty());

    // A value the user may not change: the device refuses the file, the user is told, nothing changes.
    from = signal.mark();
    const QByteArray before = deviceValue(103);
    _core.element(103)->setData(3100);
    _core.core->saveSettingsClicked();
    QVERIFY(_core.waitFor([&]() { return _core.isIdle() && signal.count("loadDataToInterface", from) > 0; }));
    QCOMPARE(signal.dialogs(from), QStringList { "Warning: Error while save settings" });
    QCOMPARE(deviceValue(103), before);
    QCOMPARE(_core.element(103)->value(), before); // read back
    QVERIFY(_core.core->isConnected());

    // Personalization.
    from = signal.mark();
    _core.element(10)->setData(QStringLiteral("Pump station 4"));
    _core.core->savePersClicked();
    QVERIFY(_core.waitFor([&]() { return _core.isIdle() && signal.count("loadDataToInterface", from) > 0; }));
    QVERIFY(deviceValue(10).startsWith("Pump station 4"));
    QCOMPARE(_core.element(10)->data(), QVariant(QStringLiteral("Pump station 4")));

    // A command: the device runs it and says so in its debug output.
    from = signal.mark();
    _core.core->executeCommand(301);
    QVERIFY(_core.waitFor([&]() {
        return _core.core->debugText().contains(
            QStringLiteral("Self test passed: transducers OK, radio OK, memory OK"));
    }));
    QVERIFY(signal.dialogs(from).isEmpty());
    // A command that changes values: the totalizer is reset on the device; an id without an element
    // sends nothing.
    from = signal.mark();
    _core.core->executeCommand(4242);
    _core.core->executeCommand(300);
    QVERIFY(_core.waitFor([&]() { return deviceValue(201) == simulator::ValueCodec::littleEndian(0, 4); }));
    QVERIFY(_core.waitIdle());
    QVERIFY(signal.dialogs(from).isEmpty());
    QVERIFY(_core.core->isConnected());
}

void TestCoreActions::pollingWaitsForWork()
{
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    QVERIFY(_core.connect(fm200, QStringLiteral("4711")));
    const auto debugRequests = [&]() {
        int n = 0;
        _core.withEngine(fm200, [&](simulator::DeviceEngine &engine) {
            n = engine.counters().received(v_protocol::TPayloadType::DebugRequest);
        });
        return n;
    };
    // An idle device is polled...
    const int idle = debugRequests();
    QVERIFY(_core.waitFor([&]() { return debugRequests() >= idle + 2; }));

    // ...but not while a job runs: the device takes 1.5 s to answer a command.
    _core.withEngine(fm200, [](simulator::DeviceEngine &engine) {
        simulator::FailureInjection slow;
        slow.mode = simulator::FailureMode::VerySlowAnswer;
        slow.target = v_protocol::TPayloadType::CommandRequest;
        slow.delayUs = 1500000;
        engine.setFailure(slow);
    });
    QVERIFY(_core.waitIdle());
    _core.core->executeCommand(301);
    const int during = debugRequests();
    QVERIFY(_core.waitFor([&]() { return _core.core->currentTaskType() == GuiQmlHandler::ExecuteCommand; }));
    QVERIFY(_core.waitFor([&]() { return _core.core->currentTaskType() != GuiQmlHandler::ExecuteCommand; }));
    QCOMPARE(debugRequests(), during);
    QVERIFY(_core.waitFor([&]() { return debugRequests() > during; }));
}

void TestCoreActions::console()
{
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    const simulator::DeviceDefinition &gw4 = shippedDevice("gw4");
    SignalRecorder &signal = *_core.recorder;
    QVERIFY(_core.connect(fm200, QStringLiteral("4711")));
    const QString firstConnect = QStringLiteral("CONNECT to device: FM-200 Flow - 2.4 Serial: 10250001");
    QVERIFY(_core.waitFor([&]() { return _core.core->debugText().contains(QStringLiteral("Ready\n")); }));

    // Reconnecting to the same device keeps the console.
    _core.core->connectClicked();
    QVERIFY(_core.waitFor([&]() { return !_core.core->isConnected() && _core.isIdle(); }));
    QVERIFY(_core.core->debugText().contains(
        QStringLiteral("DISCONNECT from device: FM-200 Flow - 2.4 Serial: 10250001\n")));
    int from = signal.mark();
    QVERIFY(_core.connect(fm200, QStringLiteral("4711")));
    QCOMPARE(signal.count("appCoreClearDebugText", from), 0);
    QCOMPARE(_core.core->debugText().count(firstConnect), 2);

    // Another device clears it.
    _core.core->connectClicked();
    QVERIFY(_core.waitFor([&]() { return !_core.core->isConnected() && _core.isIdle(); }));
    from = signal.mark();
    QVERIFY(_core.connect(gw4, QStringLiteral("9000")));
    QCOMPARE(signal.count("appCoreClearDebugText", from), 1);
    QVERIFY(!_core.core->debugText().contains(firstConnect));
    QVERIFY(_core.core->debugText().contains(QStringLiteral("CONNECT to device: GW-4 Gateway - 1.7 Serial: 20480017")));

    // The timestamp setting puts the local time in front of each text.
    EncryptedSettings::instance()->setValue(AppSettings::key(AppSettings::DebugTimestamp), 1);
    from = signal.mark();
    _core.core->addDebugLogMessage(QStringLiteral("marker\n"));
    const QString shown = signal.last("appCoreDebugText").args.at(0).toString();
    QVERIFY2(QRegularExpression(QStringLiteral("^\\[\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] marker\n$"))
                 .match(shown)
                 .hasMatch(),
        qPrintable(shown));
    _core.core->clearDebugTextClicked();
    QVERIFY(_core.core->debugText().isEmpty());
    QCOMPARE(signal.count("appCoreClearDebugText", from), 1);
}

QTEST_MAIN(TestCoreActions)
#include "tst_core_actions.moc"
