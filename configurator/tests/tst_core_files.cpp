// Files the core keeps on disk, on simulated devices: raw files read from a device, firmware images
// taken in and uploaded through the bootloader, and the state copy report.
#include "core_harness.h"

#include "configurator/app_settings.h"
#include "configurator/state_copy_report.h"
#include "simulator/device_catalog.h"
#include "simulator/firmware_image.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>

using namespace core_testing;
using configurator::AppSettings;
using configurator::WorkFolders;

namespace {

// The shipped devices and the hostile one of this folder.
const simulator::DeviceCatalog &catalog()
{
    static const simulator::DeviceCatalog loaded = [] {
        QTemporaryDir folder;
        for (const QString &name : QDir(simulator::DeviceCatalog::builtInFolder()).entryList({ "*.json" }))
            QFile::copy(simulator::DeviceCatalog::builtInFolder() + '/' + name, folder.filePath(name));
        QFile::copy(QStringLiteral(DEVICES_FOLDER "/hostile.json"), folder.filePath("hostile.json"));
        simulator::DeviceCatalog devices;
        if (devices.loadFolder(folder.path()) != ReturnCode::Ok)
            qFatal("%s", qPrintable(devices.errors().join('\n')));
        return devices;
    }();
    return loaded;
}

const simulator::DeviceDefinition &device(const char *id)
{
    const simulator::DeviceDefinition *found = catalog().find(QString::fromLatin1(id));
    if (!found)
        qFatal("no device %s", id);
    return *found;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCoreFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false")); }
    void init();
    void cleanup() { _core.stop(); }
    void rawFiles();
    void hostileFileNames();
    void firmwareFiles();
    void firmwareUpdate_data();
    void firmwareUpdate();
    void firmwareRefused();
    void uploadCut();
    void stateCopy();
    void reportHtml();

private:
    // Reads file `fileId` and returns the dialogs shown meanwhile.
    QStringList read(int fileId);
    bool connectTo(const simulator::DeviceDefinition &definition)
    {
        return _core.connect(definition, definition.rootPassword);
    }
    CoreHarness _core;
};

void TestCoreFiles::init()
{
    QVERIFY(_core.start(catalog()));
    // The bootloader gets its time, but not seven seconds of it.
    EncryptedSettings::instance()->setValue(AppSettings::key(AppSettings::BootloaderConnectionTimeout), 0);
}

QStringList TestCoreFiles::read(int fileId)
{
    const int from = _core.recorder->mark();
    _core.core->deviceFileCmdToRead(fileId);
    [&] { QVERIFY(_core.waitFor([&]() { return _core.isIdle() && _core.core->currentTaskType() < 0; })); }();
    return _core.problems(from);
}

void TestCoreFiles::rawFiles()
{
    const simulator::DeviceDefinition &fm200 = device("fm200");
    QVERIFY(connectTo(fm200));
    QByteArray log;
    _core.withEngine(fm200, [&](simulator::DeviceEngine &engine) { log = engine.fileImage(17); });

    QVERIFY(read(17).isEmpty());
    const QString path = WorkFolders::rawFiles() + QStringLiteral("/SN10250001-ID017-log.bin");
    QCOMPARE(readFile(path), log);
    QCOMPARE(_core.opened.urls.size(), 1);
    QCOMPARE(_core.opened.urls.last(), QUrl::fromLocalFile(path));
    QVERIFY(_core.core->debugText().contains(QStringLiteral("RawFile [ID17] saved<%1>\n").arg(path)));
    QCOMPARE(QFile::permissions(WorkFolders::rawFiles()) & 0x7077, QFileDevice::Permissions(0x7055));

    // A second read replaces the first copy.
    writeFile(path, "stale");
    QVERIFY(read(17).isEmpty());
    QCOMPARE(readFile(path), log);

    // The fast archive: 64 KiB through windowed reading.
    QVERIFY(read(20).isEmpty());
    QByteArray archive;
    _core.withEngine(fm200, [&](simulator::DeviceEngine &engine) { archive = engine.fileImage(20); });
    QCOMPARE(readFile(WorkFolders::rawFiles() + QStringLiteral("/SN10250001-ID020-archive.bin")), archive);

    // A file that cannot be written is reported, and the core goes on.
    QDir().mkpath(WorkFolders::rawFiles() + QStringLiteral("/SN10250001-ID021-calibration.bin"));
    const QStringList problems = read(21);
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems.constFirst().startsWith(QStringLiteral("Warning: Unable to save the file <")),
        qPrintable(problems.join('|')));
    QVERIFY(_core.core->isConnected());
    QVERIFY(read(17).isEmpty());

