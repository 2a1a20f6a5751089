// Runs the real program headless through its whole start-up and quit sequence.
#include "app/app_identity.h"
#include "settings/encrypted_settings.h"
#include "simulator/device_catalog.h"
#include "testing/bluez_mock/bluez_mock.h"
#include "testing/process_run.h"

#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void startsAndQuitsCleanly();
    void usesBluetoothWhenThereIsAnAdapter();
    void runsOnSimulatedDevices_data();
    void runsOnSimulatedDevices();
    void refusesUnusableTransport_data();
    void refusesUnusableTransport();
    void keepsExistingSettingsFile();
    void identityValues();
    void quitsOnSignals_data();
    void quitsOnSignals();
};

namespace {

struct ProgramRun
{
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString out;
};

// Runs the program with --quit-after-load and `arguments`, its per-user folders inside `home`. Its
// system bus is `systemBus` (a mocked BlueZ), or none at all: then it finds no Bluetooth adapter.
ProgramRun runProgram(const QTemporaryDir &home, const QStringList &arguments = {}, const QString &systemBus = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
        systemBus.isEmpty() ? QStringLiteral("unix:path=%1/no-bus").arg(home.path()) : systemBus);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    // Without a Bluetooth stack on the test machine Qt Bluetooth warns about it; that is not ours.
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.bluetooth*=false"));
    const vk_testing::ProcessRun process = vk_testing::runProcess(
        QStringLiteral(PROGRAM_PATH), QStringList { QStringLiteral("--quit-after-load") } + arguments, {}, env);
    ProgramRun run;
    run.finished = process.finished;
    run.status = process.status;
    run.exitCode = process.exitCode;
    run.out = QString::fromUtf8(process.out);
    return run;
}

} // namespace

void TestProgram::startsAndQuitsCleanly()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const ProgramRun run = runProgram(home);
    QVERIFY2(run.finished, "the program did not quit");
    const QString &out = run.out;
    QVERIFY2(run.status == QProcess::NormalExit, qPrintable(out));
    QCOMPARE(run.exitCode, 0);

    QVERIFY2(!out.contains(QLatin1String("Invalid QQmlApplicationEngine::rootObjects!")), qPrintable(out));

    // The C++ code logs without a source location; the interface's documents log with theirs.
    const QRegularExpression ownLine(
        QStringLiteral(R"(^\[\d\d\.\d\d\.\d{4}/\d\d:\d\d:\d\d\.\d{3}\]\[(DEBUG|INFO|WARNING|CRITICAL)\]\[(?:\[qrc:[^\]]+\.qml:\d+\])?\] (.*)$)"));
    QStringList quitLines;
    QStringList settingsLines;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const auto match = ownLine.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        // The test machine has no Bluetooth stack; Qt Bluetooth says so (without a category) as the
        // scanner starts. Any other warning is ours.
        const bool noBluez = match.captured(2).startsWith(QLatin1String("Cannot find a compatible running Bluez"));
        QVERIFY2(noBluez
                || (match.captured(1) != QLatin1String("WARNING") && match.captured(1) != QLatin1String("CRITICAL")),
            qPrintable(line));
        if (match.captured(2).startsWith(QLatin1String(">>>[quit]")))
            quitLines << match.captured(2);
        if (match.captured(2).startsWith(QLatin1String("Settings file:")))
            settingsLines << match.captured(2);
    }
    const QString settingsFile = home.filePath(QStringLiteral("config/appSettingsVorlexIoTConfigurator.cfg"));
    QCOMPARE(settingsLines, QStringList { QStringLiteral("Settings file:  \"%1\"").arg(settingsFile) });
    QVERIFY(out.indexOf(settingsLines.first()) < out.indexOf(QLatin1String(">>>[quit]")));
    QVERIFY2(!QFile::exists(settingsFile), "the program wrote settings without a change");
    QCOMPARE(quitLines.size(), 5);
    QCOMPARE(quitLines.first(), QStringLiteral(">>>[quit] About to quit event, switch off modules:"));
    QCOMPARE(quitLines.last(), QStringLiteral(">>>[quit] event_bus::BusManager..."));
    // No option and no Bluetooth adapter: the built-in simulated devices, said in one line, chosen
    // before the device manager starts.
    QVERIFY2(out.contains(QLatin1String("[INFO][] Device transport: simulated devices from the built-in samples (no "
                                        "Bluetooth adapter found)\n")),
        qPrintable(out));
    QCOMPARE(out.count(QLatin1String("Device transport:")), 1);
    QCOMPARE(out.count(QLatin1String("Simulated device: ")), 3);
    QVERIFY(out.indexOf(QLatin1String("Device transport:"))
        < out.indexOf(QLatin1String(">>>[quit] device_manager::DeviceManager...")));
}

