// The dialogs and overlays of the window on simulated devices with the real core: the error queue,
// the busy overlay across a chain of jobs, the device list as devices change (signal strength, order,
// filter, silent devices, the last one connected), the password field, and a device whose texts look
// like markup, shown literally everywhere.
#include "window_harness.h"

#include "configurator/ui/device_list_model.h"
#include "settings/encrypted_settings.h"
#include "simulator/protocol_master.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VorlexIoTConfiguratorPlugin)

using namespace ui_testing;
using core_testing::shippedDevice;

class TestUiDialogs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { _ui.stop(); }
    void errorsOneAfterAnother();
    void busyOverlayDoesNotFlicker();
    void renamedDeviceKeepsItsRow();
    void deviceListHelpsPickTheRightDevice();
    void passwordTakesFourDigits();
    void deviceTextsAreShownLiterally();

private:
    QString shownError() { return _ui.text(_ui.item(QStringLiteral("errorText"))); }

    UiHarness _ui;
};

void TestUiDialogs::errorsOneAfterAnother()
{
    QTemporaryDir folder;
    const simulator::DeviceCatalog catalog = testDevices(folder.path(), { QStringLiteral("mk1") }, QStringLiteral("x"));
    QVERIFY(_ui.start(catalog));
    QVERIFY(_ui.connect(catalog.definitions().constFirst(), QStringLiteral("1111")));
    // The device sends three dialog texts in one debug answer: they come one by one, in order.
    QVERIFY(_ui.waitOpened(QStringLiteral("errorDialog")));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("errorTitle"))), QStringLiteral("info"));
    QCOMPARE(shownError(), QStringLiteral("<b>Alert</b> &amp; <img src=\"x\">"));
    QTRY_COMPARE(_ui.object(QStringLiteral("errorDialog"))->property("pending").toInt(), 2);
    _ui.screenshot(QStringLiteral("error-dialog"));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QVERIFY(_ui.waitOpened(QStringLiteral("errorDialog")));
    QCOMPARE(shownError(), QStringLiteral("Second message"));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QVERIFY(_ui.waitOpened(QStringLiteral("errorDialog")));
    QCOMPARE(shownError(), QStringLiteral("Third message"));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QCOMPARE(_ui.object(QStringLiteral("errorDialog"))->property("pending").toInt(), 0);
}

void TestUiDialogs::busyOverlayDoesNotFlicker()
{
    QVERIFY(_ui.start());
    QObject *busy = _ui.object(QStringLiteral("busyDialog"));
    QVERIFY(busy);
    QElapsedTimer clock;
    clock.start();
    // When the core said busy and idle, and when the overlay came and went.
    QList<QPair<qint64, bool>> told;
    QList<QPair<qint64, bool>> shown;
    connect(_ui.core.core, &configurator::GuiQmlHandler::appCoreBusy, this, [&](bool isBusy) {
        told.append({ clock.elapsed(), isBusy });
    });
    auto *busyItem = qobject_cast<QQuickItem *>(busy);
    QVERIFY(busyItem);
    connect(busyItem, &QQuickItem::visibleChanged, this, [&]() {
        shown.append({ clock.elapsed(), busyItem->isVisible() });
    });

    QVERIFY(_ui.connect(shippedDevice("fm200"), QStringLiteral("4711")));
    QVERIFY(_ui.waitFor([&]() { return !busyItem->isVisible(); }));
    // The chain told idle and busy again many times within a second; the overlay came once and went once.
    int quickReturns = 0;
    for (int i = 1; i < told.size(); ++i)
        quickReturns += !told.at(i - 1).second && told.at(i).second && told.at(i).first - told.at(i - 1).first < 1000;
    QVERIFY2(quickReturns >= 3, qPrintable(QString::number(quickReturns)));
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0).second, true);
    QCOMPARE(shown.at(1).second, false);
    // It went a second after the last "busy" was taken back, not before.
    qint64 lastBusy = -1;
    for (const auto &event : told) {
        if (event.second)
            lastBusy = event.first;
    }
    qint64 idleAfter = -1;
    for (const auto &event : told) {
        if (!event.second && event.first >= lastBusy && idleAfter < 0)
            idleAfter = event.first;
    }
    QVERIFY(idleAfter >= 0);
    // The one-second hide delay, with room for coarse timers firing early.
    QVERIFY2(shown.at(1).first - idleAfter >= 900, qPrintable(QString::number(shown.at(1).first - idleAfter)));
}