    // Clearing: the device empties the log.
    const int from = _core.recorder->mark();
    _core.core->deviceFileCmdToClear(17);
    QVERIFY(_core.waitFor([&]() {
        QByteArray now;
        _core.withEngine(fm200, [&](simulator::DeviceEngine &engine) { now = engine.fileImage(17); });
        return now.isEmpty() && _core.isIdle();
    }));
    QVERIFY(_core.problems(from).isEmpty());
    // Writing a file from the device files is not offered.
    _core.core->deviceFileCmdToWrite(17);
    QCOMPARE(_core.problems(from),
        QStringList { "Warning: Write functional for device's file is not supported yet - contact your partner" });
}

void TestCoreFiles::hostileFileNames()
{
    QVERIFY(connectTo(device("hostile")));
    const QDir folder(WorkFolders::rawFiles());
    for (int fileId = 40; fileId <= 46; ++fileId)
        QVERIFY2(read(fileId).isEmpty(), qPrintable(QString::number(fileId)));
    // Every file landed in the folder, under a name of one plain file, with its content.
    const QStringList saved = folder.entryList(QDir::Files, QDir::Name);
    QCOMPARE(saved.size(), 7);
    const QRegularExpression plain(QStringLiteral("^SN40960007-ID04[0-6]-[^/\\\\:*?\"<>|\\x00-\\x1f]+\\.bin$"));
    for (const QString &name : saved)
        QVERIFY2(plain.match(name).hasMatch(), qPrintable(name));
    QCOMPARE(readFile(folder.filePath(saved.filter(QStringLiteral("ID040")).value(0))), QByteArray("up\n"));
    QVERIFY(saved.contains(QStringLiteral("SN40960007-ID043-_CON.bin"))
        || saved.contains(QStringLiteral("SN40960007-ID043-CON.bin")));
    // Nothing outside it.
    const QStringList around = QDir(WorkFolders::base()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QCOMPARE(around, QStringList { "rawFiles" });
    QVERIFY(!QFileInfo::exists(QDir(WorkFolders::base()).filePath(QStringLiteral("../etc/passwd"))));
}

void TestCoreFiles::firmwareFiles()
{
    SignalRecorder &signal = *_core.recorder;
    const QString outside = _core.dir.filePath(QStringLiteral("downloads"));
    QDir().mkpath(outside);
    const QString image = writeFile(outside + QStringLiteral("/fm200-2.5.bin"), "first");

    // Taken in and offered for an update at once (the default).
    int from = signal.mark();
    _core.core->appCoreProcessFileWithFirmware(QUrl::fromLocalFile(image).toString());
    const QString copy = WorkFolders::firmware() + QStringLiteral("/fm200-2.5.bin");
    QCOMPARE(readFile(copy), QByteArray("first"));
    QCOMPARE(signal.last("appCoreAddFirmwareLocalFile").args.at(3).toString(), copy);
    QCOMPARE(signal.last("appCoreCheckStartFirmwareUpdate").args, (QVariantList { "fm200-2.5.bin", "", copy }));

    // A newer file of the same name replaces the copy; with the setting off the user is only told.
    EncryptedSettings::instance()->setValue(AppSettings::key(AppSettings::StartUpdateAfterReceive), 0);
    writeFile(image, "second");
    from = signal.mark();
    _core.core->appCoreProcessFileWithFirmware(image);
    QCOMPARE(readFile(copy), QByteArray("second"));
    QCOMPARE(signal.count("appCoreCheckStartFirmwareUpdate", from), 0);
    QCOMPARE(signal.dialogs(from),
        QStringList { "Info: Firmware file (fm200-2.5.bin) received. Choose it later for firmware update" });

    // The extension test is exact.
    from = signal.mark();
    _core.core->appCoreProcessFileWithFirmware(writeFile(outside + QStringLiteral("/image.BIN"), "x"));
    QCOMPARE(
        signal.dialogs(from), QStringList { "Info: Received unsupported firmware file <" + outside + "/image.BIN>" });
    QVERIFY(!QFileInfo::exists(WorkFolders::firmware() + QStringLiteral("/image.BIN")));

    // The list: newest first.
    _core.core->appCoreProcessFileWithFirmware(writeFile(outside + QStringLiteral("/gw4-1.8.bin"), "g"));
    _core.core->appCoreProcessFileWithFirmware(writeFile(outside + QStringLiteral("/vc1-3.1.bin"), "v"));
    const QDateTime now = QDateTime::currentDateTime();
    const QStringList byAge = { "gw4-1.8.bin", "fm200-2.5.bin", "vc1-3.1.bin" };
    for (int i = 0; i < byAge.size(); ++i) {
        QFile file(WorkFolders::firmware() + '/' + byAge.at(i));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(now.addSecs(-3600 * (i + 1)), QFileDevice::FileModificationTime));
    }
    const auto listed = [&](int since) {
        QStringList names;
        for (const Event &event : signal.all("appCoreAddFirmwareLocalFile", since))
            names << event.args.at(0).toString();
        return names;
    };
    from = signal.mark();
    _core.core->updateFirmwareRefreshLocalFiles();
    QCOMPARE(signal.count("appCoreClearFirmwareLocalFiles", from), 1);
    QCOMPARE(listed(from), byAge);

    // Removal lists again; a file elsewhere is never removed.
    from = signal.mark();
    _core.core->removeFirmwareFile(WorkFolders::firmware() + QStringLiteral("/fm200-2.5.bin"));
    QCOMPARE(listed(from), (QStringList { "gw4-1.8.bin", "vc1-3.1.bin" }));
    _core.core->removeFirmwareFile(image);
    QVERIFY(QFileInfo::exists(image));
    QVERIFY(_core.settle());
    QVERIFY(_core.core->debugText().contains(QStringLiteral("Errors while removing firmware file [fm200-2.5.bin]")));
}

