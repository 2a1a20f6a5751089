// vk-config as a child process on simulated devices: every run is a fresh process, its per-user
// folders in a temporary home; --simulator-state carries the devices from one run to the next.
#include "app/app_identity.h"
#include "settings/encrypted_settings.h"
#include "simulator/device_catalog.h"
#include "simulator/firmware_image.h"
#include "testing/process_run.h"
#include "vk_config/simulator_state.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr quint32 kFm200 = 10250001;
constexpr quint32 kGw4 = 20480017;
constexpr quint32 kVc1 = 30720005;

QString serial(quint32 value)
{
    return QString::number(value);
}

// One temporary installation: home, settings, data folders and the simulated devices' state.
class Installation
{
public:
    Installation()
    {
        QDir().mkpath(_home.filePath(QStringLiteral("config")));
        QDir().mkpath(_home.filePath(QStringLiteral("data")));
    }

    bool isValid() const { return _home.isValid(); }
    QString path(const QString &name) const { return _home.filePath(name); }
    QString statePath() const { return path(QStringLiteral("state.json")); }

    // The program's settings as the window would have stored them.
    bool writeSettings(const QMap<int, QVariant> &values) const
    {
        const QString file = path(QStringLiteral("config/appSettingsVorlexIoTConfigurator.cfg"));
        EncryptedSettings *store = EncryptedSettings::createInstance(file, app::kSettingsKey);
        bool ok = store != nullptr;
        for (auto it = values.cbegin(); ok && it != values.cend(); ++it)
            ok = store->setValue(QStringLiteral("setting/app%1").arg(it.key()), it.value()) == ReturnCode::Ok;
        EncryptedSettings::destroyInstance();
        return ok;
    }

    // vk-config with `arguments` on the built-in simulated devices and this installation's state.
    vk_testing::ProcessRun run(
        const QStringList &arguments, const QMap<QString, QString> &extraEnvironment = {}, bool withState = true) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("VK_PASSWORD"));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // vk-config chooses offscreen itself
        env.insert(QStringLiteral("HOME"), _home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), _home.path());
        for (auto it = extraEnvironment.cbegin(); it != extraEnvironment.cend(); ++it)
            env.insert(it.key(), it.value());
        QStringList all;
        if (!arguments.contains(QStringLiteral("--simulator")))
            all << QStringLiteral("--simulator");
        if (withState)
            all << QStringLiteral("--simulator-state") << statePath();
        return vk_testing::runProcess(QStringLiteral(VK_CONFIG_PATH), all + arguments, {}, env, 120000);
    }

    QJsonObject state() const
    {
        QFile file(statePath());
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }
    int counter(const QString &deviceId, const QString &name) const
    {
        return vk_config::SimulatorState::countersOf(state(), deviceId).value(name).toInt(-1);
    }
    // What the simulated device did, in order, over every run so far.
    QStringList journal(const QString &deviceId) const
    {
        QStringList entries;
        const QJsonArray saved = state()
                                     .value(QStringLiteral("devices"))
                                     .toObject()
                                     .value(deviceId)
                                     .toObject()
                                     .value(QStringLiteral("journal"))
                                     .toArray();
        for (const QJsonValue &entry : saved)
            entries << entry.toString();
        return entries;
    }
    QString deviceValue(const QString &deviceId, int id) const
    {
        return state()
            .value(QStringLiteral("devices"))
            .toObject()
            .value(deviceId)
            .toObject()
            .value(QStringLiteral("values"))
            .toObject()
            .value(QString::number(id))
            .toString();
    }

    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return file.fileName();
    }

    // A folder with the shipped fm200, changed by `edit`.
    QString devicesFolder(const std::function<void(QJsonObject &)> &edit) const
    {
        QFile source(simulator::DeviceCatalog::sourceFolder() + QStringLiteral("/fm200.json"));
        if (!source.open(QIODevice::ReadOnly))
            return QString();
        QJsonObject definition = QJsonDocument::fromJson(source.readAll()).object();
        edit(definition);
        QDir().mkpath(path(QStringLiteral("devices")));
        writeFile(QStringLiteral("devices/fm200.json"), QJsonDocument(definition).toJson());
        return path(QStringLiteral("devices"));
    }