void TestUiDialogs::renamedDeviceKeepsItsRow()
{
    QVERIFY(_ui.start());
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    QVERIFY(_ui.clickName(QStringLiteral("homeConnectButton")));
    QQuickItem *row = _ui.waitDeviceRow(fm200);
    QVERIFY(row);
    QObject *dialog = _ui.object(QStringLiteral("deviceListDialog"));
    auto *devices = dialog->property("devices").value<QObject *>();
    QTRY_COMPARE(devices->property("count").toInt(), 3);
    const QString rowName = QStringLiteral("deviceName_") + row->objectName().section(u'_', 1);
    QTRY_COMPARE(_ui.text(_ui.item(rowName, dialog)), QStringLiteral("FM-200 Flow-10250001 [v2.4]"));

    // Another program restarts the device into its bootloader: it advertises itself under a new name.
    _ui.core.withEngine(fm200, [](simulator::DeviceEngine &engine) {
        simulator::ProtocolMaster master(engine);
        v_protocol::TAuthResponse auth;
        QCOMPARE(master.authenticate(QStringLiteral("4711"), auth), ReturnCode::Ok);
        v_protocol::TCommandConfirm confirm;
        QCOMPARE(master.command(1025, {}, confirm), ReturnCode::Ok);
        QVERIFY(engine.isInBootloader());
    });
    QTRY_COMPARE_WITH_TIMEOUT(
        _ui.text(_ui.item(rowName, dialog)), QStringLiteral("FM-200 Boot-10250001 [v1.2]"), kWaitMs);
    QCOMPARE(devices->property("count").toInt(), 3);
    _ui.screenshot(QStringLiteral("device-list-bootloader"));

    // Cancel closes the list and ends the scan.
    const int from = _ui.core.recorder->mark();
    QVERIFY(_ui.clickName(QStringLiteral("deviceListDialogCancel")));
    QVERIFY(_ui.waitOpened(QStringLiteral("deviceListDialog"), false));
    QVERIFY(_ui.waitFor([&]() { return _ui.core.isIdle(); }));
    QCOMPARE(_ui.core.recorder->last("appCoreBleDiscoveryStateChanged").args, QVariantList { false });
    QCOMPARE(devices->property("count").toInt(), 0);
    QVERIFY(!_ui.core.core->isConnected());
    QCOMPARE(_ui.core.recorder->count("appCorePasswordRequest", from), 0);
}