void TestCoreFiles::firmwareUpdate_data()
{
    QTest::addColumn<QString>("start");
    QTest::newRow("running application") << "fm200";
    QTest::newRow("device in its bootloader") << "vc1";
    QTest::newRow("no device connected") << "";
}

void TestCoreFiles::firmwareUpdate()
{
    QFETCH(QString, start);
    const simulator::DeviceDefinition &target = device(start.isEmpty() ? "fm200" : qPrintable(start));
    SignalRecorder &signal = *_core.recorder;
    const v_protocol::TFirmwareVersion version { 9, 3 };
    const QString image = writeFile(_core.dir.filePath(QStringLiteral("new.bin")),
        simulator::FirmwareImage::make(version, 4096 + 17, target.serial));
    if (!start.isEmpty())
        QVERIFY(connectTo(target));

    const int from = signal.mark();
    _core.core->updateFirmwareFileSelected(QUrl::fromLocalFile(image).toString());
    if (start.isEmpty()) {
        // The device list opens; the user picks the device and gives its password.
        QVERIFY(_core.waitFor([&]() { return !_core.listedUuid(target, from).isEmpty(); }));
        _core.core->appCoreConnectToBleDevice(_core.listedUuid(target, from));
    }
    // A new connection asks for the password (autoconnect is off); the reconnection to the
    // bootloader uses the one given.
    int answered = 0;
    QVERIFY(_core.waitFor(
        [&]() {
            const int asked = signal.count("appCorePasswordRequest", from);
            if (asked > answered) {
                answered = asked;
                _core.core->passwordEntered(target.rootPassword);
            }
            return signal.dialogs(from).filter(QStringLiteral("Firmware update finished")).size() == 1
                && _core.isIdle();
        },
        120000));
    // Asked once when the update started without a connection; the reconnection to the bootloader
    // uses the password given before.
    QCOMPARE(answered, start.isEmpty() ? 1 : 0);
    QCOMPARE(_core.problems(from),
        QStringList {
            "Info: Firmware update finished successfully.\nWait several seconds and may connect to updated device" });
    bool running = false;
    _core.withEngine(target, [&](simulator::DeviceEngine &engine) {
        running = !engine.isInBootloader() && engine.firmwareVersion() == version;
    });
    QVERIFY(running);

    // A new connection shows the new version.
    QVERIFY(_core.waitFor([&]() { return !_core.core->isConnected() && _core.isIdle(); }));
    QVERIFY(connectTo(target));
    QVERIFY(signal.last("appCoreHeaderText").args.at(0).toString().contains(QStringLiteral(" - 9.3<br>")));
    QCOMPARE(signal.last("appCoreUpdateConnStatus").args.at(2), QVariant(true));
}

