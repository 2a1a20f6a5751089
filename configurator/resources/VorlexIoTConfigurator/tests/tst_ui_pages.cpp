// The pages of the window on simulated devices with the real core, used as a user does: connecting,
// the pages a device gets, collapsible groups, editing values and saving them to the device, the
// device files and the debug console.
#include "configurator/app_settings.h"
#include "window_harness.h"

#include "simulator/value_codec.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VorlexIoTConfiguratorPlugin)

using namespace ui_testing;
using core_testing::shippedDevice;

class TestUiPages : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { _ui.stop(); }
    void connectLandsOnItsPage_data();
    void connectLandsOnItsPage();
    void collapsibleGroups_data();
    void collapsibleGroups();
    void editedValuesReachTheDevice();
    void deviceFilesByPermission_data();
    void deviceFilesByPermission();
    void passwordSettingIsMasked();
    void debugConsole();

private:
    QObject *settingsModel();

    UiHarness _ui;
};

QObject *TestUiPages::settingsModel()
{
    QQuickItem *list = _ui.item(QStringLiteral("settingsList"));
    return list ? list->property("model").value<QObject *>() : nullptr;
}

void TestUiPages::connectLandsOnItsPage_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("devicePages");
    QTest::newRow("fm200 application") << "fm200"
                                       << "4711" << 0 << "Settings" << true;
    QTest::newRow("vc1 bootloader") << "vc1"
                                    << "5555" << 4 << "Debug" << false;
}

void TestUiPages::connectLandsOnItsPage()
{
    QFETCH(QString, device);
    QFETCH(QString, password);
    QFETCH(int, page);
    QFETCH(QString, title);
    QFETCH(bool, devicePages);
    const simulator::DeviceDefinition &definition = shippedDevice(device);
    QVERIFY(_ui.start());

    // Home, not connected, the device pages off and swiping off.
    QCOMPARE(_ui.currentPage(), 6);
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("slaveInfolabel"))), QStringLiteral("Not connected"));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("homeConnectButton"))), QStringLiteral("Connect"));
    QVERIFY(_ui.item(QStringLiteral("simulatedMark"))->isVisible());
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("simulatedMark"))), QStringLiteral("Simulated devices"));
    QCOMPARE(_ui.object(QStringLiteral("pageView"))->property("interactive").toBool(), false);
    QVERIFY(_ui.openDrawer());
    for (const char *entry : { "menuSettings", "menuState", "menuCommands", "menuPersonalization" }) {
        QQuickItem *shown = _ui.waitExisting(QString::fromLatin1(entry));
        QVERIFY2(shown && !shown->isEnabled(), entry);
    }
    QVERIFY(_ui.closeDrawer());
    _ui.screenshot(QStringLiteral("home"));

    QVERIFY(_ui.connect(definition, password));
    QTRY_COMPARE(_ui.currentPage(), page);
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("pageTitle"))), title);
    QCOMPARE(_ui.object(QStringLiteral("pageView"))->property("interactive").toBool(), true);
    QVERIFY(_ui.text(_ui.item(QStringLiteral("slaveInfolabel"))).contains(QString::number(definition.serial)));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("homeConnectButton"))), QStringLiteral("Disconnect"));
    // The device's first message is shown, the overlays are gone.
    QVERIFY(_ui.waitOpened(QStringLiteral("errorDialog")));
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    _ui.screenshot(QStringLiteral("connected-") + device);
    QVERIFY(_ui.clickName(QStringLiteral("errorDialogOk")));
    QVERIFY(_ui.waitOpened(QStringLiteral("errorDialog"), false));

    if (devicePages) {
        // Every settings row of the profile is on the Settings page (flat profile: all visible).
        for (const simulator::ProfileEntry &entry : definition.startFirmware().profile) {
            if (entry.element.type != v_protocol::TSlaveProfile::Types::SlaveSetting)
                continue;
            QQuickItem *row
                = _ui.elementRow(QStringLiteral("settingsPage"), QStringLiteral("settingsList"), entry.element.id);
            QVERIFY2(row && row->isVisible(), qPrintable(entry.element.nameEn));
        }
        // The state page was built beside it and shows the values read.
        QQuickItem *valve = _ui.elementRow(QStringLiteral("statePage"), QStringLiteral("stateList"), 206);
        QVERIFY(valve);
        QCOMPARE(
            _ui.item(QStringLiteral("value_206"), valve)->property("displayText").toString(), QStringLiteral("Open"));
        // A state value is text: no underline, no cursor when clicked.
        QQuickItem *flowRow = _ui.elementRow(QStringLiteral("statePage"), QStringLiteral("stateList"), 200);
        QQuickItem *flow = _ui.item(QStringLiteral("value_200"), flowRow);
        QVERIFY(flow && flow->property("readOnly").toBool());
        QVERIFY(!flow->property("background").value<QQuickItem *>()->isVisible());
        QVERIFY(!flow->property("activeFocusOnPress").toBool());
    }
    // Every control shown can be named by a screen reader: the page's and the menu's.
    QVERIFY2(_ui.unnamedControls().isEmpty(), qPrintable(_ui.unnamedControls().join(u'\n')));
    // The menu: the device pages on for an application, the connect button disconnects.
    QVERIFY(_ui.openDrawer());
    QVERIFY2(_ui.unnamedControls().isEmpty(), qPrintable(_ui.unnamedControls().join(u'\n')));
    for (const char *entry : { "menuSettings", "menuState", "menuCommands", "menuPersonalization" })
        QCOMPARE(_ui.item(QString::fromLatin1(entry))->isEnabled(), devicePages);
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("menuConnectButton"))), QStringLiteral("Disconnect"));
    _ui.screenshot(QStringLiteral("menu-") + device);
    QVERIFY(_ui.closeDrawer());

    // Disconnect from the menu: back home, the device pages off, the element pages empty.
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuConnectButton")));
    QTRY_COMPARE(_ui.currentPage(), 6);
    QTRY_COMPARE(_ui.text(_ui.item(QStringLiteral("slaveInfolabel"))), QStringLiteral("Not connected"));
    QVERIFY(!_ui.item(QStringLiteral("menuSettings"))->isEnabled());
    QCOMPARE(settingsModel() ? settingsModel()->property("count").toInt() : 0, 0);
    QVERIFY2(_ui.warnings.isEmpty(), qPrintable(_ui.warnings.join('\n')));
}