void TestUiDialogs::deviceListHelpsPickTheRightDevice()
{
    QVERIFY(_ui.start());
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    const simulator::DeviceDefinition &gw4 = shippedDevice("gw4");
    const simulator::DeviceDefinition &vc1 = shippedDevice("vc1");
    simulator::DevicePark &park = *_ui.core.park;

    // The engineer worked on fm200 before.
    QVERIFY(_ui.connect(fm200, QStringLiteral("4711")));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuConnectButton")));
    QTRY_VERIFY(!_ui.core.core->isConnected());
    QCOMPARE(EncryptedSettings::instance()->value(QStringLiteral("setting/lastConnectedSerial")).toString(),
        QString::number(fm200.serial));
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));

    // Now vc1 is the nearest; fm200 and gw4 are heard equally.
    QVERIFY(park.setRssi(vc1.address, -45));
    QVERIFY(park.setRssi(fm200.address, -64));
    QVERIFY(park.setRssi(gw4.address, -64));
    const int listFrom = _ui.core.recorder->mark();
    QVERIFY(_ui.clickName(QStringLiteral("homeConnectButton")));
    QVERIFY(_ui.waitDeviceRow(vc1));
    QObject *dialog = _ui.object(QStringLiteral("deviceListDialog"));
    auto *devices = dialog->property("devices").value<configurator::DeviceListModel *>();
    QVERIFY(devices);
    devices->setResortInterval(100);
    devices->setStaleAfter(1000);
    QTRY_COMPARE(devices->count(), 3);
    const auto shown = [&]() {
        QStringList ids;
        for (int row = 0; row < devices->count(); ++row) {
            for (const simulator::DeviceDefinition *device : { &fm200, &gw4, &vc1 }) {
                if (devices->nameAt(row).contains(QString::number(device->serial)))
                    ids << device->id;
            }
        }
        return ids;
    };
    const auto rowItem = [&](const QString &what, const simulator::DeviceDefinition &device) {
        for (int row = 0; row < devices->count(); ++row) {
            if (devices->nameAt(row).contains(QString::number(device.serial)))
                return _ui.waitExisting(QStringLiteral("%1_%2").arg(what).arg(row), dialog);
        }
        return static_cast<QQuickItem *>(nullptr);
    };

    // Strongest first; the tie in the order the devices came.
    QTRY_COMPARE(shown(), QStringList({ "vc1", "fm200", "gw4" }));
    QTRY_COMPARE(_ui.text(rowItem(QStringLiteral("deviceRssi"), vc1)), QStringLiteral("-45 dBm"));
    QTRY_COMPARE(_ui.text(rowItem(QStringLiteral("deviceRssi"), gw4)), QStringLiteral("-64 dBm"));
    QCOMPARE(rowItem(QStringLiteral("deviceBars"), vc1)->property("bars").toInt(), 4);
    QCOMPARE(rowItem(QStringLiteral("deviceBars"), gw4)->property("bars").toInt(), 3);
    QTRY_VERIFY(rowItem(QStringLiteral("deviceLastConnected"), fm200)->isVisible());
    QVERIFY(!rowItem(QStringLiteral("deviceLastConnected"), gw4)->isVisible());

    // The engineer walks up to gw4, then away again: where it ties with fm200 it keeps its place
    // before it instead of jumping back.
    QVERIFY(park.setRssi(gw4.address, -40));
    QTRY_COMPARE(shown(), QStringList({ "gw4", "vc1", "fm200" }));
    QVERIFY(park.setRssi(gw4.address, -64));
    QTRY_COMPARE(shown(), QStringList({ "vc1", "gw4", "fm200" }));

    // The filter takes a serial number or a part of the name, in any case.
    QQuickItem *filter = _ui.waitItem(QStringLiteral("deviceFilterField"), dialog);
    _ui.type(filter, QString::number(gw4.serial), false);
    QTRY_COMPARE(shown(), QStringList({ "gw4" }));
    _ui.type(filter, QStringLiteral("fm-2"), false);
    QTRY_COMPARE(shown(), QStringList({ "fm200" }));
    _ui.type(filter, QString(), false);
    QTRY_COMPARE(shown(), QStringList({ "vc1", "gw4", "fm200" }));

    // vc1 falls silent: first greyed, then gone with the core's word for it.
    const QString vc1Uuid = _ui.core.listedUuid(vc1, listFrom);
    QVERIFY(devices->rowOf(vc1Uuid) >= 0);
    const int silentFrom = _ui.core.recorder->mark();
    QVERIFY(park.setAdvertising(vc1.address, false));
    QTRY_VERIFY(rowItem(QStringLiteral("deviceRow"), vc1)->opacity() < 1
        && rowItem(QStringLiteral("deviceRow"), gw4)->opacity() == 1.0);
    _ui.screenshot(QStringLiteral("device-list"));
    QVERIFY2(_ui.unnamedControls().isEmpty(), qPrintable(_ui.unnamedControls().join(u',')));
    QCOMPARE(_ui.core.recorder->count("appCoreBleDeviceLost", silentFrom), 0);
    _ui.core.core->setDeviceLostAfterMs(3000);
    const auto lost = [&]() {
        QStringList uuids;
        for (const auto &event : _ui.core.recorder->all("appCoreBleDeviceLost", silentFrom))
            uuids << event.args.at(0).toString();
        return uuids;
    };
    QTRY_VERIFY_WITH_TIMEOUT(lost().contains(vc1Uuid), kWaitMs);
    QTRY_COMPARE(shown(), QStringList({ "gw4", "fm200" }));
    QVERIFY(!_ui.core.core->discoveredDevices().contains(vc1Uuid));
    // Heard again, it is listed again.
    QVERIFY(park.setAdvertising(vc1.address, true));
    QTRY_COMPARE(shown(), QStringList({ "vc1", "gw4", "fm200" }));

    // The title fits, and the dialog sits on whole pixels.
    auto *title = dialog->property("header").value<QQuickItem *>();
    QVERIFY(title);
    QVERIFY(!title->property("truncated").toBool());
    QCOMPARE(title->property("lineCount").toInt(), 1);
    QCOMPARE(_ui.text(title), QStringLiteral("Please select device"));
    for (const char *geometry : { "x", "y", "width", "height" }) {
        const qreal value = dialog->property(geometry).toReal();
        QVERIFY2(value == qRound(value), geometry);
    }

    // Cancel; an advertisement that was on its way when the list closed adds nothing.
    QVERIFY(_ui.clickName(QStringLiteral("deviceListDialogCancel")));
    QVERIFY(_ui.waitOpened(QStringLiteral("deviceListDialog"), false));
    QTRY_VERIFY(!_ui.core.core->isDiscovering());
    QCOMPARE(devices->count(), 0);
    device_manager::DeviceDiscoveryInfo late;
    late.interfaceInfo.type = device_manager::InterfaceType::BLE;
    late.deviceInfo.Name = gw4.application.name;
    late.deviceInfo.Serial = gw4.serial;
    late.rssi = -50;
    const int lateFrom = _ui.core.recorder->mark();
    _ui.core.core->onDeviceDiscovered(
        event_topics::device_manager::DeviceManagerDeviceDiscoveredMessage::create(late));
    QCOMPARE(_ui.core.recorder->count("appCoreBleDeviceDiscovered", lateFrom), 1);
    QCOMPARE(devices->count(), 0);
}

