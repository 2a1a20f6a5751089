// A device's configuration as a file in the window, as a user works with it on simulated fm200: saved
// to a file, loaded back after the device changed, compared row by row, applied; a document of another
// model; hostile documents; the device's history.
#include "window_harness.h"

#include "configurator/device_history.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VorlexIoTConfiguratorPlugin)

using namespace ui_testing;
using core_testing::shippedDevice;

namespace {

QByteArray document(const QJsonArray &elements, int modelId = 17, const QString &firmware = QStringLiteral("2.4"))
{
    return QJsonDocument(QJsonObject { { "format", "vk-config" }, { "version", 1 },
                             { "device", QJsonObject { { "modelId", modelId }, { "firmwareVersion", firmware } } },
                             { "elements", elements } })
        .toJson();
}

QJsonObject setting(int id, const QJsonValue &value)
{
    return QJsonObject { { "id", id }, { "kind", "SlaveSetting" }, { "value", value } };
}

} // namespace

class TestUiConfiguration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { _ui.stop(); }
    void saveChangeLoadApply();
    void documentOfAnotherModel();
    void hostileDocuments_data();
    void hostileDocuments();

private:
    // Picks "Save to file…" or "Load from file…" of the Settings page and answers its file dialog.
    void fileMenu(const QString &entry, const QString &dialog, const QString &path);
    QString write(const QString &name, const QByteArray &bytes);
    QByteArray deviceValue(int id);
    int settingsWrites();

    QTemporaryDir _files;
    UiHarness _ui;
    const simulator::DeviceDefinition &_fm200 = shippedDevice("fm200");
};

void TestUiConfiguration::initTestCase()
{
    QVERIFY(_files.isValid());
    QVERIFY(_ui.start());
    QVERIFY(_ui.connect(_fm200, QStringLiteral("4711")));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QTRY_COMPARE(_ui.currentPage(), 0);
}

void TestUiConfiguration::fileMenu(const QString &entry, const QString &dialog, const QString &path)
{
    // A user waits for the busy veil to go before pressing a button under it.
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    QVERIFY(_ui.clickName(QStringLiteral("settingsFileButton")));
    QVERIFY(_ui.clickName(entry));
    QObject *files = _ui.object(dialog);
    QVERIFY(files);
    QTRY_VERIFY_WITH_TIMEOUT(files->property("opened").toBool(), 20000);
    // The user picks the file in the dialog.
    QVERIFY(QMetaObject::invokeMethod(files, "choose", Q_ARG(QVariant, QUrl::fromLocalFile(path))));
}