void TestUiPages::collapsibleGroups_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("root");
    QTest::newRow("root") << "9000" << true;
    QTest::newRow("user") << "2468" << false;
}

void TestUiPages::collapsibleGroups()
{
    QFETCH(QString, password);
    QFETCH(bool, root);
    QVERIFY(_ui.start());
    QVERIFY(_ui.connect(shippedDevice("gw4"), password));
    QTRY_COMPARE(_ui.currentPage(), 0);
    // gw4 shows its SIM card message first.
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    QObject *model = settingsModel();
    QVERIFY(model);
    QVERIFY(model->property("hierarchical").toBool());

    const auto shown = [&](int id) {
        QQuickItem *row = _ui.elementRow(QStringLiteral("settingsPage"), QStringLiteral("settingsList"), id);
        return row && row->isVisible() && row->height() > 0;
    };
    const auto present = [&](int id) {
        int row = -1;
        QMetaObject::invokeMethod(model, "rowOf", Q_RETURN_ARG(int, row), Q_ARG(int, id));
        return row >= 0;
    };
    // The marker is no row; after it only the top-level group titles.
    QVERIFY(!present(1));
    QVERIFY(shown(10));
    QVERIFY(shown(20));
    for (int id : { 11, 12, 13, 14, 15, 16, 18, 21, 26 })
        QTRY_VERIFY2(!shown(id), qPrintable(QString::number(id)));
    _ui.screenshot(QStringLiteral("settings-groups-") + QTest::currentDataTag());

    // "Network" opens: its rows and its sub-group title, not the sub-group's rows.
    _ui.click(_ui.item(QStringLiteral("title_10")));
    for (int id : { 11, 12, 13, 14, 15 })
        QTRY_VERIFY2(shown(id), qPrintable(QString::number(id)));
    QVERIFY(!shown(16));
    QVERIFY(!shown(21));
    // "Security" opens; the key is for root only.
    _ui.click(_ui.item(QStringLiteral("title_15")));
    QTRY_VERIFY(shown(16));
    QVERIFY(shown(18));
    QCOMPARE(present(17), root);
    if (root)
        QVERIFY(shown(17));
    _ui.screenshot(QStringLiteral("settings-open-") + QTest::currentDataTag());

    // "Network" closes with everything under it; opening it again shows only its own rows.
    _ui.click(_ui.item(QStringLiteral("title_10")));
    for (int id : { 11, 12, 15, 16, 18 })
        QTRY_VERIFY2(!shown(id), qPrintable(QString::number(id)));
    _ui.click(_ui.item(QStringLiteral("title_10")));
    QTRY_VERIFY(shown(11));
    QTRY_VERIFY(shown(15));
    QVERIFY(!shown(16));
}