void TestUiDialogs::passwordTakesFourDigits()
{
    QVERIFY(_ui.start());
    QVERIFY(_ui.clickName(QStringLiteral("homeConnectButton")));
    QQuickItem *row = _ui.waitDeviceRow(shippedDevice("fm200"));
    QVERIFY(row);
    const int from = _ui.core.recorder->mark();
    _ui.click(row);
    QVERIFY(_ui.waitOpened(QStringLiteral("passwordDialog")));
    QQuickItem *field = _ui.item(QStringLiteral("passwordField"));
    _ui.type(field, QStringLiteral("47115"), false);
    QCOMPARE(_ui.text(field), QStringLiteral("4711"));
    QCOMPARE(field->property("echoMode").toInt(), 2); // TextInput.Password
    _ui.screenshot(QStringLiteral("password"));
    QVERIFY(_ui.clickName(QStringLiteral("passwordDialogOk")));
    QVERIFY(_ui.core.waitForChainEnd(from));
    QVERIFY(_ui.core.core->isConnected());
    QCOMPARE(_ui.core.core->currentDevice().deviceInfo.Pass, QStringLiteral("4711"));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));

    // The next request finds the field empty again.
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuConnectButton")));
    QTRY_VERIFY(!_ui.core.core->isConnected());
    QVERIFY(_ui.clickName(QStringLiteral("homeConnectButton")));
    row = _ui.waitDeviceRow(shippedDevice("fm200"));
    QVERIFY(row);
    _ui.click(row);
    QVERIFY(_ui.waitOpened(QStringLiteral("passwordDialog")));
    QCOMPARE(_ui.text(field), QString());
    // Cancel ends the connection attempt.
    QVERIFY(_ui.clickName(QStringLiteral("passwordDialogCancel")));
    QVERIFY(_ui.waitOpened(QStringLiteral("passwordDialog"), false));
    QVERIFY(_ui.waitFor([&]() { return _ui.core.isIdle() && !_ui.core.core->isConnected(); }));
    // ... and Connect starts a new one (once the overlay has gone: it swallows clicks).
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("homeConnectButton"))), QStringLiteral("Connect"));
    QVERIFY(_ui.clickName(QStringLiteral("homeConnectButton")));
    QVERIFY(_ui.waitDeviceRow(shippedDevice("fm200")));
}

namespace {

// A text item that would read markup.
bool readsMarkup(QObject *object)
{
    if (!object->inherits("QQuickText"))
        return false;
    return object->property("textFormat").toInt() != 0; // Text.PlainText
}

} // namespace

