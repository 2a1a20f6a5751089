// vk-config in this process with a translator that changes every text of the program: its exit codes
// are those it gives untranslated, since it decides by the core's outcomes, never by what the core
// shows to people.
#include "simulator/device_catalog.h"
#include "simulator/firmware_image.h"
#include "vk_config/command_line.h"
#include "vk_config/tool_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

// Every text in reverse, between guillemets.
class ReversingTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        QString text = QString::fromUtf8(sourceText);
        std::reverse(text.begin(), text.end());
        return QStringLiteral("«%1»").arg(text);
    }
};

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

class TestVkConfigTranslated : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void exitCodes_data();
    void exitCodes();

private:
    QTemporaryDir _home;
    ReversingTranslator _translator;
};

void TestVkConfigTranslated::initTestCase()
{
    QVERIFY(_home.isValid());
    qputenv("XDG_DATA_HOME", _home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", _home.filePath(QStringLiteral("config")).toUtf8());
    qInstallMessageHandler(quiet);
    QVERIFY(QCoreApplication::installTranslator(&_translator));
    QVERIFY(QCoreApplication::translate("configurator::GuiQmlHandler", "Access denided") != "Access denided");

    // fm200 with a command that fails.
    QFile source(simulator::DeviceCatalog::sourceFolder() + QStringLiteral("/fm200.json"));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QJsonObject definition = QJsonDocument::fromJson(source.readAll()).object();
    QJsonArray commands = definition.value(QStringLiteral("commands")).toArray();
    QJsonObject command = commands.at(1).toObject();
    command.insert(QStringLiteral("result"), QStringLiteral("Error"));
    commands.replace(1, command);
    definition.insert(QStringLiteral("commands"), commands);
    QDir().mkpath(_home.filePath(QStringLiteral("failing")));
    QFile failing(_home.filePath(QStringLiteral("failing/fm200.json")));
    QVERIFY(failing.open(QIODevice::WriteOnly));
    failing.write(QJsonDocument(definition).toJson());

    QFile image(_home.filePath(QStringLiteral("vc1.bin")));
    QVERIFY(image.open(QIODevice::WriteOnly));
    image.write(simulator::FirmwareImage::make({ 3, 1 }, 20000, 31));
}

void TestVkConfigTranslated::cleanupTestCase()
{
    QCoreApplication::removeTranslator(&_translator);
    qInstallMessageHandler(nullptr);
}

void TestVkConfigTranslated::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    const QStringList root { "--password", "4711" };
    QTest::newRow("get") << (QStringList { "get", "10250001", "--settings" } + root) << 0;
    QTest::newRow("set, applied") << (QStringList { "set", "10250001", "--value", "104=120" } + root) << 0;
    QTest::newRow("wrong password") << QStringList { "get", "10250001", "--password", "0000" } << 4;
    QTest::newRow("a value out of range") << (QStringList { "set", "10250001", "--value", "104=5" } + root) << 2;
    QTest::newRow("not found") << (QStringList { "get", "99999", "--timeout", "2" } + root) << 3;
    QTest::newRow("command fails") << (QStringList { "run", "10250001", "301", "--simulator", "@failing" } + root) << 1;
    QTest::newRow("firmware update") << QStringList { "update", "30720005", "@vc1.bin", "--password", "5555" } << 0;
}

void TestVkConfigTranslated::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QStringList full { QStringLiteral("vk-config"), QStringLiteral("--app-settings"),
        _home.filePath(QStringLiteral("settings.cfg")) };
    if (!arguments.contains(QStringLiteral("--simulator")))
        full << QStringLiteral("--simulator");
    for (const QString &argument : arguments)
        full << (argument.startsWith(u'@') ? _home.filePath(argument.mid(1)) : argument);
    vk_config::Request request;
    QString error;
    QString help;
    QVERIFY2(vk_config::CommandLine::parse(full, request, error, help), qPrintable(error));
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    QCOMPARE(vk_config::runTool(request, out, err), exitCode);
    QVERIFY2(exitCode == 0 || errText.contains(QLatin1String("vk-config: error: ")), qPrintable(errText));
}

QTEST_GUILESS_MAIN(TestVkConfigTranslated)
#include "tst_vk_config_translated.moc"