void TestUiPages::editedValuesReachTheDevice()
{
    QTemporaryDir folder;
    const simulator::DeviceCatalog catalog = testDevices(folder.path(), { QStringLiteral("ed1") });
    QCOMPARE(catalog.definitions().size(), 1);
    const simulator::DeviceDefinition &device = catalog.definitions().constFirst();
    QVERIFY(_ui.start(catalog));
    QVERIFY(_ui.connect(device, QStringLiteral("2222")));
    QTRY_COMPARE(_ui.currentPage(), 0);
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    const auto field = [&](int id) {
        QQuickItem *row = _ui.elementRow(QStringLiteral("settingsPage"), QStringLiteral("settingsList"), id);
        return row ? _ui.item(QStringLiteral("value_%1").arg(id), row) : nullptr;
    };
    const auto shownAfterTyping = [&](int id, const QString &typed) {
        QQuickItem *input = field(id);
        _ui.type(input, typed);
        return _ui.text(input);
    };
    const auto stored = [&](int id) { return _ui.core.element(id)->data(); };

    // Numbers: above the maximum the maximum, empty or not a number the minimum, the multiplier on the way.
    QCOMPARE(shownAfterTyping(100, QStringLiteral("20000")), QStringLiteral("10000"));
    QCOMPARE(stored(100).toInt(), 10000);
    QCOMPARE(shownAfterTyping(100, QString()), QStringLiteral("1"));
    QCOMPARE(stored(100).toInt(), 1);
    QCOMPARE(shownAfterTyping(100, QStringLiteral("-")), QStringLiteral("1"));
    QCOMPARE(shownAfterTyping(100, QStringLiteral("x7")), QStringLiteral("7")); // letters cannot be typed
    QCOMPARE(shownAfterTyping(101, QStringLiteral("999")), QStringLiteral("500"));
    QCOMPARE(stored(101).toInt(), 5000);
    QCOMPARE(shownAfterTyping(101, QStringLiteral("12.34")), QStringLiteral("12.3"));
    QCOMPARE(stored(101).toInt(), 123);
    QCOMPARE(shownAfterTyping(102, QStringLiteral("-5000")), QStringLiteral("-1000"));
    // Without limits in the profile a value is still bounded by its four bytes.
    QCOMPARE(shownAfterTyping(103, QStringLiteral("5000000000")), QStringLiteral("4294967295"));
    QCOMPARE(stored(103).toUInt(), 4294967295u);
    // Four hex bytes take eight digits and nothing else; a short entry is filled to the size.
    QCOMPARE(shownAfterTyping(104, QStringLiteral("0123456789")), QStringLiteral("01234567"));
    QCOMPARE(shownAfterTyping(104, QStringLiteral("ab-c")), QStringLiteral("00000ABC"));
    QCOMPARE(shownAfterTyping(104, QStringLiteral("89abcdef")), QStringLiteral("89ABCDEF"));
    // Sixteen bytes of text take fifteen characters, and fifteen bytes of UTF-8.
    QCOMPARE(shownAfterTyping(105, QStringLiteral("abcdefghijklmnopqrst")), QStringLiteral("abcdefghijklmno"));
    QCOMPARE(shownAfterTyping(105, QString(8, QChar(0xE4))), QString(7, QChar(0xE4)));
    QCOMPARE(shownAfterTyping(105, QStringLiteral("Line 7")), QStringLiteral("Line 7"));
    // What the user may not edit takes no focus and stays as it is.
    QQuickItem *locked = field(107);
    _ui.click(locked);
    QVERIFY(!locked->hasActiveFocus());
    QVERIFY(locked->property("readOnly").toBool());
    QCOMPARE(_ui.text(locked), QStringLiteral("9"));
    QCOMPARE(stored(107).toInt(), 9);

    // The "#" entry cannot be chosen, neither from the list nor with the keys.
    QQuickItem *mode = field(106);
    QVERIFY(mode);
    _ui.click(mode);
    QQuickItem *service = _ui.waitItem(QStringLiteral("entry_2"), nullptr, false);
    QVERIFY(service);
    QVERIFY(!service->isEnabled());
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("entry_2"))), QStringLiteral("Service"));
    _ui.screenshot(QStringLiteral("enum-entries"));
    _ui.click(service);
    QCOMPARE(stored(106).toInt(), 0);
    _ui.click(_ui.waitItem(QStringLiteral("entry_1")));
    QTRY_COMPARE(stored(106).toInt(), 1);
    QTRY_COMPARE(mode->property("displayText").toString(), QStringLiteral("Manual"));
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(_ui.window, Qt::Key_Down);
        QVERIFY(stored(106).toInt() != 2);
    }
    QCOMPARE(mode->property("currentIndex").toInt(), 1);
    _ui.screenshot(QStringLiteral("settings-edited"));

    // Save: the device holds what the fields show, and the page reads it back.
    const int from = _ui.core.recorder->mark();
    QVERIFY(_ui.clickName(QStringLiteral("saveSettingsButton")));
    QVERIFY(
        _ui.waitFor([&]() { return _ui.core.recorder->count("loadDataToInterface", from) > 0 && _ui.core.isIdle(); }));
    QVERIFY2(_ui.core.recorder->dialogs(from).isEmpty(), qPrintable(_ui.core.recorder->dialogs(from).join('|')));
    _ui.core.withEngine(device, [](simulator::DeviceEngine &engine) {
        QCOMPARE(simulator::ValueCodec::readInteger(engine.value(100), false), 7);
        QCOMPARE(simulator::ValueCodec::readInteger(engine.value(101), false), 123);
        QCOMPARE(simulator::ValueCodec::readInteger(engine.value(102), true), -1000);
        QCOMPARE(simulator::ValueCodec::readInteger(engine.value(103), false), 4294967295ll);
        QCOMPARE(engine.value(104), QByteArray::fromHex("89abcdef"));
        QCOMPARE(engine.value(105), QByteArray("Line 7").leftJustified(16, '\0'));
        QCOMPARE(engine.value(106), QByteArray(1, '\1'));
        QCOMPARE(engine.value(107), QByteArray(1, '\x09'));
        // The settings were applied after saving.
        QVERIFY(engine.counters().received(v_protocol::TPayloadType::CommandRequest) >= 2);
    });
    QTRY_COMPARE(_ui.text(field(101)), QStringLiteral("12.3"));
    QCOMPARE(_ui.text(field(104)), QStringLiteral("89ABCDEF"));
}