private:
    QTemporaryDir _home;
};

QString text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes);
}

// The lines vk-config wrote to standard error as errors.
QStringList errorLines(const vk_testing::ProcessRun &run)
{
    QStringList lines;
    for (const QString &line : text(run.err).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("vk-config: error: ")))
            lines << line;
    }
    return lines;
}

QString describe(const vk_testing::ProcessRun &run)
{
    return QStringLiteral("exit %1\n--- out\n%2--- err\n%3").arg(run.exitCode).arg(text(run.out), text(run.err));
}

// The elements of a document by id.
QMap<int, QJsonObject> elementsOf(const QJsonObject &document)
{
    QMap<int, QJsonObject> elements;
    for (const QJsonValue &value : document.value(QStringLiteral("elements")).toArray())
        elements.insert(value.toObject().value(QStringLiteral("id")).toInt(), value.toObject());
    return elements;
}

QJsonObject elementValue(int id, const QJsonValue &value, const QString &kind = QStringLiteral("SlaveSetting"),
    const QString &dataType = QString())
{
    QJsonObject element { { QStringLiteral("id"), id }, { QStringLiteral("kind"), kind },
        { QStringLiteral("value"), value } };
    if (!dataType.isEmpty())
        element.insert(QStringLiteral("dataType"), dataType);
    return element;
}

QByteArray documentWith(const QJsonArray &elements)
{
    return QJsonDocument(QJsonObject { { QStringLiteral("format"), QStringLiteral("vk-config") },
                             { QStringLiteral("version"), 1 }, { QStringLiteral("elements"), elements } })
        .toJson();
}

} // namespace

#define VERIFY_RUN(run, condition) QVERIFY2((run).exitedNormally() && (condition), qPrintable(describe(run)))

class TestVkConfig : public QObject
{
    Q_OBJECT

private slots:
    void scanListsShippedDevices();
    void getJsonThenSetChangesExactlyThatValue();
    void refusalsSendNothing_data();
    void refusalsSendNothing();
    void passwords_data();
    void passwords();
    void serialsEndWithSummary();
    void updateBringsVc1ToItsNewVersion();
    void reportIsReadablePdf();
    void filesAndCommands();
    void deviceRefusals_data();
    void deviceRefusals();
    void usageErrors_data();
    void usageErrors();
};

void TestVkConfig::scanListsShippedDevices()
{
    Installation installation;
    QVERIFY(installation.isValid());
    const vk_testing::ProcessRun json = installation.run(
        { QStringLiteral("scan"), QStringLiteral("--seconds"), QStringLiteral("3"), QStringLiteral("--json") });
    VERIFY_RUN(json, json.exitCode == 0 && json.err.isEmpty());
    const QJsonArray devices = QJsonDocument::fromJson(json.out).array();
    const simulator::DeviceCatalog catalog = simulator::DeviceCatalog::builtIn();
    QCOMPARE(devices.size(), catalog.definitions().size());
    for (const simulator::DeviceDefinition &definition : catalog.definitions()) {
        const auto found = std::find_if(devices.begin(), devices.end(), [&](const QJsonValue &device) {
            return device.toObject().value(QStringLiteral("serial")).toDouble() == definition.serial;
        });
        QVERIFY2(found != devices.end(), qPrintable(definition.id));
        const QJsonObject device = found->toObject();
        const simulator::FirmwareDefinition &firmware = definition.startFirmware();
        QCOMPARE(device.value(QStringLiteral("name")).toString(), firmware.name);
        QCOMPARE(device.value(QStringLiteral("modelId")).toInt(), int(definition.modelId));
        QCOMPARE(device.value(QStringLiteral("hardwareVersion")).toInt(), int(definition.hardwareVersion));
        QCOMPARE(device.value(QStringLiteral("firmwareVersion")).toString(),
            QStringLiteral("%1.%2").arg(firmware.version.Major).arg(firmware.version.Minor));
    }

    // One line a device, under a header.
    const vk_testing::ProcessRun table
        = installation.run({ QStringLiteral("scan"), QStringLiteral("--seconds"), QStringLiteral("3") });
    VERIFY_RUN(table, table.exitCode == 0);
    const QList<QByteArray> lines = table.outLines();
    QCOMPARE(lines.size(), 1 + catalog.definitions().size());
    QVERIFY(lines.first().startsWith("name"));
    QVERIFY(
        lines.at(1).startsWith("FM-200 Flow") && lines.at(1).contains(" 10250001 ") && lines.at(1).contains(" 2.4 "));
}