void TestCoreFiles::firmwareRefused()
{
    const simulator::DeviceDefinition &vc1 = device("vc1");
    QVERIFY(connectTo(vc1));
    // Far larger than any device takes: refused before anything is read or sent.
    const QString huge = _core.dir.filePath(QStringLiteral("huge.bin"));
    {
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(17 * 1024 * 1024));
    }
    int from = _core.recorder->mark();
    _core.core->updateFirmwareFileSelected(huge);
    QVERIFY(_core.waitFor([&]() { return !_core.problems(from).isEmpty() && _core.isIdle(); }));
    QVERIFY2(_core.problems(from).constFirst().contains(QStringLiteral("17825792 bytes")),
        qPrintable(_core.problems(from).join('|')));
    int written = 0;
    _core.withEngine(vc1, [&](simulator::DeviceEngine &engine) {
        written = engine.counters().received(v_protocol::TPayloadType::FileChunk);
    });
    QCOMPARE(written, 0);

    // A wrong CRC on the device's side is the error path: the user is told, the device stays in its
    // bootloader.
    QVERIFY(connectTo(vc1));
    _core.withEngine(vc1, [](simulator::DeviceEngine &engine) {
        engine.setFailure(simulator::FailureInjection::of(simulator::FailureMode::AcceptCrcError));
    });
    from = _core.recorder->mark();
    _core.core->updateFirmwareFileSelected(
        writeFile(_core.dir.filePath(QStringLiteral("ok.bin")), simulator::FirmwareImage::make({ 3, 1 }, 2048, 5)));
    QVERIFY(_core.waitFor([&]() { return !_core.problems(from).isEmpty() && _core.isIdle(); }));
    QCOMPARE(_core.problems(from), QStringList { "Warning: Error while upload file with firmware" });
    _core.withEngine(vc1, [](simulator::DeviceEngine &engine) { QVERIFY(engine.isInBootloader()); });
}