void TestUiPages::deviceFilesByPermission_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("root");
    QTest::newRow("root") << "4711" << true;
    QTest::newRow("user") << "1234" << false;
}

void TestUiPages::deviceFilesByPermission()
{
    QFETCH(QString, password);
    QFETCH(bool, root);
    QVERIFY(_ui.start());
    QVERIFY(_ui.connect(shippedDevice("fm200"), password));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuDeviceFiles")));
    QVERIFY(_ui.waitOpened(QStringLiteral("deviceFilesDialog")));
    QObject *dialog = _ui.object(QStringLiteral("deviceFilesDialog"));
    QVERIFY(_ui.waitItem(QStringLiteral("fileRow_21"), dialog, false));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("fileName_17"), dialog)), QStringLiteral("log"));
    _ui.screenshot(QStringLiteral("device-files-") + QTest::currentDataTag());

    // calibration: read and written by root only; log: read by all, cleared by root only.
    QCOMPARE(_ui.item(QStringLiteral("fileRead_21"), dialog)->isEnabled(), root);
    QCOMPARE(_ui.item(QStringLiteral("fileWrite_21"), dialog)->isEnabled(), root);
    QVERIFY(!_ui.item(QStringLiteral("fileClear_21"), dialog)->isEnabled());
    QVERIFY(_ui.item(QStringLiteral("fileRead_17"), dialog)->isEnabled());
    QCOMPARE(_ui.item(QStringLiteral("fileClear_17"), dialog)->isEnabled(), root);
    QVERIFY(!_ui.item(QStringLiteral("fileWrite_17"), dialog)->isEnabled());

    // A click on a disabled button does nothing; an enabled one reads the file and closes the dialog.
    const int from = _ui.core.recorder->mark();
    _ui.click(_ui.item(QStringLiteral("fileRead_21"), dialog));
    if (!root) {
        QVERIFY(dialog->property("visible").toBool());
        // No job started (the silent polls of the device never say busy).
        for (const core_testing::Event &event : _ui.core.recorder->all("appCoreBusy", from))
            QVERIFY(!event.args.at(0).toBool());
        _ui.click(_ui.item(QStringLiteral("fileRead_17"), dialog));
    }
    QVERIFY(_ui.waitOpened(QStringLiteral("deviceFilesDialog"), false));
    const QString saved
        = root ? QStringLiteral("SN10250001-ID021-calibration.bin") : QStringLiteral("SN10250001-ID017-log.bin");
    QVERIFY(_ui.waitFor([&]() { return !_ui.core.opened.urls.isEmpty(); }));
    QVERIFY2(_ui.core.opened.urls.constLast().toLocalFile().endsWith(saved),
        qPrintable(_ui.core.opened.urls.constLast().toString()));
}

