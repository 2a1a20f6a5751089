// vk-config in this process with a translator that changes every text of the program, and with the
// window's Russian catalogue: its exit codes are those it gives untranslated, since it decides by the
// core's outcomes, never by what the core shows to people.
#include "configurator/interface_language.h"
#include "simulator/device_catalog.h"
#include "simulator/firmware_image.h"
#include "vk_config/command_line.h"
#include "vk_config/tool_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QScopeGuard>
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
    ReversingTranslator _reversing;
    QTranslator _russian;
};

void TestVkConfigTranslated::initTestCase()
{
    QVERIFY(_home.isValid());
    qputenv("XDG_DATA_HOME", _home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", _home.filePath(QStringLiteral("config")).toUtf8());
    qInstallMessageHandler(quiet);
    QVERIFY(_russian.load(configurator::InterfaceLanguage::catalogueResource()));
    QCOMPARE(_russian.translate("configurator::GuiQmlHandler", "Access denided"), QStringLiteral("Доступ запрещён"));

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
    qInstallMessageHandler(nullptr);
}

void TestVkConfigTranslated::exitCodes_data()
{
    QTest::addColumn<bool>("russian");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    const QStringList root { "--password", "4711" };
    for (const bool russian : { false, true }) {
        const auto row = [russian](const char *name) -> QTestData & {
            return QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(
                       QString::fromLatin1(name), russian ? QStringLiteral("Russian") : QStringLiteral("reversed"))))
                << russian;
        };
        row("get") << (QStringList { "get", "10250001", "--settings" } + root) << 0;
        row("set, applied") << (QStringList { "set", "10250001", "--value", "104=120" } + root) << 0;
        row("wrong password") << QStringList { "get", "10250001", "--password", "0000" } << 4;
        row("a value out of range") << (QStringList { "set", "10250001", "--value", "104=5" } + root) << 2;
        row("not found") << (QStringList { "get", "99999", "--timeout", "2" } + root) << 3;
        row("command fails") << (QStringList { "run", "10250001", "301", "--simulator", "@failing" } + root) << 1;
        row("firmware update") << QStringList { "update", "30720005", "@vc1.bin", "--password", "5555" } << 0;
    }
}

void TestVkConfigTranslated::exitCodes()
{
    QFETCH(bool, russian);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QTranslator *translator = russian ? static_cast<QTranslator *>(&_russian) : &_reversing;
    QVERIFY(QCoreApplication::installTranslator(translator));
    const auto removeTranslator = qScopeGuard([translator]() { QCoreApplication::removeTranslator(translator); });
    const QString refused = QCoreApplication::translate("configurator::GuiQmlHandler", "Access denided");
    QCOMPARE(refused, russian ? QStringLiteral("Доступ запрещён") : QStringLiteral("«dedined sseccA»"));
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