void TestVkConfig::getJsonThenSetChangesExactlyThatValue()
{
    Installation installation;
    QVERIFY(installation.isValid());
    const QStringList root { QStringLiteral("--password"), QStringLiteral("4711") };
    const vk_testing::ProcessRun before
        = installation.run(QStringList { QStringLiteral("get"), serial(kFm200), QStringLiteral("--json") } + root);
    VERIFY_RUN(before, before.exitCode == 0);
    const QJsonObject document = QJsonDocument::fromJson(before.out).object();
    QCOMPARE(
        document.value(QStringLiteral("device")).toObject().value(QStringLiteral("serial")).toDouble(), double(kFm200));
    QCOMPARE(document.value(QStringLiteral("access")).toString(), QStringLiteral("root"));
    QMap<int, QJsonObject> elements = elementsOf(document);
    QCOMPARE(elements.value(104).value(QStringLiteral("value")), QJsonValue(60));
    QCOMPARE(elements.value(102).value(QStringLiteral("text")).toString(), QStringLiteral("18"));
    QCOMPARE(elements.value(101).value(QStringLiteral("text")).toString(), QStringLiteral("m³/h"));
    QCOMPARE(installation.counter(QStringLiteral("fm200"), QStringLiteral("fileWrites")), 0);

    // The edited copy: one value changed, everything else as read (state values included, which
    // drift on the device and are not the document's to set).
    QJsonArray edited;
    for (const QJsonValue &value : document.value(QStringLiteral("elements")).toArray()) {
        QJsonObject element = value.toObject();
        if (element.value(QStringLiteral("id")).toInt() == 104)
            element.insert(QStringLiteral("value"), 120);
        edited.append(element);
    }
    QJsonObject editedDocument = document;
    editedDocument.insert(QStringLiteral("elements"), edited);
    const QString file = installation.writeFile(QStringLiteral("edited.json"), QJsonDocument(editedDocument).toJson());

    const vk_testing::ProcessRun dryRun = installation.run(
        QStringList { QStringLiteral("set"), serial(kFm200), file, QStringLiteral("--dry-run") } + root);
    VERIFY_RUN(dryRun, dryRun.exitCode == 0);
    QCOMPARE(dryRun.outLines(), QList<QByteArray> { "104  Logging interval, s: 60 -> 120" });
    QCOMPARE(installation.counter(QStringLiteral("fm200"), QStringLiteral("fileWrites")), 0);

    const vk_testing::ProcessRun set
        = installation.run(QStringList { QStringLiteral("set"), serial(kFm200), file } + root);
    VERIFY_RUN(set, set.exitCode == 0 && errorLines(set).isEmpty());
    QVERIFY2(text(set.out).contains(QLatin1String("1 value(s) written and read back")), qPrintable(describe(set)));
    QVERIFY(installation.counter(QStringLiteral("fm200"), QStringLiteral("fileWrites")) > 0);
    // Applied as the window's Save applies: the settings file written, then the apply command.
    const QStringList journal = installation.journal(QStringLiteral("fm200"));
    const qsizetype written = journal.lastIndexOf(QStringLiteral("file 2 written"));
    QVERIFY2(written >= 0 && journal.indexOf(QStringLiteral("command 1029"), written) > written,
        qPrintable(journal.join(u',')));

    // A new process reads the device anew: exactly that value changed.
    const vk_testing::ProcessRun after
        = installation.run(QStringList { QStringLiteral("get"), serial(kFm200), QStringLiteral("--json") } + root);
    VERIFY_RUN(after, after.exitCode == 0);
    const QMap<int, QJsonObject> read = elementsOf(QJsonDocument::fromJson(after.out).object());
    QCOMPARE(read.keys(), elements.keys());
    for (auto it = elements.cbegin(); it != elements.cend(); ++it) {
        const QString kind = it.value().value(QStringLiteral("kind")).toString();
        if (kind == QLatin1String("SlaveState"))
            continue;
        const QJsonValue expected = it.key() == 104 ? QJsonValue(120) : it.value().value(QStringLiteral("value"));
        QVERIFY2(read.value(it.key()).value(QStringLiteral("value")) == expected,
            qPrintable(QStringLiteral("element %1").arg(it.key())));
    }

    // The same document once more changes nothing and writes nothing.
    const int writes = installation.counter(QStringLiteral("fm200"), QStringLiteral("fileWrites"));
    const vk_testing::ProcessRun again
        = installation.run(QStringList { QStringLiteral("set"), serial(kFm200), file } + root);
    VERIFY_RUN(again, again.exitCode == 0 && text(again.out).contains(QLatin1String("no difference")));
    QCOMPARE(installation.counter(QStringLiteral("fm200"), QStringLiteral("fileWrites")), writes);

    // diff: the edited document is what the device holds, the first one differs in exactly 104.
    const vk_testing::ProcessRun same
        = installation.run(QStringList { QStringLiteral("diff"), serial(kFm200), file } + root);
    VERIFY_RUN(same, same.exitCode == 0 && errorLines(same).isEmpty());
    const QString original = installation.writeFile(QStringLiteral("original.json"), before.out);
    const vk_testing::ProcessRun differs = installation.run(
        QStringList { QStringLiteral("diff"), serial(kFm200), original, QStringLiteral("--json") } + root);
    VERIFY_RUN(differs, differs.exitCode == 1 && errorLines(differs).isEmpty());
    const QJsonObject diff = QJsonDocument::fromJson(differs.out).object();
    QCOMPARE(diff.value(QStringLiteral("equal")).toBool(), false);
    QStringList differing;
    for (const QJsonValue &row : diff.value(QStringLiteral("rows")).toArray()) {
        if (row.toObject().value(QStringLiteral("status")).toString() != QLatin1String("equal"))
            differing << QStringLiteral("%1 %2 -> %3")
                             .arg(row.toObject().value(QStringLiteral("id")).toInt())
                             .arg(row.toObject().value(QStringLiteral("device")).toString(),
                                 row.toObject().value(QStringLiteral("file")).toString());
    }
    QCOMPARE(differing, QStringList { QStringLiteral("104 120 -> 60") });
    QCOMPARE(installation.counter(QStringLiteral("fm200"), QStringLiteral("fileWrites")), writes);

    // history, without the device: the one change, written from vk-config.
    const vk_testing::ProcessRun history = installation.run(
        { QStringLiteral("history"), serial(kFm200), QStringLiteral("--json") }, {}, false);
    VERIFY_RUN(history, history.exitCode == 0);
    const QJsonArray records = QJsonDocument::fromJson(history.out).array();
    QCOMPARE(records.size(), 1);
    const QJsonObject change = records.first().toObject();
    QCOMPARE(change.value(QStringLiteral("face")).toString(), QStringLiteral("vk-config"));
    QCOMPARE(change.value(QStringLiteral("elementId")).toInt(), 104);
    QCOMPARE(change.value(QStringLiteral("before")).toString() + " -> " + change.value(QStringLiteral("after")).toString(),
        QStringLiteral("60 -> 120"));
    QCOMPARE(change.value(QStringLiteral("outcome")).toString(), QStringLiteral("ok"));
}

