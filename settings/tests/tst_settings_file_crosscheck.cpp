// The settings file format checked against a second implementation written apart from the
// store (settings_file_format.py, Python standard library only), in both directions.
#include "settings/encrypted_settings.h"
#include "testing/log_capture.h"
#include "testing/process_run.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr quint64 kKey = Q_UINT64_C(0x3D8E51A7C42B96F0);

struct ScriptRun
{
    bool finished = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ScriptRun runScript(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    const vk_testing::ProcessRun process = vk_testing::runProcess(
        QStringLiteral(PYTHON_PATH), QStringList { QStringLiteral(SCRIPT_PATH) } + arguments, input);
    return { process.exitedNormally(), process.exitCode, process.out, process.err };
}

} // namespace

class TestSettingsFileCrossCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void storeFileDecodesInPython_data();
    void storeFileDecodesInPython();
    void pythonFileLoadsInStore_data();
    void pythonFileLoadsInStore();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestSettingsFileCrossCheck::initTestCase()
{
    const ScriptRun run = runScript({ QStringLiteral("selftest") });
    QVERIFY2(run.finished, "the Python script did not run: " PYTHON_PATH);
    QVERIFY2(run.exitCode == 0, run.err.constData());
}

void TestSettingsFileCrossCheck::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("appSettingsVorlexIoTConfigurator.cfg"));
}

void TestSettingsFileCrossCheck::cleanup()
{
    EncryptedSettings::destroyInstance();
    m_dir.reset();
}

void TestSettingsFileCrossCheck::storeFileDecodesInPython_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("line"); // the key line in the plain text, when short enough to spell out

    QTest::newRow("abc") << QVariant(QStringLiteral("abc")) << "app1=TStrYWJj";
    QTest::newRow("two padding characters dropped") << QVariant(QStringLiteral("7391")) << "app1=TStrNzM5MQ";
    QTest::newRow("one padding character dropped") << QVariant(QStringLiteral("ab")) << "app1=TStrYWI";
    QTest::newRow("equals and line break") << QVariant(QStringLiteral("a=b\nc")) << "app1=TStrYT1iCmM";
    QTest::newRow("non-ASCII") << QVariant(QString::fromUtf8("Пароль")) << "app1=TStr0J/QsNGA0L7Qu9GM";
    QTest::newRow("empty") << QVariant(QString()) << "app1=TStr";
    QTest::newRow("integer") << QVariant(30) << "app1=30";
    QTest::newRow("long") << QVariant(QStringLiteral("server_address ").repeated(100)) << "";
}

void TestSettingsFileCrossCheck::storeFileDecodesInPython()
{
    QFETCH(QVariant, value);
    QFETCH(QString, line);

    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    QCOMPARE(store->setValue(QStringLiteral("setting/app0"), 1), ReturnCode::Ok);
    QCOMPARE(store->setValue(QStringLiteral("setting/app1"), value), ReturnCode::Ok);

    const ScriptRun run = runScript({ QStringLiteral("decode"), m_path });
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QJsonObject result = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(result.value(QLatin1String("version")).toInt(), 3);
    QCOMPARE(result.value(QLatin1String("flags")).toInt(), 1 | 4); // compressed, SHA-1
    const QString text = result.value(QLatin1String("text")).toString();
    QVERIFY2(text.startsWith(QLatin1String("[setting]\napp0=1\napp1=")), qPrintable(text));
    if (!line.isEmpty())
        QCOMPARE(text, QStringLiteral("[setting]\napp0=1\n") + line + QLatin1Char('\n'));
    const QJsonObject values = result.value(QLatin1String("values")).toObject();
    QCOMPARE(values.value(QLatin1String("setting/app0")).toString(), QStringLiteral("1"));
    QCOMPARE(values.value(QLatin1String("setting/app1")).toString(), value.toString());
}

void TestSettingsFileCrossCheck::pythonFileLoadsInStore_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("loads");

    QTest::newRow("compressed, SHA-1 (as the store writes)")
        << QStringList { "--compress=always", "--protect=hash" } << true;
    QTest::newRow("compressed, checksum") << QStringList { "--compress=always", "--protect=checksum" } << true;
    QTest::newRow("compressed, unprotected") << QStringList { "--compress=always", "--protect=none" } << true;
    QTest::newRow("plain, SHA-1") << QStringList { "--compress=never", "--protect=hash" } << true;
    QTest::newRow("plain, checksum") << QStringList { "--compress=never", "--protect=checksum" } << true;
    QTest::newRow("plain, unprotected") << QStringList { "--compress=never", "--protect=none" } << true;
    QTest::newRow("compressed when shorter") << QStringList { "--compress=auto", "--protect=hash" } << true;
    QTest::newRow("random byte 0") << QStringList { "--random=0" } << true;
    QTest::newRow("random byte 255") << QStringList { "--random=255" } << true;
    QTest::newRow("other key") << QStringList { "--key=3D8E51A7C42B96F1" } << false;
}

void TestSettingsFileCrossCheck::pythonFileLoadsInStore()
{
    QFETCH(QStringList, options);
    QFETCH(bool, loads);

    const QJsonObject groups {
        { QStringLiteral("setting"),
            QJsonObject { { QStringLiteral("app1"), QStringLiteral("7391") },
                { QStringLiteral("app4"), QStringLiteral("a=b\nserver_address") } } },
        { QStringLiteral("other"), QJsonObject { { QStringLiteral("k"), QString::fromUtf8("Пароль ✓") } } },
    };
    const ScriptRun run = runScript(QStringList { QStringLiteral("encode"), m_path } + options,
        QJsonDocument(groups).toJson(QJsonDocument::Compact));
    QVERIFY(run.finished);
    QVERIFY2(run.exitCode == 0, run.err.constData());

    vk_testing::LogCapture capture;
    EncryptedSettings *store = EncryptedSettings::createInstance(m_path, kKey);
    QVERIFY(store);
    if (!loads) {
        QCOMPARE(capture.texts(), QStringList { QStringLiteral("ERROR: Error while decrypt 3") });
        QCOMPARE(store->value(QStringLiteral("setting/app1")), QVariant());
        return;
    }
    QCOMPARE(capture.texts(), QStringList());
    QCOMPARE(store->value(QStringLiteral("setting/app1")), QVariant(QStringLiteral("7391")));
    QCOMPARE(store->value(QStringLiteral("setting/app4")), QVariant(QStringLiteral("a=b\nserver_address")));
    QCOMPARE(store->value(QStringLiteral("other/k")), QVariant(QString::fromUtf8("Пароль ✓")));
}

QTEST_GUILESS_MAIN(TestSettingsFileCrossCheck)
#include "tst_settings_file_crosscheck.moc"
