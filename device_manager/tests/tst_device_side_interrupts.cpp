// Interrupted at every step: a clean settings write and a clean fast read of a 4 KiB raw file are
// counted in packets (both directions, N of them); then for each i in 1 ... N the link is cut at
// packet i (that packet is lost, the simulated interface plugs out). Each time: exactly one failure
// result for the interrupted request, the device's session and interface gone, and a fresh connect
// followed by the same transfer succeeds with the right bytes.
#include "device_side.h"
#include "event_topics/thread_handover.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace device_testing;
using device_manager::DeviceDiscoveryInfo;
using device_manager::DeviceEntry;
using v_protocol::TMandatoryFileTypes;

namespace {

constexpr device_manager::VkDevice::TaskTimeouts kTimeouts { 10000, 10000 };
constexpr quint8 kArchive = 20;
constexpr int kArchiveSize = 4096;

// The flow meter with its archive (fast reading) cut down to 4 KiB.
bool writeDevices(const QString &folder)
{
    QFile source(simulator::DeviceCatalog::sourceFolder() + QStringLiteral("/fm200.json"));
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QJsonObject device = QJsonDocument::fromJson(source.readAll()).object();
    QJsonArray files = device.value(QStringLiteral("files")).toArray();
    for (qsizetype i = 0; i < files.size(); ++i) {
        QJsonObject file = files.at(i).toObject();
        if (file.value(QStringLiteral("fileId")).toInt() != kArchive)
            continue;
        file.insert(QStringLiteral("content"),
            QJsonObject { { QStringLiteral("pattern"),
                QJsonObject { { QStringLiteral("size"), kArchiveSize }, { QStringLiteral("seed"), 7 } } } });
        files.replace(i, file);
    }
    device.insert(QStringLiteral("files"), files);
    QFile target(folder + QStringLiteral("/fm200.json"));
    return target.open(QIODevice::WriteOnly) && target.write(QJsonDocument(device).toJson()) > 0;
}

// The pulse weight written by run i, little-endian.
QByteArray valueOfRun(int i)
{
    const quint16 value = quint16(0x0100 + i);
    QByteArray bytes;
    bytes.append(char(value & 0xff)).append(char(value >> 8));
    return bytes;
}

int inManagerThread(const std::function<int()> &read, QObject *module)
{
    int value = -1;
    // Through the bus's own hand-over, which the thread sanitizer can follow.
    event_topics::queueCall(
        module, [&]() { value = read(); }, Qt::BlockingQueuedConnection);
    return value;
}

} // namespace

class TestDeviceSideInterrupts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void interruptedAtEveryPacket_data();
    void interruptedAtEveryPacket();

private:
    enum class Transfer { SettingsWrite, FastRead };

    // Connects afresh; false when access was not granted.
    bool connect();
    // The packets carried on the current connection so far, both directions.
    int packetsSoFar() const;
    // Runs the transfer (the i-th: the settings written carry a value of their own); true when its
    // result arrived valid.
    bool runTransfer(Transfer transfer, int i);
    // The device's settings with the value of run i.
    v_protocol::TFileWithDataElements settingsOfRun(int i);
    // After run i succeeded: the bytes read are the file's, or the device holds the settings written.
    bool transferredRight(Transfer transfer, int i);
    int resultCount(Transfer transfer) const;
    int invalidResultCount(Transfer transfer) const;

    QTemporaryDir _folder;
    simulator::DeviceCatalog _catalog;
    DeviceSide _side;
    std::optional<DeviceDiscoveryInfo> _discovered;
};

void TestDeviceSideInterrupts::initTestCase()
{
    QVERIFY(_folder.isValid());
    QVERIFY(writeDevices(_folder.path()));
    QCOMPARE(_catalog.loadFolder(_folder.path()), ReturnCode::Ok);
}

void TestDeviceSideInterrupts::cleanup()
{
    _side.stop();
}

bool TestDeviceSideInterrupts::connect()
{
    const simulator::DeviceDefinition &device = _catalog.definitions().first();
    _side.probe->clear();
    const auto auth = _side.connect(*_discovered, device.rootPassword);
    return auth && auth->authResponse.isGranted();
}

int TestDeviceSideInterrupts::packetsSoFar() const
{
    return _side.probe->count<im::CmdSendPacket>() + _side.probe->count<im::PacketReceived>();
}

int TestDeviceSideInterrupts::resultCount(Transfer transfer) const
{
    return transfer == Transfer::SettingsWrite ? _side.probe->count<vp::FileWithDataElementsTransmitted>()
                                               : _side.probe->count<vp::RawFileReceived>();
}

int TestDeviceSideInterrupts::invalidResultCount(Transfer transfer) const
{
    int n = 0;
    if (transfer == Transfer::SettingsWrite) {
        for (const auto &result : _side.probe->all<vp::FileWithDataElementsTransmitted>())
            n += !result->isValid && result->fileType == TMandatoryFileTypes::SettingsFile;
    } else {
        for (const auto &result : _side.probe->all<vp::RawFileReceived>())
            n += !result->isValid && result->fileId == kArchive && result->file.isEmpty();
    }
    return n;
}