void TestVkConfig::refusalsSendNothing_data()
{
    QTest::addColumn<QStringList>("arguments"); // after "set <fm200>"
    QTest::addColumn<QByteArray>("document"); // empty: none
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("error");

    const QString root = QStringLiteral("4711");
    QTest::newRow("unknown id") << QStringList { "--value", "999=1" } << QByteArray() << root
                                << "element 999: not in the device's profile";
    QTest::newRow("wrong kind of element")
        << QStringList() << documentWith({ elementValue(104, 120, QStringLiteral("SlaveState")) }) << root
        << "element 104 (Logging interval, s): wrong kind: the document has SlaveState, the device SlaveSetting";
    QTest::newRow("wrong data type")
        << QStringList() << documentWith({ elementValue(100, "x", QStringLiteral("SlaveSetting"), "TString") }) << root
        << "element 100 (Pulse weight, ml): wrong kind: the document has data type TString";
    QTest::newRow("wrong kind of value") << QStringList() << documentWith({ elementValue(104, "sixty") }) << root
                                         << "element 104 (Logging interval, s): wrong kind of value";
    QTest::newRow("not editable for the user")
        << QStringList { "--value", "103=3400" } << QByteArray() << QStringLiteral("1234")
        << "element 103 (Low battery alarm, mV): is not editable with user";
    QTest::newRow("read-only") << QStringList { "--value", "12=2024-01-01 00:00:00" } << QByteArray() << root
                               << "element 12 (Installed on): is not editable";
    QTest::newRow("below its range") << QStringList { "--value", "104=5" } << QByteArray() << root
                                     << "element 104 (Logging interval, s): 5 is out of range 10 ... 3600";
    QTest::newRow("above its range, scaled") << QStringList { "--value", "102=500.1" } << QByteArray() << root
                                             << "element 102 (High flow alarm, m³/h): 500.1 is out of range";
    QTest::newRow("too long for its size") << QStringList { "--value", "10=Pump station number 3" } << QByteArray()
                                           << root << "element 10 (Site name): is too long";
    QTest::newRow("enum index outside its entries") << QStringList() << documentWith({ elementValue(101, 3) }) << root
                                                    << "element 101 (Flow unit): entry index 3 is outside";
    QTest::newRow("locked enum entry") << QStringList { "--value", "101=#gal/h (licence)" } << QByteArray() << root
                                       << "element 101 (Flow unit): entry 2 \"#gal/h (licence)\" is locked";
    // A good value beside a bad one: nothing at all goes to the device.
    QTest::newRow("a good value beside a bad one")
        << QStringList() << documentWith({ elementValue(104, 120), elementValue(100, 0) }) << root
        << "element 100 (Pulse weight, ml): 0 is out of range";
}

