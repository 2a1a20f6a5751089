// Runs the real program headless through its whole start-up and quit sequence.
#include "app/app_identity.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestProgram : public QObject
{
    Q_OBJECT

private slots:
    void startsAndQuitsCleanly();
    void identityValues();
};

void TestProgram::startsAndQuitsCleanly()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PROGRAM_PATH), { QStringLiteral("--quit-after-load") });
    QVERIFY2(process.waitForFinished(120000), "the program did not quit");
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    QVERIFY2(process.exitStatus() == QProcess::NormalExit, qPrintable(out));
    QCOMPARE(process.exitCode(), 0);

    QVERIFY2(!out.contains(QLatin1String("Invalid QQmlApplicationEngine::rootObjects!")), qPrintable(out));

    const QRegularExpression ownLine(
        QStringLiteral(R"(^\[\d\d\.\d\d\.\d{4}/\d\d:\d\d:\d\d\.\d{3}\]\[(DEBUG|INFO|WARNING|CRITICAL)\]\[\] (.*)$)"));
    QStringList quitLines;
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const auto match = ownLine.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        QVERIFY2(match.captured(1) != QLatin1String("WARNING") && match.captured(1) != QLatin1String("CRITICAL"),
            qPrintable(line));
        if (match.captured(2).startsWith(QLatin1String(">>>[quit]")))
            quitLines << match.captured(2);
    }
    QCOMPARE(quitLines.size(), 5);
    QCOMPARE(quitLines.first(), QStringLiteral(">>>[quit] About to quit event, switch off modules:"));
    QCOMPARE(quitLines.last(), QStringLiteral(">>>[quit] event_bus::BusManager..."));
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
