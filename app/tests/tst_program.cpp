// Runs the real program headless through its whole start-up and quit sequence.
#include "app/app_identity.h"
#include "settings/encrypted_settings.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void startsAndQuitsCleanly();
    void keepsExistingSettingsFile();
    void identityValues();
};

namespace {

struct ProgramRun
{
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString out;
};

// Runs the program with --quit-after-load and its per-user folders inside `home`.
ProgramRun runProgram(const QTemporaryDir &home)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PROGRAM_PATH), {QStringLiteral("--quit-after-load")});
    ProgramRun run;
    run.finished = process.waitForFinished(120000);
    run.status = process.exitStatus();
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
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

    const QRegularExpression ownLine(
        QStringLiteral(R"(^\[\d\d\.\d\d\.\d{4}/\d\d:\d\d:\d\d\.\d{3}\]\[(DEBUG|INFO|WARNING|CRITICAL)\]\[\] (.*)$)"));
    QStringList quitLines;
    QStringList settingsLines;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const auto match = ownLine.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        QVERIFY2(match.captured(1) != QLatin1String("WARNING") && match.captured(1) != QLatin1String("CRITICAL"),
            qPrintable(line));
        if (match.captured(2).startsWith(QLatin1String(">>>[quit]")))
            quitLines << match.captured(2);
        if (match.captured(2).startsWith(QLatin1String("Settings file:")))
            settingsLines << match.captured(2);
    }
    const QString settingsFile = home.filePath(QStringLiteral("config/appSettingsVorlexIoTConfigurator.cfg"));
    QCOMPARE(settingsLines, QStringList{QStringLiteral("Settings file:  \"%1\"").arg(settingsFile)});
    QVERIFY(out.indexOf(settingsLines.first()) < out.indexOf(QLatin1String(">>>[quit]")));
    QVERIFY2(!QFile::exists(settingsFile), "the program wrote settings without a change");
    QCOMPARE(quitLines.size(), 5);
    QCOMPARE(quitLines.first(), QStringLiteral(">>>[quit] About to quit event, switch off modules:"));
    QCOMPARE(quitLines.last(), QStringLiteral(">>>[quit] event_bus::BusManager..."));
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
    QFile style(QStringLiteral(":/qtquickcontrols2.conf"));
    QVERIFY(style.open(QIODevice::ReadOnly));
    QVERIFY(style.readAll().contains("Style=Material"));
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