void TestVkConfig::refusalsSendNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, document);
    QFETCH(QString, password);
    QFETCH(QString, error);
    Installation installation;
    QVERIFY(installation.isValid());
    QStringList all { QStringLiteral("set"), serial(kFm200) };
    if (!document.isEmpty())
        all << installation.writeFile(QStringLiteral("document.json"), document);
    all << arguments << QStringLiteral("--password") << password;
    const vk_testing::ProcessRun run = installation.run(all);
    VERIFY_RUN(run, run.exitCode == 2);
    const QStringList errors = errorLines(run);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(error), qPrintable(errors.first()));
    QVERIFY(run.out.isEmpty());
    // The device was read, and nothing was written to it.
    QVERIFY(installation.counter(QStringLiteral("fm200"), QStringLiteral("fileReads")) > 0);
    QCOMPARE(installation.counter(QStringLiteral("fm200"), QStringLiteral("fileWrites")), 0);
    QCOMPARE(installation.deviceValue(QStringLiteral("fm200"), 104), QStringLiteral("3c00"));
    QCOMPARE(installation.deviceValue(QStringLiteral("fm200"), 100), QStringLiteral("6400"));
}

void TestVkConfig::passwords_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environment"); // VK_PASSWORD, empty: unset
    QTest::addColumn<QString>("defaultPassword"); // the program's setting, empty: its default
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("access");

    QTest::newRow("wrong password") << QStringList { "--password", "0000" } << QString() << QString() << 4 << "";
    QTest::newRow("user password") << QStringList { "--password", "1234" } << QString() << QString() << 0 << "user";
    QTest::newRow("from the environment") << QStringList() << "4711" << QString() << 0 << "root";
    QTest::newRow("option before environment")
        << QStringList { "--password", "1234" } << "0000" << QString() << 0 << "user";
    QTest::newRow("from the default-password setting") << QStringList() << QString() << "4711" << 0 << "root";
    QTest::newRow("the setting's default is no fm200 password") << QStringList() << QString() << QString() << 4 << "";
}