void TestCoreFiles::uploadCut()
{
    const simulator::DeviceDefinition &vc1 = device("vc1");
    const QString image
        = writeFile(_core.dir.filePath(QStringLiteral("vc1.bin")), simulator::FirmwareImage::make({ 3, 2 }, 1500, 7));
    // From no connection: the device list, the password, the upload, with nothing in between.
    const auto update = [&]() {
        const int from = _core.recorder->mark();
        _core.core->updateFirmwareFileSelected(image);
        if (!_core.waitFor([&]() { return !_core.listedUuid(vc1, from).isEmpty(); }))
            return false;
        _core.core->appCoreConnectToBleDevice(_core.listedUuid(vc1, from));
        if (!_core.waitFor([&]() { return _core.recorder->count("appCorePasswordRequest", from) == 1; }))
            return false;
        _core.core->passwordEntered(vc1.rootPassword);
        return _core.waitFor([&]() { return !_core.problems(from).isEmpty() && _core.isIdle(); });
    };
    const auto inBootloader = [&]() {
        bool bootloader = false;
        _core.withEngine(vc1, [&](simulator::DeviceEngine &engine) { bootloader = engine.isInBootloader(); });
        return bootloader;
    };
    // The packets of the whole task, and of the upload at its end, counted once.
    _core.withEngine(vc1, [](simulator::DeviceEngine &engine) { engine.resetCounters(); });
    QVERIFY(update());
    int total = 0;
    int upload = 0;
    _core.withEngine(vc1, [&](simulator::DeviceEngine &engine) {
        total = engine.counters().packetsReceived + engine.counters().packetsSent;
        upload = 2 * engine.counters().received(v_protocol::TPayloadType::FileChunk);
    });
    QVERIFY(!inBootloader());
    QVERIFY(upload >= 20);
    // A fresh device, still waiting for its image.
    _core.stop();
    QVERIFY(_core.start(catalog()));
    EncryptedSettings::instance()->setValue(AppSettings::key(AppSettings::BootloaderConnectionTimeout), 0);

    // The last packet is the device's answer to the last chunk: the image is in by then, only the
    // answer is lost (its own case below).
    for (int i = total - upload + 1; i < total; ++i) {
        const QString where = QStringLiteral("cut at packet %1 of %2").arg(i).arg(total);
        _core.cut->atPacket = i;
        const int from = _core.recorder->mark();
        QVERIFY2(update(), qPrintable(where));
        _core.cut->atPacket = 0;
        QVERIFY(_core.waitFor([&]() { return !_core.core->isConnected() && _core.isIdle(); }));
        QVERIFY(_core.settle());
        QCOMPARE(_core.problems(from).size(), 1);
        QVERIFY2(_core.problems(from).constFirst()
                != QLatin1String("Info: Firmware update finished successfully.\nWait several seconds and may connect "
                                 "to updated device"),
            qPrintable(where));
        QVERIFY2(inBootloader(), qPrintable(where));
    }
    // A retry succeeds.
    const int from = _core.recorder->mark();
    QVERIFY(update());
    QCOMPARE(
        _core.problems(from).constFirst().left(44), QStringLiteral("Info: Firmware update finished successfully."));
    QVERIFY(!inBootloader());

    // The answer to the last chunk lost: the user hears of an error, although the device took the
    // image and runs it (a new connection shows its version).
    _core.stop();
    QVERIFY(_core.start(catalog()));
    EncryptedSettings::instance()->setValue(AppSettings::key(AppSettings::BootloaderConnectionTimeout), 0);
    _core.cut->atPacket = total;
    const int last = _core.recorder->mark();
    QVERIFY(update());
    _core.cut->atPacket = 0;
    QVERIFY(_core.settle());
    QCOMPARE(_core.problems(last).size(), 1);
    QVERIFY(!inBootloader());
}

void TestCoreFiles::stateCopy()
{
    const simulator::DeviceDefinition &fm200 = device("fm200");
    QVERIFY(connectTo(fm200));
    QVERIFY(_core.waitFor([&]() { return _core.core->debugText().contains(QStringLiteral("Ready\n")); }));
    const int from = _core.recorder->mark();
    _core.core->makeStateCopyClicked();
    QVERIFY(_core.waitFor([&]() { return _core.opened.urls.size() == 1 && _core.isIdle(); }));
    QVERIFY(_core.problems(from).isEmpty());
    const QString pdf = _core.opened.urls.constFirst().toLocalFile();
    QCOMPARE(QFileInfo(pdf).absolutePath(), WorkFolders::reports());
    QVERIFY2(QRegularExpression(
                 QStringLiteral("/StateCopy-FM-200_Flow-10250001-\\d\\d-\\d\\d-\\d{4}_\\d\\d-\\d\\d-\\d\\d\\.pdf$"))
                 .match(pdf)
                 .hasMatch(),
        qPrintable(pdf));
    QVERIFY(_core.core->debugText().contains(QStringLiteral("Make stateCopy to ") + pdf));

    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    QVERIFY(pdftotext.waitForFinished(60000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    for (const QString &expected :
        { QStringLiteral("State copy for FM-200 Flow-10250001"), QStringLiteral("Device Info"),
            QStringLiteral("Authorization Info"), QStringLiteral("Debug Output"), QStringLiteral("Settings"),
            QStringLiteral("States"), QStringLiteral("Personalization"), QStringLiteral("Commands"),
            QStringLiteral("Flow unit"), QStringLiteral("Pump station 3"), QStringLiteral("3300"),
            QStringLiteral("SuccessRoot"), QStringLiteral("Transducers: pair A OK, pair B OK") })
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + text));
}