bool TestDeviceSideInterrupts::runTransfer(Transfer transfer, int i)
{
    const simulator::DeviceDefinition &device = _catalog.definitions().first();
    const DeviceEntry entry { device.serial };
    if (transfer == Transfer::FastRead) {
        const auto read = _side.request<vp::RawFileReceived>(new vp::CmdGetRawFile(entry, kArchive, true));
        return read && read->isValid;
    }
    const auto written = _side.request<vp::FileWithDataElementsTransmitted>(
        new vp::CmdToSendFileWithDataElements(entry, TMandatoryFileTypes::SettingsFile, settingsOfRun(i)));
    return written && written->isValid;
}

v_protocol::TFileWithDataElements TestDeviceSideInterrupts::settingsOfRun(int i)
{
    // Setting 100 (pulse weight, 1 ... 10000) takes a value of this run's own.
    v_protocol::TFileWithDataElements settings;
    _side.withEngine(_catalog.definitions().first(), [&](simulator::DeviceEngine &engine) {
        v_protocol::TFileWithDataElements::fromByteArray(2, engine.fileImage(2), settings);
    });
    for (auto &element : settings.elements) {
        if (element.id == 100)
            element.data = valueOfRun(i);
    }
    return settings;
}

bool TestDeviceSideInterrupts::transferredRight(Transfer transfer, int i)
{
    const simulator::DeviceDefinition &device = _catalog.definitions().first();
    const DeviceEntry entry { device.serial };
    if (transfer == Transfer::FastRead) {
        QByteArray image;
        _side.withEngine(device, [&](simulator::DeviceEngine &engine) { image = engine.fileImage(kArchive); });
        const auto read = _side.probe->last<vp::RawFileReceived>();
        return read && read->isValid && image.size() == kArchiveSize && read->file == image;
    }
    // What the device now holds is what was written, as a read shows.
    const v_protocol::TFileWithDataElements written = settingsOfRun(i);
    const auto reread = _side.request<vp::FileWithDataElementsReceived>(
        new vp::CmdFileRequested(entry, TMandatoryFileTypes::SettingsFile));
    if (!reread || !reread->isValid)
        return false;
    bool holdsValue = false;
    for (const auto &element : reread->file.elements)
        holdsValue |= element.id == 100 && element.data == valueOfRun(i);
    return holdsValue && reread->file.elements == written.elements;
}

void TestDeviceSideInterrupts::interruptedAtEveryPacket_data()
{
    QTest::addColumn<int>("transferKind");
    QTest::newRow("settings write") << int(Transfer::SettingsWrite);
    QTest::newRow("fast read of 4 KiB") << int(Transfer::FastRead);
}

void TestDeviceSideInterrupts::interruptedAtEveryPacket()
{
    QFETCH(int, transferKind);
    const auto transfer = Transfer(transferKind);
    QVERIFY(_side.start(_catalog, kTimeouts));
    const simulator::DeviceDefinition &device = _catalog.definitions().first();
    DeviceBusProbe &probe = *_side.probe;
    if (transfer == Transfer::SettingsWrite) {
        // A narrow link (packets of 37 bytes, 11 of them file data): the settings go in many chunks.
        _side.withEngine(device, [](simulator::DeviceEngine &engine) {
            simulator::LinkModel link = engine.linkModel();
            link.attMtu = 40;
            engine.setLinkModel(link);
        });
    }
    _discovered = _side.discover(device);
    QVERIFY(_discovered);

    // The clean transfer, counted.
    QVERIFY(connect());
    const int before = packetsSoFar();
    QVERIFY(runTransfer(transfer, 0));
    const int total = packetsSoFar() - before;
    QVERIFY(transferredRight(transfer, 0));
    QVERIFY(_side.disconnect(device.serial));
    QVERIFY(total >= 6);

    int passed = 0;
    for (int i = 1; i <= total; ++i) {
        QVERIFY(connect());
        const int start = packetsSoFar();
        _side.cut->atPacket = start + i;
        const int results = resultCount(transfer);
        QVERIFY(!runTransfer(transfer, i));
        QTRY_COMPARE_WITH_TIMEOUT(probe.count<dm::DeviceDisconnected>(), 1, kWaitMs);
        QVERIFY(_side.settle());
        _side.cut->atPacket = 0;

        // Exactly one result, the failure report.
        const int heard = resultCount(transfer) - results;
        QVERIFY2(heard == 1 && invalidResultCount(transfer) == 1,
            qPrintable(QStringLiteral("cut at %1 of %2: %3 results").arg(i).arg(total).arg(heard)));
        QCOMPARE(probe.all<dm::DeviceDisconnected>().first()->device, DeviceEntry { device.serial });
        QCOMPARE(inManagerThread([]() { return device_manager::DeviceManager::instance()->deviceCount(); },
                     device_manager::DeviceManager::instance()),
            0);
        QTRY_COMPARE_WITH_TIMEOUT(
            inManagerThread([]() { return device_manager::InterfaceManager::instance()->interfaceCount(); },
                device_manager::InterfaceManager::instance()),
            0, kWaitMs);

        // A fresh connection does the same transfer right.
        QVERIFY(connect());
        QVERIFY2(runTransfer(transfer, i) && transferredRight(transfer, i),
            qPrintable(QStringLiteral("after the cut at %1 of %2").arg(i).arg(total)));
        QVERIFY(_side.disconnect(device.serial));
        ++passed;
    }
    QCOMPARE(passed, total);
    qInfo().noquote() << QStringLiteral("Interrupted at each of %1 packets: %2 of %1 passed").arg(total).arg(passed);
}

QTEST_GUILESS_MAIN(TestDeviceSideInterrupts)
#include "tst_device_side_interrupts.moc"