void TestVkConfig::passwords()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, environment);
    QFETCH(QString, defaultPassword);
    QFETCH(int, exitCode);
    QFETCH(QString, access);
    Installation installation;
    QVERIFY(installation.isValid());
    if (!defaultPassword.isEmpty())
        QVERIFY(installation.writeSettings({ { 1, defaultPassword } }));
    QMap<QString, QString> env;
    if (!environment.isEmpty())
        env.insert(QStringLiteral("VK_PASSWORD"), environment);
    const vk_testing::ProcessRun run = installation.run(
        QStringList { QStringLiteral("get"), serial(kFm200), QStringLiteral("--json"), QStringLiteral("--all") }
            + arguments,
        env);
    VERIFY_RUN(run, run.exitCode == exitCode);
    if (exitCode == 4) {
        QCOMPARE(errorLines(run).size(), 1);
        QVERIFY2(errorLines(run).first().contains(QLatin1String("authentication refused")), qPrintable(describe(run)));
        QVERIFY(run.out.isEmpty());
    } else {
        const QJsonObject document = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(document.value(QStringLiteral("access")).toString(), access);
        // --all: settings, state values, personalization and commands; elements hidden from a user
        // are left out for one.
        const QMap<int, QJsonObject> elements = elementsOf(document);
        QVERIFY(elements.contains(10) && elements.contains(100) && elements.contains(200) && elements.contains(301));
        QCOMPARE(elements.contains(106), access == QLatin1String("root"));
    }
}

void TestVkConfig::serialsEndWithSummary()
{
    Installation installation;
    QVERIFY(installation.isValid());
    const QString list = installation.writeFile(QStringLiteral("line.txt"),
        QStringLiteral("# production line 3\n%1 4711\n%2 9000\n99999\n").arg(kFm200).arg(kGw4).toUtf8());
    const vk_testing::ProcessRun run = installation.run({ QStringLiteral("--serials"), list,
        QStringLiteral("--timeout"), QStringLiteral("5"), QStringLiteral("get"), QStringLiteral("--settings") });
    VERIFY_RUN(run, run.exitCode == 3);
    const QString out = text(run.out);
    // Each device's output, then the summary.
    QVERIFY(out.indexOf(QLatin1String("FM-200 Flow  serial 10250001")) >= 0);
    // --settings: the settings only.
    QVERIFY(out.contains(QLatin1String("Pulse weight, ml")) && !out.contains(QLatin1String("Flow rate")));
    QVERIFY(out.indexOf(QLatin1String("GW-4 Gateway  serial 20480017"))
        > out.indexOf(QLatin1String("FM-200 Flow  serial 10250001")));
    const QList<QByteArray> lines = run.outLines();
    const qsizetype header = lines.indexOf("serial      exit  result");
    QVERIFY2(header > 0, qPrintable(out));
    QCOMPARE(lines.mid(header + 1),
        (QList<QByteArray> { "10250001       0  ok", "20480017       0  ok",
            "99999          3  not found: device 99999 not found", "2 of 3 devices ok" }));
    QCOMPARE(errorLines(run), QStringList { QStringLiteral("vk-config: error: 99999: device 99999 not found") });
}

void TestVkConfig::updateBringsVc1ToItsNewVersion()
{
    Installation installation;
    QVERIFY(installation.isValid());
    const QString image
        = installation.writeFile(QStringLiteral("vc1-3.1.bin"), simulator::FirmwareImage::make({ 3, 1 }, 40000, 31));
    const vk_testing::ProcessRun update = installation.run(
        { QStringLiteral("update"), serial(kVc1), image, QStringLiteral("--password"), QStringLiteral("5555") });
    VERIFY_RUN(update, update.exitCode == 0 && errorLines(update).isEmpty());
    QCOMPARE(update.outLines(), QList<QByteArray> { "30720005: firmware update done, the device runs VC-1 Valve 3.1" });
    // Progress on standard error, up to the end of the upload.
    const QString progress = text(update.err);
    QVERIFY2(progress.contains(QLatin1String("Upload file with firmware...")), qPrintable(progress));
    QVERIFY2(progress.contains(QLatin1String("%\n")), qPrintable(progress));
    QVERIFY(installation.counter(QStringLiteral("vc1"), QStringLiteral("fileWrites")) > 40000 / 244);

    // The next process finds the device running its new application.
    const vk_testing::ProcessRun scan = installation.run(
        { QStringLiteral("scan"), QStringLiteral("--seconds"), QStringLiteral("3"), QStringLiteral("--json") });
    VERIFY_RUN(scan, scan.exitCode == 0);
    bool seen = false;
    for (const QJsonValue &device : QJsonDocument::fromJson(scan.out).array()) {
        if (device.toObject().value(QStringLiteral("serial")).toDouble() != kVc1)
            continue;
        seen = true;
        QCOMPARE(device.toObject().value(QStringLiteral("name")).toString(), QStringLiteral("VC-1 Valve"));
        QCOMPARE(device.toObject().value(QStringLiteral("firmwareVersion")).toString(), QStringLiteral("3.1"));
    }
    QVERIFY2(seen, qPrintable(describe(scan)));
}