void TestProgram::usesBluetoothWhenThereIsAnAdapter()
{
    const QString missing = vk_testing::BluezMock::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    vk_testing::BluezMock bluez;
    QString error;
    QVERIFY2(bluez.start(&error), qPrintable(error));
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const ProgramRun run = runProgram(home, {}, bluez.busAddress());
    QVERIFY2(run.finished && run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(run.out));
    QVERIFY2(run.out.contains(QLatin1String("[] Device transport: Bluetooth LE\n")), qPrintable(run.out));
    QVERIFY(!run.out.contains(QLatin1String("Simulated device")));
    // --simulator still means the simulated devices.
    const ProgramRun forced = runProgram(home, { QStringLiteral("--simulator") }, bluez.busAddress());
    QVERIFY2(forced.out.contains(QLatin1String("Device transport: simulated devices from the built-in samples\n")),
        qPrintable(forced.out));
}

namespace {

// The texts of the lines of `out`, without time, level and context.
QStringList ownTexts(const QString &out)
{
    QStringList texts;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        texts << line.section(QStringLiteral("[] "), 1);
    return texts;
}

QString definitionsWith(const QTemporaryDir &dir, const QStringList &ids, const QByteArray &extraFile)
{
    const QString folder = dir.filePath(QStringLiteral("devices"));
    QDir().mkpath(folder);
    for (const QString &id : ids)
        QFile::copy(simulator::DeviceCatalog::sourceFolder() + u'/' + id + QStringLiteral(".json"),
            folder + u'/' + id + QStringLiteral(".json"));
    if (!extraFile.isEmpty()) {
        QFile file(folder + QStringLiteral("/zz_broken.json"));
        if (file.open(QIODevice::WriteOnly))
            file.write(extraFile);
    }
    return folder;
}

} // namespace

void TestProgram::runsOnSimulatedDevices_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QByteArray>("brokenFile");
    QTest::addColumn<bool>("builtIn");
    QTest::addColumn<QStringList>("expectedDevices");
    QTest::newRow("built-in samples") << QStringList() << QByteArray() << true
                                      << QStringList { QStringLiteral("fm200"), QStringLiteral("gw4"),
                                             QStringLiteral("vc1") };
    QTest::newRow("a folder") << QStringList { QStringLiteral("gw4") } << QByteArray() << false
                              << QStringList { QStringLiteral("gw4") };
    QTest::newRow("a folder with a broken definition")
        << QStringList { QStringLiteral("fm200"), QStringLiteral("vc1") } << QByteArray("{ \"id\": ") << false
        << QStringList { QStringLiteral("fm200"), QStringLiteral("vc1") };
}

void TestProgram::runsOnSimulatedDevices()
{
    QFETCH(QStringList, ids);
    QFETCH(QByteArray, brokenFile);
    QFETCH(bool, builtIn);
    QFETCH(QStringList, expectedDevices);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString folder = builtIn ? QString() : definitionsWith(home, ids, brokenFile);
    QStringList arguments { QStringLiteral("--simulator") };
    if (!builtIn)
        arguments << folder;

    const ProgramRun run = runProgram(home, arguments);
    QVERIFY2(run.finished, "the program did not quit");
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(run.out));
    const QStringList texts = ownTexts(run.out);

    const QString chosen = QStringLiteral("Device transport: simulated devices from %1")
                               .arg(builtIn ? QStringLiteral("the built-in samples") : folder);
    QVERIFY2(texts.contains(chosen), qPrintable(run.out));
    QStringList devices;
    for (const QString &text : texts) {
        if (text.startsWith(QLatin1String("Simulated device: ")))
            devices << text.section(u' ', 2, 2).chopped(1);
    }
    QCOMPARE(devices, expectedDevices);
    // The transport is chosen before the device manager starts; the program quits in order.
    QVERIFY(texts.indexOf(chosen) < texts.indexOf(QStringLiteral(">>>[quit] device_manager::DeviceManager...")));
    QVERIFY(!run.out.contains(QLatin1String("Device transport: Bluetooth LE")));
    QCOMPARE(run.out.count(QLatin1String("Simulated device left out:")), brokenFile.isEmpty() ? 0 : 1);
    QCOMPARE(run.out.count(QLatin1String("][CRITICAL][")), 0);
    QCOMPARE(run.out.count(QLatin1String(">>>[quit]")), 5);
}