void TestUiPages::passwordSettingIsMasked()
{
    constexpr int kNormalEcho = 0; // TextInput.Normal
    constexpr int kPasswordEcho = 2; // TextInput.Password
    QVERIFY(_ui.start());
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuAppSettings")));
    QQuickItem *row = _ui.elementRow(QStringLiteral("appSettingsPage"), QStringLiteral("appSettingsList"), 1);
    QVERIFY(row);
    QQuickItem *field = _ui.item(QStringLiteral("value_1"), row);
    QVERIFY(field && field->property("background").value<QQuickItem *>()->isVisible());
    QCOMPARE(field->property("echoMode").toInt(), kPasswordEcho);
    QCOMPARE(_ui.text(field), QStringLiteral("7391"));
    QVERIFY(field->property("displayText").toString() != QStringLiteral("7391"));
    QQuickItem *reveal = _ui.item(QStringLiteral("reveal_1"), row);
    _ui.click(reveal);
    QTRY_COMPARE(field->property("displayText").toString(), QStringLiteral("7391"));
    _ui.click(reveal);
    QTRY_COMPARE(field->property("echoMode").toInt(), kPasswordEcho);
    // The other settings are not secrets.
    QQuickItem *serverRow = _ui.elementRow(QStringLiteral("appSettingsPage"), QStringLiteral("appSettingsList"), 4);
    QCOMPARE(_ui.item(QStringLiteral("value_4"), serverRow)->property("echoMode").toInt(), kNormalEcho);
    QVERIFY(!_ui.item(QStringLiteral("reveal_4"), serverRow)->isVisible());
    _ui.screenshot(QStringLiteral("app-settings"));
}