void TestVkConfig::reportIsReadablePdf()
{
    Installation installation;
    QVERIFY(installation.isValid());
    const QString pdf = installation.path(QStringLiteral("fm200-{serial}.pdf"));
    const vk_testing::ProcessRun run
        = installation.run({ QStringLiteral("report"), serial(kFm200), QStringLiteral("-o"), pdf,
                               QStringLiteral("--password"), QStringLiteral("4711") },
            {}, false);
    VERIFY_RUN(run, run.exitCode == 0);
    const QString written = installation.path(QStringLiteral("fm200-10250001.pdf"));
    QVERIFY2(text(run.out).contains(written), qPrintable(describe(run)));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) is needed");
    const vk_testing::ProcessRun read = vk_testing::runProcess(
        pdftotext, { written, QStringLiteral("-") }, {}, QProcessEnvironment::systemEnvironment());
    VERIFY_RUN(read, read.exitCode == 0);
    // Table cells wrap their text.
    const QString content = text(read.out).simplified();
    QVERIFY2(content.contains(QLatin1String("State copy for FM-200 Flow-10250001")), qPrintable(content));
    QVERIFY(content.contains(QLatin1String("Pulse weight, ml")));
    QVERIFY(content.contains(QLatin1String("Debug Output")));
}

void TestVkConfig::filesAndCommands()
{
    Installation installation;
    QVERIFY(installation.isValid());
    const QStringList root { QStringLiteral("--password"), QStringLiteral("4711") };
    const vk_testing::ProcessRun list
        = installation.run(QStringList { QStringLiteral("files"), serial(kFm200), QStringLiteral("list") } + root);
    VERIFY_RUN(list, list.exitCode == 0);
    QVERIFY2(list.outLines().contains("17  log              yes   no     yes"), qPrintable(describe(list)));

    const QString saved = installation.path(QStringLiteral("log.bin"));
    const vk_testing::ProcessRun read
        = installation.run(QStringList { QStringLiteral("files"), serial(kFm200), QStringLiteral("read"),
                               QStringLiteral("17"), QStringLiteral("-o"), saved }
            + root);
    VERIFY_RUN(read, read.exitCode == 0);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY2(content.startsWith("2024-03-11 06:00:12 power on, firmware 2.4\n"), content.constData());
    // The core kept its own copy in the data folder, as the window does.
    QVERIFY(QFile::exists(installation.path(QStringLiteral("data/Vorlex/VorlexIoTConfigurator/rawFiles/"
                                                           "SN10250001-ID017-log.bin"))));

    // A user may not read the calibration file: refused before anything is asked of the device.
    const vk_testing::ProcessRun refused = installation.run({ QStringLiteral("files"), serial(kFm200),
        QStringLiteral("read"), QStringLiteral("21"), QStringLiteral("--password"), QStringLiteral("1234") });
    VERIFY_RUN(refused, refused.exitCode == 2);
    QCOMPARE(errorLines(refused),
        QStringList { QStringLiteral("vk-config: error: file 21 (calibration) may not be read with user access") });

    const int clears = installation.counter(QStringLiteral("fm200"), QStringLiteral("fileClears"));
    const vk_testing::ProcessRun clear = installation.run(
        QStringList { QStringLiteral("files"), serial(kFm200), QStringLiteral("clear"), QStringLiteral("17") } + root);
    VERIFY_RUN(
        clear, clear.exitCode == 0 && clear.outLines() == QList<QByteArray> { "10250001: file 17 (log) cleared" });
    QCOMPARE(installation.counter(QStringLiteral("fm200"), QStringLiteral("fileClears")), clears + 1);

    const int commands = installation.counter(QStringLiteral("fm200"), QStringLiteral("commands"));
    const vk_testing::ProcessRun command
        = installation.run(QStringList { QStringLiteral("run"), serial(kFm200), QStringLiteral("301") } + root);
    VERIFY_RUN(command, command.exitCode == 0);
    QCOMPARE(command.outLines(), QList<QByteArray> { "10250001: command 301 (Self test) done" });
    // The connect's time synchronisation and the command.
    QCOMPARE(installation.counter(QStringLiteral("fm200"), QStringLiteral("commands")), commands + 2);

    const vk_testing::ProcessRun unknown
        = installation.run(QStringList { QStringLiteral("run"), serial(kFm200), QStringLiteral("999") } + root);
    VERIFY_RUN(unknown, unknown.exitCode == 2);
    QCOMPARE(errorLines(unknown),
        QStringList { QStringLiteral("vk-config: error: command 999: not a command of the device's profile") });
}