void TestProgram::refusesUnusableTransport_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << QStringList { QStringLiteral("--simulator"), QStringLiteral("/nonexistent/vk") }
                                    << QStringLiteral("No simulated device can be loaded from /nonexistent/vk");
    QTest::newRow("folder without --simulator")
        << QStringList { QStringLiteral("/tmp") } << QStringLiteral("Unexpected argument: /tmp");
    QTest::newRow("two folders") << QStringList { QStringLiteral("--simulator"), QStringLiteral("/a"),
        QStringLiteral("/b") } << QStringLiteral("Only one folder of simulated devices may be given");
}

void TestProgram::refusesUnusableTransport()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const ProgramRun run = runProgram(home, arguments);
    QVERIFY2(run.finished, "the program did not end");
    QCOMPARE(run.status, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.out.contains(QLatin1String("][CRITICAL][] ") + reason), qPrintable(run.out));
    // Nothing was started.
    QVERIFY2(!run.out.contains(QLatin1String("Device transport:")), qPrintable(run.out));
    QVERIFY(!run.out.contains(QLatin1String(">>>[quit]")));
}

void TestProgram::keepsExistingSettingsFile()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString settingsFile = home.filePath(QStringLiteral("config/appSettingsVorlexIoTConfigurator.cfg"));
    EncryptedSettings *store = EncryptedSettings::createInstance(settingsFile, app::kSettingsKey);
    QVERIFY(store);
    QCOMPARE(store->setValue(QStringLiteral("setting/app1"), QStringLiteral("7391")), ReturnCode::Ok);
    EncryptedSettings::destroyInstance();
    QFile file(settingsFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    const ProgramRun run = runProgram(home);
    QVERIFY2(run.finished, "the program did not quit");
    QVERIFY2(run.status == QProcess::NormalExit && run.exitCode == 0, qPrintable(run.out));
    const QString &out = run.out;
    // The program reads the file with the same key (no decrypt error) and leaves it as it was.
    QVERIFY2(!out.contains(QLatin1String("ERROR")), qPrintable(out));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestProgram::identityValues()
{
    QCOMPARE(app::mainDocumentUrl(), QStringLiteral("qrc:/configurator/resources/VorlexIoTConfigurator/qml/main.qml"));
    QVERIFY(app::settingsFilePath().endsWith(QLatin1String("/appSettingsVorlexIoTConfigurator.cfg")));
    QCOMPARE(app::kSettingsKey, Q_UINT64_C(0x3D8E51A7C42B96F0));
    // The QML module's resources are linked in: main document, window icon and the style file at the root.
    QVERIFY(QFile::exists(app::kResourcePrefix + QStringLiteral("/qml/main.qml")));
    QVERIFY(QFile::exists(app::windowIconPath()));
    const QImage icon(app::windowIconPath());
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.width(), icon.height());
    QFile style(QStringLiteral(":/qtquickcontrols2.conf"));
    QVERIFY(style.open(QIODevice::ReadOnly));
    QVERIFY(style.readAll().contains("Style=Material"));
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"

void TestProgram::quitsOnSignals_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestProgram::quitsOnSignals()
{
    QFETCH(int, signalNumber);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=%1/no-bus").arg(home.path()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.bluetooth*=false"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(PROGRAM_PATH), {});
    QVERIFY(program.waitForStarted(30000));
    // Running its event loop: the window told the core it is there, the application settings came.
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += program.readAll()).contains("App setting try to append element"), 60000);
    QCOMPARE(::kill(pid_t(program.processId()), signalNumber), 0);
    QVERIFY2(program.waitForFinished(60000), out.constData());
    out += program.readAll();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY2(out.contains(QStringLiteral("Signal %1: quitting").arg(signalNumber).toUtf8()), out.constData());
    // The whole quit order ran, the bus last.
    QCOMPARE(out.count(">>>[quit]"), 5);
    QVERIFY(out.indexOf(">>>[quit] event_bus::BusManager...") > out.indexOf("Signal"));
}