void TestUiPages::debugConsole()
{
    QVERIFY(_ui.start());
    QVERIFY(_ui.connect(shippedDevice("fm200"), QStringLiteral("4711")));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuDebug")));
    QTRY_COMPARE(_ui.currentPage(), 4);
    QQuickItem *list = _ui.waitItem(QStringLiteral("debugList"));
    QVERIFY(list);
    auto *lines = list->property("model").value<QObject *>();
    const auto lineAt = [&](int row) {
        QString line;
        QMetaObject::invokeMethod(lines, "lineAt", Q_RETURN_ARG(QString, line), Q_ARG(int, row));
        return line;
    };
    const auto lineCount = [&]() { return lines->property("count").toInt(); };
    // The device's boot lines came while the page was not built; they are there, one row per line.
    QTRY_VERIFY(lineCount() >= 3);
    bool booted = false;
    for (int row = 0; row < lineCount(); ++row)
        booted |= lineAt(row) == QStringLiteral("FM-200 Flow 2.4 (build 2024-03-11) starting");
    QVERIFY(booted);

    // Auto-scroll follows the end.
    for (int i = 0; i < 150; ++i)
        _ui.core.core->addDebugLogMessage(QStringLiteral("line %1\n").arg(i));
    QTRY_VERIFY(list->property("contentHeight").toReal() > list->height() && list->property("atYEnd").toBool());
    _ui.screenshot(QStringLiteral("debug"));
    QVERIFY(list->property("atYEnd").toBool());
    QVERIFY2(list->property("contentHeight").toReal() > list->height(),
        qPrintable(QStringLiteral("%1 %2").arg(list->property("contentHeight").toReal()).arg(list->height())));

    // Off: the reader stays where they are while lines arrive.
    _ui.click(_ui.item(QStringLiteral("autoScrollSwitch")));
    QTRY_VERIFY(!_ui.item(QStringLiteral("autoScrollSwitch"))->property("checked").toBool());
    QMetaObject::invokeMethod(list, "positionViewAtBeginning");
    QTRY_VERIFY(list->property("atYBeginning").toBool());
    const qreal top = list->property("contentY").toReal();
    const int before = lineCount();
    for (int i = 0; i < 50; ++i)
        _ui.core.core->addDebugLogMessage(QStringLiteral("more %1\n").arg(i));
    QTRY_COMPARE(lineCount(), before + 50);
    QCOMPARE(list->property("contentY").toReal(), top);
    QVERIFY(list->property("atYBeginning").toBool());

    // A text in two parts is one line; several lines in one text are several rows.
    _ui.core.core->addDebugLogMessage(QStringLiteral("first half, "));
    _ui.core.core->addDebugLogMessage(QStringLiteral("second half\nnext\n"));
    QTRY_COMPARE(lineCount(), before + 52);
    QCOMPARE(lineAt(before + 50), QStringLiteral("first half, second half"));
    QCOMPARE(lineAt(before + 51), QStringLiteral("next"));

    // Select the first two lines (click, shift-click) and copy them.
    QMetaObject::invokeMethod(list, "positionViewAtBeginning");
    QTRY_VERIFY(list->property("atYBeginning").toBool());
    auto *contentItem = list->property("contentItem").value<QQuickItem *>();
    QVERIFY(_ui.waitFor([&]() { return contentItem->childItems().size() >= 2; }));
    QList<QQuickItem *> rows;
    for (QQuickItem *child : contentItem->childItems()) {
        if (child->property("index").isValid())
            rows << child;
    }
    std::sort(rows.begin(), rows.end(), [](QQuickItem *a, QQuickItem *b) { return a->y() < b->y(); });
    QVERIFY(rows.size() >= 2);
    _ui.click(rows.at(0));
    _ui.click(rows.at(1), Qt::ShiftModifier);
    QTRY_COMPARE(lines->property("selectionEnd").toInt(), 1);
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("copyButton"))), QStringLiteral("Copy lines"));
    QVERIFY(_ui.clickName(QStringLiteral("copyButton")));
    QCOMPARE(QGuiApplication::clipboard()->text(), lineAt(0) + u'\n' + lineAt(1));

    // Find: every line holding the text is marked, Enter and the arrows step through them around the ends.
    QQuickItem *find = _ui.waitItem(QStringLiteral("findField"));
    _ui.type(find, QStringLiteral("MORE 4"), false);
    QTRY_COMPARE(lines->property("matchCount").toInt(), 11); // "more 4", "more 40" .. "more 49"
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("matchCountLabel"))), QStringLiteral("found: 11"));
    QTest::keyClick(_ui.window, Qt::Key_Return);
    QTRY_COMPARE(lineAt(lines->property("currentMatch").toInt()), QStringLiteral("more 4"));
    QVERIFY(!_ui.item(QStringLiteral("autoScrollSwitch"))->property("checked").toBool());
    QVERIFY(_ui.clickName(QStringLiteral("findNextButton")));
    QTRY_COMPARE(lineAt(lines->property("currentMatch").toInt()), QStringLiteral("more 40"));
    QVERIFY(_ui.clickName(QStringLiteral("findPreviousButton")));
    QVERIFY(_ui.clickName(QStringLiteral("findPreviousButton")));
    QTRY_COMPARE(lineAt(lines->property("currentMatch").toInt()), QStringLiteral("more 49"));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("matchCountLabel"))),
        QStringLiteral("line %1, found: 11").arg(lines->property("currentMatch").toInt() + 1));
    _ui.screenshot(QStringLiteral("debug-find"));

    // Save log: every line with its UTC time and local offset, in a file named after the device, opened.
    const int saved = lineCount();
    QVERIFY(_ui.clickName(QStringLiteral("saveLogButton")));
    QTRY_COMPARE(_ui.core.opened.urls.size(), 1);
    const QString logPath = _ui.core.opened.urls.constFirst().toLocalFile();
    QVERIFY2(QFileInfo(logPath).fileName().startsWith(QStringLiteral("DebugLog-FM-200_Flow")), qPrintable(logPath));
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList logLines = QString::fromUtf8(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(logLines.size(), saved);
    const QRegularExpression stamped(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z [+-]\\d\\d:\\d\\d  (.*)$"));
    for (int row = 0; row < saved; ++row) {
        const QRegularExpressionMatch match = stamped.match(logLines.at(row));
        QVERIFY2(match.hasMatch(), qPrintable(logLines.at(row)));
        QCOMPARE(match.captured(1), lineAt(row));
    }

    // At its limit (the "Console lines" setting, here its least) the console drops the oldest lines
    // and says how many.
    for (VkInterfaceElement *setting : _ui.core.core->appSettingsElements()) {
        if (setting->id() == configurator::AppSettings::ConsoleLines)
            setting->setData(1u);
    }
    QCOMPARE(lines->property("maxLines").toInt(), configurator::AppSettings::kMinConsoleLines);
    const int total = lineCount() + 59;
    for (int i = 0; i < 59; ++i)
        _ui.core.core->addDebugLogMessage(QStringLiteral("late %1\n").arg(i));
    QTRY_COMPARE(lineCount(), 100);
    QCOMPARE(lineAt(99), QStringLiteral("late 58"));
    QCOMPARE(lines->property("droppedLines").toInt(), total - 100);
    QMetaObject::invokeMethod(list, "positionViewAtBeginning");
    QQuickItem *dropped = _ui.waitItem(QStringLiteral("droppedLinesLabel"));
    QVERIFY(dropped && dropped->isVisible());
    QCOMPARE(_ui.text(dropped), QStringLiteral("Earlier lines dropped: %1").arg(total - 100));
    QVERIFY(_ui.core.core->debugText().contains(QStringLiteral("FM-200 Flow 2.4 (build 2024-03-11) starting")));

    // Clear empties the console.
    QVERIFY(_ui.clickName(QStringLiteral("clearDebugButton")));
    QTRY_COMPARE(lineCount(), 0);
    QVERIFY(_ui.core.core->debugText().isEmpty());
}

QTEST_MAIN(TestUiPages)
#include "tst_ui_pages.moc"