void TestVkConfig::deviceRefusals_data()
{
    QTest::addColumn<QString>("change"); // of the fm200 definition
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("command fails") << "command 301 fails" << QStringList { "run", "10250001", "301" }
                                   << "Command [301] execution error";
    QTest::newRow("settings not writable")
        << "settings file read-only" << QStringList { "set", "10250001", "--value", "104=120" }
        << "Error while save settings";
}

void TestVkConfig::deviceRefusals()
{
    QFETCH(QString, change);
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    Installation installation;
    QVERIFY(installation.isValid());
    const QString folder = installation.devicesFolder([&](QJsonObject &definition) {
        if (change == QLatin1String("command 301 fails")) {
            QJsonArray commands = definition.value(QStringLiteral("commands")).toArray();
            QJsonObject command = commands.at(1).toObject();
            command.insert(QStringLiteral("result"), QStringLiteral("Error"));
            commands.replace(1, command);
            definition.insert(QStringLiteral("commands"), commands);
        } else {
            QJsonArray files = definition.value(QStringLiteral("files")).toArray();
            QJsonObject settings = files.at(1).toObject();
            settings.insert(QStringLiteral("write"), QStringLiteral("Hidden"));
            files.replace(1, settings);
            definition.insert(QStringLiteral("files"), files);
        }
    });
    QVERIFY(!folder.isEmpty());
    const vk_testing::ProcessRun run = installation.run(QStringList { QStringLiteral("--simulator"), folder }
        + arguments + QStringList { QStringLiteral("--password"), QStringLiteral("4711") });
    VERIFY_RUN(run, run.exitCode == 1);
    QCOMPARE(errorLines(run), QStringList { QStringLiteral("vk-config: error: ") + error });
}

void TestVkConfig::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("no command") << QStringList() << "no command given";
    QTest::newRow("bad serial") << QStringList { "get", "fm200" } << "serial number";
    QTest::newRow("missing document") << QStringList { "set", "10250001", "/nonexistent/doc.json" }
                                      << "cannot read /nonexistent/doc.json";
    // A large file is refused before it is read.
    QTest::newRow("not a document") << QStringList { "set", "10250001", VK_CONFIG_PATH }
                                    << "a configuration document has at most";
    QTest::newRow("missing firmware") << QStringList { "update", "10250001", "/nonexistent/fw.bin" }
                                      << "cannot read the firmware file";
    QTest::newRow("bad --value") << QStringList { "set", "10250001", "--value", "speed" } << "--value takes ID=VALUE";
    QTest::newRow("missing simulator folder") << QStringList { "--simulator", "/nonexistent/devices", "scan" }
                                              << "no simulated device can be loaded from /nonexistent/devices";
}

void TestVkConfig::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    Installation installation;
    QVERIFY(installation.isValid());
    const vk_testing::ProcessRun run = installation.run(arguments, {}, false);
    VERIFY_RUN(run, run.exitCode == 2);
    const QStringList errors = errorLines(run);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().contains(error), qPrintable(errors.first()));
    QCOMPARE(text(run.err).count(u'\n'), 1);
    QVERIFY(run.out.isEmpty());
}

QTEST_GUILESS_MAIN(TestVkConfig)
#include "tst_vk_config.moc"