void TestCoreFiles::reportHtml()
{
    // A device whose every text is markup: the report shows it as text and refers to nothing.
    const simulator::DeviceDefinition &hostile = device("hostile");
    QVERIFY(connectTo(hostile));
    QVERIFY(_core.waitFor([&]() { return _core.core->debugText().contains(QStringLiteral("&amp;")); }));
    v_protocol::TFileWithDataElements fromDevice;
    fromDevice.elements = { { 1, 10, QByteArray("\x00", 1) }, { 16, 11, QByteArray("<a href=x>y</a>\0", 16) } };
    const QList<configurator::StateCopyRow> rows
        = configurator::StateCopyReport::rows(_core.core->interfaceElements(), true, fromDevice);
    const QString html = configurator::StateCopyReport::html(_core.core->currentDevice().deviceInfo,
        _core.core->authResponse(), rows, _core.core->debugText(), QDateTime::currentDateTime());
    for (const char *markup : { "<b>", "<img", "<i>", "<a href" })
        QVERIFY2(!html.contains(QLatin1String(markup)), markup);
    QVERIFY(html.contains(QStringLiteral("&lt;b&gt;Evil&lt;/b&gt; &amp;amp; &lt;img src=x&gt;")) == false);
    QVERIFY(html.contains(QStringLiteral("&lt;b&gt;Evil&lt;/b&gt; &amp; &lt;img src=x&gt;")));
    QVERIFY(html.contains(QStringLiteral("&lt;img src=http://127.0.0.1:1/x.png&gt;")));
    // The enumeration differs from the device's value: its device and note cells are red, the text
    // that matches is not.
    QVERIFY(html.contains(QStringLiteral("<td bgcolor=\"red\">0</td><td bgcolor=\"red\"><p "
                                         "align=left>&lt;b&gt;on&lt;/b&gt;,\n&lt;img src=/etc/passwd&gt;</p></td>")));
    const QString label
        = QStringLiteral("<td>&lt;a href=x&gt;y&lt;/a&gt;</td><td>&lt;a href=x&gt;y&lt;/a&gt;</td><td></td>");
    QVERIFY2(html.contains(label), qPrintable(html.mid(html.indexOf(QStringLiteral("Label")), 300)));
    // Printing loads nothing and gives a PDF.
    const QString pdf = _core.dir.filePath(QStringLiteral("hostile.pdf"));
    QVERIFY(configurator::StateCopyReport::print(html, pdf));

    // Without a device: settings have no device value, the header keeps its six columns.
    const QList<configurator::StateCopyRow> offline
        = configurator::StateCopyReport::rows(_core.core->interfaceElements(), false, fromDevice);
    for (const configurator::StateCopyRow &row : offline)
        QVERIFY(!row.hasDeviceValue);
    const QString offlineHtml
        = configurator::StateCopyReport::html({}, {}, offline, QString(), QDateTime::currentDateTime());
    QVERIFY(offlineHtml.contains(QStringLiteral("<th>ValueFromApp</th><th>ValueFromDevice</th><th>Note</th>")));
    QVERIFY(offlineHtml.contains(QStringLiteral("State copy for No device")));
}

QTEST_MAIN(TestCoreFiles)
#include "tst_core_files.moc"