void TestUiDialogs::deviceTextsAreShownLiterally()
{
    // Any image the window tried to load from a device text would knock here.
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const QString image = QStringLiteral("http://127.0.0.1:%1/x.png").arg(server.serverPort());
    QTemporaryDir folder;
    const simulator::DeviceCatalog catalog = testDevices(folder.path(), { QStringLiteral("mk1") }, image);
    QCOMPARE(catalog.definitions().size(), 1);
    const simulator::DeviceDefinition &device = catalog.definitions().constFirst();
    const QString img = QStringLiteral("<img src=\"%1\">").arg(image);
    QVERIFY(_ui.start(catalog));

    // Every text item that shows one of `texts` shows it as plain text; each is found somewhere.
    QStringList seen;
    const auto check = [&](const QStringList &texts) {
        for (QObject *object : _ui.allObjects()) {
            const QString shown = object->property("text").toString();
            if (shown.isEmpty() || object->objectName() == QLatin1String("slaveInfolabel"))
                continue;
            for (const QString &text : texts) {
                if (!shown.contains(text))
                    continue;
                QVERIFY2(!readsMarkup(object),
                    qPrintable(QStringLiteral("%1 reads markup: %2").arg(object->metaObject()->className(), shown)));
                seen << text;
            }
        }
    };

    // The device list.
    QVERIFY(_ui.clickName(QStringLiteral("homeConnectButton")));
    QQuickItem *row = _ui.waitDeviceRow(device);
    QVERIFY(row);
    const QString listed = QStringLiteral("<b>MK</b>&amp;%1-90000001 [v1.0]").arg(img);
    check({ listed });
    _ui.screenshot(QStringLiteral("markup-device-list"));
    const int from = _ui.core.recorder->mark();
    _ui.click(row);
    QVERIFY(_ui.waitOpened(QStringLiteral("passwordDialog")));
    _ui.type(_ui.item(QStringLiteral("passwordField")), QStringLiteral("1111"));
    QVERIFY(_ui.core.waitForChainEnd(from));

    // The header is the one rich label: the device's name is escaped in it.
    const QString header = _ui.text(_ui.item(QStringLiteral("slaveInfolabel")));
    QVERIFY2(header.startsWith(QStringLiteral("<font>&lt;b&gt;MK&lt;/b&gt;&amp;amp;&lt;img src=&quot;")),
        qPrintable(header));
    // The dialog from the device's debug output.
    QVERIFY(_ui.waitOpened(QStringLiteral("errorDialog")));
    const QString alert = QStringLiteral("<b>Alert</b> &amp; ") + img;
    check({ alert });
    for (int i = 0; i < 3; ++i)
        QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));

    // Settings: names, a text value, a group title, the enumeration and its list.
    const QStringList settings { QStringLiteral("<b>Setting</b> &amp; ") + img, QStringLiteral("<i>Choice</i>"),
        QStringLiteral("<u>Text</u>"), QStringLiteral("<b>text</b> ") + img,
        QStringLiteral("<i>Group</i> &amp; ") + img, QStringLiteral("<b>one</b>") };
    QVERIFY(_ui.waitItem(QStringLiteral("value_11")));
    _ui.click(_ui.item(QStringLiteral("value_11")));
    QVERIFY(_ui.waitItem(QStringLiteral("entry_3"), nullptr, false));
    const QStringList entries { QStringLiteral("&amp;two"), img + QStringLiteral("three"),
        QStringLiteral("<i>hidden</i>") };
    check(settings + entries);
    _ui.screenshot(QStringLiteral("markup-settings"));
    QTest::keyClick(_ui.window, Qt::Key_Escape);
    QObject *choices = _ui.item(QStringLiteral("value_11"))->property("popup").value<QObject *>();
    QTRY_VERIFY(!choices->property("visible").toBool());

    // The other pages, the debug console and the device files.
    const QList<QPair<QString, QString>> pages { { QStringLiteral("menuState"),
                                                     QStringLiteral("<u>State</u> &lt;") + img },
        { QStringLiteral("menuCommands"), QStringLiteral("<b>Run</b> &amp; ") + img },
        { QStringLiteral("menuPersonalization"), QStringLiteral("<b>Owner</b>") + img },
        { QStringLiteral("menuDebug"), QStringLiteral("<b>boot</b> &amp; ") + img } };
    for (const auto &page : pages) {
        QVERIFY(_ui.openPageFromMenu(page.first));
        QVERIFY(_ui.waitFor([&]() {
            for (QObject *object : _ui.allObjects()) {
                if (object->property("text").toString() == page.second)
                    return true;
            }
            return false;
        }));
        check({ page.second });
    }
    _ui.screenshot(QStringLiteral("markup-debug"));
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuDeviceFiles")));
    QVERIFY(_ui.waitOpened(QStringLiteral("deviceFilesDialog")));
    const QString fileName = QStringLiteral("<b>f</b>&amp;<i>");
    QTRY_COMPARE(_ui.text(_ui.item(QStringLiteral("fileName_17"))), fileName);
    check({ fileName });
    _ui.screenshot(QStringLiteral("markup-files"));

    for (const QString &text : settings + entries + QStringList { listed, alert, fileName })
        QVERIFY2(seen.contains(text), qPrintable(text));
    for (const auto &page : pages)
        QVERIFY2(seen.contains(page.second), qPrintable(page.second));
    // Nothing went to fetch an image.
    QVERIFY(!server.waitForNewConnection(0));
    QVERIFY(!server.hasPendingConnections());
}

QTEST_MAIN(TestUiDialogs)
#include "tst_ui_dialogs.moc"