QString TestUiConfiguration::write(const QString &name, const QByteArray &bytes)
{
    QFile file(_files.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return file.fileName();
}

QByteArray TestUiConfiguration::deviceValue(int id)
{
    QByteArray value;
    _ui.core.withEngine(_fm200, [&](simulator::DeviceEngine &engine) { value = engine.value(quint16(id)); });
    return value;
}

int TestUiConfiguration::settingsWrites()
{
    int writes = 0;
    _ui.core.withEngine(_fm200, [&](simulator::DeviceEngine &engine) {
        writes = int(engine.counters().journal.count(QStringLiteral("file 2 written")));
    });
    return writes;
}

void TestUiConfiguration::saveChangeLoadApply()
{
    const QString saved = _files.filePath(QStringLiteral("fm200.json"));
    fileMenu(QStringLiteral("settingsSaveToFile"), QStringLiteral("settingsSaveFileDialog"), saved);
    QTRY_VERIFY(QFileInfo(saved).size() > 0);

    // Meanwhile two settings change on the device.
    _ui.core.withEngine(_fm200, [](simulator::DeviceEngine &engine) {
        QVERIFY(engine.setValue(104, QByteArray::fromHex("5a00"))); // 90 s
        QVERIFY(engine.setValue(102, QByteArray::fromHex("cd00"))); // 20.5 m³/h
        engine.resetCounters();
    });

    fileMenu(QStringLiteral("settingsLoadFromFile"), QStringLiteral("settingsLoadFileDialog"), saved);
    QVERIFY(_ui.waitOpened(QStringLiteral("compareDialog")));
    QObject *rows = _ui.object(QStringLiteral("compareDialog"))->property("rows").value<QObject *>();
    // Exactly the two rows that differ, both checked; nothing written yet.
    QTRY_COMPARE(rows->property("count").toInt(), 2);
    QCOMPARE(rows->property("checkedCount").toInt(), 2);
    QVERIFY(_ui.waitItem(QStringLiteral("compareRow_104")));
    QVERIFY(_ui.item(QStringLiteral("compareCheck_102"))->property("checked").toBool());
    QVERIFY(_ui.text(_ui.item(QStringLiteral("compareValues_104"))).contains(QLatin1String("device: 90")));
    QVERIFY(_ui.text(_ui.item(QStringLiteral("compareValues_102"))).contains(QLatin1String("file: 18")));
    QCOMPARE(settingsWrites(), 0);
    // "Show all" shows the equal rows too.
    QVERIFY(_ui.clickName(QStringLiteral("compareShowAll")));
    QTRY_VERIFY(rows->property("count").toInt() > 2);
    QCOMPARE(rows->property("checkedCount").toInt(), 2);
    _ui.screenshot(QStringLiteral("compare"));

    QVERIFY(_ui.clickName(QStringLiteral("compareApply")));
    QTRY_COMPARE_WITH_TIMEOUT(_ui.text(_ui.item(QStringLiteral("compareStatus_104"))), QStringLiteral("written"), kWaitMs);
    QTRY_COMPARE(_ui.text(_ui.item(QStringLiteral("compareStatus_102"))), QStringLiteral("written"));
    QCOMPARE(deviceValue(104), QByteArray::fromHex("3c00"));
    QCOMPARE(deviceValue(102), QByteArray::fromHex("b400"));
    // Saved, read back, then applied, as the Save button does: the rows show "written" at the read back,
    // the apply command follows.
    QStringList journal;
    const auto applied = [&] {
        _ui.core.withEngine(_fm200, [&](simulator::DeviceEngine &engine) { journal = engine.counters().journal; });
        return journal.indexOf(QStringLiteral("command 1029")) > journal.indexOf(QStringLiteral("file 2 written"));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(applied(), qPrintable(journal.join(u',')), kWaitMs);
    QVERIFY(_ui.clickName(QStringLiteral("compareClose")));
    QVERIFY(_ui.waitOpened(QStringLiteral("compareDialog"), false));

    // The history has the two changes, newest first, from the window.
    const QList<configurator::DeviceHistory::Record> records = configurator::DeviceHistory::read(_fm200.serial);
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(0).face, QStringLiteral("window"));
    QCOMPARE(records.at(0).outcome, QStringLiteral("ok"));
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuHistory")));
    QVERIFY(_ui.waitOpened(QStringLiteral("historyDialog")));
    QTRY_COMPARE(_ui.object(QStringLiteral("historyList"))->property("count").toInt(), 2);
    QStringList changes;
    for (int row = 0; row < 2; ++row)
        changes << _ui.text(_ui.waitExisting(QStringLiteral("historyChange_%1").arg(row)));
    changes.sort();
    QCOMPARE(changes, (QStringList { QStringLiteral("20.5 \u2192 18   (ok)"), QStringLiteral("90 \u2192 60   (ok)") }));
    _ui.screenshot(QStringLiteral("history"));
    // Exported as CSV for a colleague.
    const QString csv = _files.filePath(QStringLiteral("history.csv"));
    QVERIFY(_ui.clickName(QStringLiteral("historyExport")));
    QObject *exportDialog = _ui.object(QStringLiteral("historyExportDialog"));
    QTRY_VERIFY(exportDialog->property("opened").toBool());
    QVERIFY(QMetaObject::invokeMethod(exportDialog, "choose", Q_ARG(QVariant, QUrl::fromLocalFile(csv))));
    QTRY_VERIFY(QFileInfo(csv).size() > 0);
    QFile exported(csv);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    QCOMPARE(exported.readAll().count("\r\n"), 3);
    QVERIFY(_ui.clickName(QStringLiteral("historyClose")));
    QVERIFY(_ui.waitOpened(QStringLiteral("historyDialog"), false));
}

void TestUiConfiguration::documentOfAnotherModel()
{
    // A gateway's settings: other ids, one that this device has too.
    const QString path = write(QStringLiteral("gw4.json"),
        document({ setting(13, 2), setting(14, 5), setting(104, 120) }, 42, QStringLiteral("1.7")));
    _ui.core.withEngine(_fm200, [](simulator::DeviceEngine &engine) { engine.resetCounters(); });
    fileMenu(QStringLiteral("settingsLoadFromFile"), QStringLiteral("settingsLoadFileDialog"), path);
    QVERIFY(_ui.waitOpened(QStringLiteral("compareDialog")));
    QObject *rows = _ui.object(QStringLiteral("compareDialog"))->property("rows").value<QObject *>();
    QTRY_COMPARE(rows->property("count").toInt(), 3);
    QCOMPARE(rows->property("warnings").toStringList().size(), 2);
    QVERIFY(_ui.waitItem(QStringLiteral("compareWarning")));
    QVERIFY(!_ui.item(QStringLiteral("compareCheck_13"))->isEnabled());
    QVERIFY(_ui.text(_ui.item(QStringLiteral("compareStatus_14"))).contains(QLatin1String("not in the device's profile")));
    // The one row that fits is checked; unchecked, nothing can be applied.
    QCOMPARE(rows->property("checkedCount").toInt(), 1);
    QVERIFY(_ui.clickName(QStringLiteral("compareCheck_104")));
    QTRY_COMPARE(rows->property("checkedCount").toInt(), 0);
    QVERIFY(!_ui.item(QStringLiteral("compareApply"))->isEnabled());
    QVERIFY(_ui.clickName(QStringLiteral("compareClose")));
    QVERIFY(_ui.waitOpened(QStringLiteral("compareDialog"), false));
    QCOMPARE(settingsWrites(), 0);
    QCOMPARE(deviceValue(104), QByteArray::fromHex("3c00"));
}

void TestUiConfiguration::hostileDocuments_data()
{
    QTest::addColumn<QByteArray>("bytes"); // "@50MB": a sparse file of 50 MB
    QTest::addColumn<QString>("refusal"); // what the error dialog or the one row says
    QTest::newRow("not JSON") << QByteArray("PK\x03\x04 not a document") << "not a JSON document";
    QTest::newRow("50 MB") << QByteArray("@50MB") << "a configuration document has at most";
    QTest::newRow("nesting 10000 deep") << QByteArray(10000, '[') + QByteArray(10000, ']') << "not a JSON document";
    QTest::newRow("elements not a list")
        << QByteArray(R"({"format":"vk-config","version":1,"elements":{"id":104}})") << "no \"elements\" list";
    QTest::newRow("id as text") << QByteArray(R"({"format":"vk-config","version":1,"elements":[{"id":"104"}]})")
                                << "has no id from 0 to 65535";
    QTest::newRow("invalid UTF-8")
        << QByteArray("{\"format\":\"vk-config\",\"version\":1,\"elements\":[{\"id\":10,\"value\":\"\xff\xfe\"}]}")
        << "not a JSON document";
    QTest::newRow("duplicate ids") << document({ setting(104, 100), setting(104, 200) }) << "given twice";
    QTest::newRow("negative id") << document({ setting(-104, 100) }) << "has no id from 0 to 65535";
    QTest::newRow("negative value") << document({ setting(104, -5) }) << "is out of range";
    QTest::newRow("huge value") << document({ setting(104, 1e300) }) << "wrong kind of value";
    QTest::newRow("text for a number") << document({ setting(104, "sixty") }) << "wrong kind of value";
}

void TestUiConfiguration::hostileDocuments()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, refusal);
    QString path;
    if (bytes == "@50MB") {
        QFile big(_files.filePath(QStringLiteral("big.json")));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(50 * 1024 * 1024));
        path = big.fileName();
    } else {
        path = write(QStringLiteral("hostile.json"), bytes);
    }
    _ui.core.withEngine(_fm200, [](simulator::DeviceEngine &engine) { engine.resetCounters(); });
    fileMenu(QStringLiteral("settingsLoadFromFile"), QStringLiteral("settingsLoadFileDialog"), path);
    // One refusal: a dialog saying what and where, or the one row saying why it does not fit.
    QVERIFY(_ui.waitFor([&]() {
        QObject *error = _ui.object(QStringLiteral("errorDialog"));
        QObject *compare = _ui.object(QStringLiteral("compareDialog"));
        return (error && error->property("opened").toBool()) || (compare && compare->property("opened").toBool());
    }));
    QObject *error = _ui.object(QStringLiteral("errorDialog"));
    if (error && error->property("opened").toBool()) {
        QVERIFY2(_ui.text(_ui.item(QStringLiteral("errorText"))).contains(refusal),
            qPrintable(_ui.text(_ui.item(QStringLiteral("errorText")))));
        QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    } else {
        QObject *rows = _ui.object(QStringLiteral("compareDialog"))->property("rows").value<QObject *>();
        QTRY_COMPARE(rows->property("count").toInt(), 1);
        QCOMPARE(rows->property("checkedCount").toInt(), 0);
        QVERIFY2(_ui.text(_ui.waitItem(QStringLiteral("compareStatus_104"))).contains(refusal),
            qPrintable(_ui.text(_ui.item(QStringLiteral("compareStatus_104")))));
        QVERIFY(_ui.clickName(QStringLiteral("compareClose")));
        QVERIFY(_ui.waitOpened(QStringLiteral("compareDialog"), false));
    }
    // Nothing went to the device, and the window still answers: the drawer opens and closes.
    QCOMPARE(settingsWrites(), 0);
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    QVERIFY(_ui.openDrawer());
    QVERIFY(_ui.closeDrawer());
}

QTEST_MAIN(TestUiConfiguration)
#include "tst_ui_configuration.moc"
