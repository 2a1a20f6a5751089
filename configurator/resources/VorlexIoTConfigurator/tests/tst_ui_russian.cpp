// The window in Russian, as a user who chose it in the application settings sees it after a restart:
// the catalogue installed at start the way the program's start-up does, the texts of the window and
// of the core in Russian, the device's elements by their Russian names, the device's own texts as the
// device sent them. Every page and dialog is photographed (ui-screenshots/ru-*.png).
#include "window_harness.h"

#include "configurator/app_settings.h"
#include "configurator/interface_language.h"
#include "settings/encrypted_settings.h"

#include <QTemporaryDir>
#include <QTranslator>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(VorlexIoTConfiguratorPlugin)

using namespace ui_testing;
using configurator::AppSettings;
using configurator::InterfaceLanguage;
using core_testing::shippedDevice;

class TestUiRussian : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { _ui.stop(); }
    void russianWindow();

private:
    // The name the delegate of element `id` shows, once its row is built on `pageName`.
    QString shownName(const QString &pageName, const QString &listName, int id);
    void menuPage(const QString &entry, int index, const QString &title);

    UiHarness _ui;
    QTranslator _catalogue;
    QTemporaryDir _files;
};

void TestUiRussian::initTestCase()
{
    QVERIFY(_files.isValid());
    // Chosen in the settings of an earlier run; read at start before the core and the window exist.
    _ui.core.beforeCore = [this]() {
        QCOMPARE(EncryptedSettings::instance()->setValue(
                     AppSettings::key(AppSettings::InterfaceLanguage), int(InterfaceLanguage::Russian)),
            ReturnCode::Ok);
        QVERIFY(InterfaceLanguage::installChosen(_catalogue));
    };
    QVERIFY(_ui.start());
    // As start-up tells the core that the window is there (under a window system without a window
    // manager the application may never become active).
    QVERIFY(QMetaObject::invokeMethod(_ui.core.core, "_onUiLoaded", Qt::QueuedConnection));
    QVERIFY(InterfaceLanguage::isRussian());
}

QString TestUiRussian::shownName(const QString &pageName, const QString &listName, int id)
{
    QQuickItem *row = nullptr;
    _ui.waitFor([&]() { return (row = _ui.elementRow(pageName, listName, id)) != nullptr; });
    if (!row)
        return QStringLiteral("<no row %1>").arg(id);
    const QString name = row->property("name").toString();
    // The label of the row shows it.
    for (QObject *object : _ui.allObjects(row)) {
        if (object->inherits("QQuickText") && _ui.text(object) == name && qobject_cast<QQuickItem *>(object)->isVisible())
            return name;
    }
    return QStringLiteral("<%1 not shown>").arg(name);
}

void TestUiRussian::menuPage(const QString &entry, int index, const QString &title)
{
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    QVERIFY(_ui.openDrawer());
    QQuickItem *button = _ui.waitItem(entry);
    QCOMPARE(_ui.text(button), title);
    _ui.click(button);
    QVERIFY(_ui.waitOpened(QStringLiteral("drawer"), false));
    QTRY_COMPARE(_ui.currentPage(), index);
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("pageTitle"))), title);
}

void TestUiRussian::russianWindow()
{
    // Home.
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("homeConnectButton"))), QStringLiteral("Подключить"));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("slaveInfolabel"))), QStringLiteral("Нет подключения"));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("simulatedMark"))), QStringLiteral("Имитация устройств"));
    _ui.screenshot(QStringLiteral("ru-home"));
    QVERIFY(_ui.openDrawer());
    QCOMPARE(_ui.text(_ui.waitItem(QStringLiteral("menuConnectButton"))), QStringLiteral("Подключить"));
    _ui.screenshot(QStringLiteral("ru-menu"));
    QVERIFY(_ui.closeDrawer());

    // Application settings: Russian names, the language entries.
    menuPage(QStringLiteral("menuAppSettings"), 5, QStringLiteral("Настройки программы"));
    QCOMPARE(shownName(QStringLiteral("appSettingsPage"), QStringLiteral("appSettingsList"), AppSettings::Autoconnect),
        QStringLiteral("Автоматическое подключение к устройству"));
    QCOMPARE(shownName(QStringLiteral("appSettingsPage"), QStringLiteral("appSettingsList"),
                 AppSettings::InterfaceLanguage),
        QStringLiteral("Язык интерфейса"));
    QQuickItem *language = _ui.item(QStringLiteral("value_%1").arg(AppSettings::InterfaceLanguage));
    QVERIFY(language);
    QCOMPARE(language->property("displayText").toString(), QStringLiteral("Русский"));
    _ui.screenshot(QStringLiteral("ru-app-settings"));
    // Choosing another language says when it takes effect; the window stays Russian until then.
    _ui.click(language);
    QCOMPARE(_ui.text(_ui.waitItem(QStringLiteral("entry_0"), nullptr, false)), QStringLiteral("Как в системе"));
    _ui.screenshot(QStringLiteral("ru-language-entries"));
    _ui.click(_ui.waitItem(QStringLiteral("entry_1")));
    QVERIFY(_ui.waitOpened(QStringLiteral("errorDialog")));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("errorTitle"))), QStringLiteral("Язык интерфейса"));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("errorText"))),
        QStringLiteral("Язык интерфейса сменится при следующем запуске программы."));
    _ui.screenshot(QStringLiteral("ru-language-notice"));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));
    QCOMPARE(AppSettings::read(AppSettings::InterfaceLanguage).toInt(), int(InterfaceLanguage::English));
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("pageTitle"))), QStringLiteral("Настройки программы"));

    // Connect to fm200: the device list and the password dialog.
    const simulator::DeviceDefinition &fm200 = shippedDevice("fm200");
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuConnectButton")));
    QQuickItem *deviceRow = _ui.waitDeviceRow(fm200);
    QVERIFY(deviceRow);
    QCOMPARE(_ui.object(QStringLiteral("deviceListDialog"))->property("title").toString(),
        QStringLiteral("Выберите устройство"));
    _ui.screenshot(QStringLiteral("ru-device-list"));
    const int from = _ui.core.recorder->mark();
    _ui.click(deviceRow);
    QVERIFY(_ui.waitOpened(QStringLiteral("passwordDialog")));
    _ui.screenshot(QStringLiteral("ru-password"));
    _ui.type(_ui.item(QStringLiteral("passwordField")), QStringLiteral("4711"));
    QVERIFY(_ui.core.waitForChainEnd(from));
    QTRY_COMPARE(_ui.currentPage(), 0);
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("homeConnectButton"))), QStringLiteral("Отключить"));
    QVERIFY(_ui.text(_ui.item(QStringLiteral("slaveInfolabel"))).contains(QStringLiteral("Серийный №")));
    // The device's own message is shown as the device sent it.
    QVERIFY(_ui.waitOpened(QStringLiteral("errorDialog")));
    _ui.screenshot(QStringLiteral("ru-device-message"));
    QVERIFY(_ui.acknowledge(QStringLiteral("errorDialog")));

    // The device pages, each under its Russian title, the elements by their Russian names.
    QCOMPARE(_ui.text(_ui.item(QStringLiteral("pageTitle"))), QStringLiteral("Настройки"));
    for (const simulator::ProfileEntry &entry : fm200.startFirmware().profile) {
        if (entry.element.type == v_protocol::TSlaveProfile::Types::SlaveSetting)
            QCOMPARE(shownName(QStringLiteral("settingsPage"), QStringLiteral("settingsList"), entry.element.id),
                entry.element.nameRu);
    }
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    _ui.screenshot(QStringLiteral("ru-settings"));
    QVERIFY(_ui.clickName(QStringLiteral("settingsFileButton")));
    QVERIFY(_ui.waitItem(QStringLiteral("settingsLoadFromFile")));
    _ui.screenshot(QStringLiteral("ru-settings-file-menu"));
    QTest::keyClick(_ui.window, Qt::Key_Escape);

    menuPage(QStringLiteral("menuState"), 1, QStringLiteral("Состояние"));
    QCOMPARE(shownName(QStringLiteral("statePage"), QStringLiteral("stateList"), 206), QStringLiteral("Клапан"));
    _ui.screenshot(QStringLiteral("ru-state"));
    menuPage(QStringLiteral("menuCommands"), 2, QStringLiteral("Команды"));
    _ui.screenshot(QStringLiteral("ru-commands"));
    menuPage(QStringLiteral("menuPersonalization"), 3, QStringLiteral("Персонализация"));
    _ui.screenshot(QStringLiteral("ru-personalization"));
    menuPage(QStringLiteral("menuDebug"), 4, QStringLiteral("Отладка"));
    _ui.screenshot(QStringLiteral("ru-debug"));

    // The dialogs of a connected device.
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuDeviceFiles")));
    QVERIFY(_ui.waitOpened(QStringLiteral("deviceFilesDialog")));
    QVERIFY(_ui.waitItem(QStringLiteral("fileRow_17"), _ui.object(QStringLiteral("deviceFilesDialog")), false));
    _ui.screenshot(QStringLiteral("ru-device-files"));
    QVERIFY(_ui.clickName(QStringLiteral("deviceFilesCloseButton")));
    QVERIFY(_ui.waitOpened(QStringLiteral("deviceFilesDialog"), false));

    // A document compared with the device (as the file dialog hands it to the core).
    const QString document = _files.filePath(QStringLiteral("fm200.json"));
    _ui.core.core->saveConfigurationFile(document);
    QTRY_VERIFY(QFileInfo(document).size() > 0);
    _ui.core.withEngine(fm200, [](simulator::DeviceEngine &engine) {
        QVERIFY(engine.setValue(104, QByteArray::fromHex("5a00")));
    });
    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    _ui.core.core->loadConfigurationFile(document, VkInterfaceElement::SlaveSetting);
    QVERIFY(_ui.waitOpened(QStringLiteral("compareDialog")));
    QVERIFY(_ui.waitItem(QStringLiteral("compareRow_104")));
    _ui.screenshot(QStringLiteral("ru-compare"));
    QVERIFY(_ui.clickName(QStringLiteral("compareApply")));
    QTRY_COMPARE_WITH_TIMEOUT(
        _ui.text(_ui.item(QStringLiteral("compareStatus_104"))), QStringLiteral("записано"), kWaitMs);
    QVERIFY(_ui.clickName(QStringLiteral("compareClose")));
    QVERIFY(_ui.waitOpened(QStringLiteral("compareDialog"), false));

    QVERIFY(_ui.waitOpened(QStringLiteral("busyDialog"), false));
    QVERIFY(_ui.openPageFromMenu(QStringLiteral("menuHistory")));
    QVERIFY(_ui.waitOpened(QStringLiteral("historyDialog")));
    QTRY_COMPARE(_ui.text(_ui.waitExisting(QStringLiteral("historyChange_0"))), QStringLiteral("90 \u2192 60   (успешно)"));
    _ui.screenshot(QStringLiteral("ru-history"));
    QVERIFY(_ui.clickName(QStringLiteral("historyClose")));
    QVERIFY(_ui.waitOpened(QStringLiteral("historyDialog"), false));

    // The firmware dialogs: the file chooser of the debug page, the list of firmware files (the Android
    // build opens it from the debug page), and the question when a firmware file is handed over.
    QVERIFY(_ui.clickName(QStringLiteral("updateFirmwareButton")));
    QObject *chooser = _ui.object(QStringLiteral("firmwareFileDialog"));
    QVERIFY(chooser);
    QTRY_VERIFY(chooser->property("visible").toBool());
    QCOMPARE(chooser->property("title").toString(), QStringLiteral("Выберите файл"));
    _ui.screenshot(QStringLiteral("ru-firmware-file-chooser"));
    QVERIFY(QMetaObject::invokeMethod(chooser, "reject"));
    QTRY_VERIFY(!chooser->property("visible").toBool());
    QObject *firmwareList = _ui.page(QStringLiteral("debugPage"))->property("updateFirmwareDialog").value<QObject *>();
    QVERIFY(firmwareList);
    QVERIFY(QMetaObject::invokeMethod(firmwareList, "open"));
    QVERIFY(_ui.waitOpened(QStringLiteral("updateFirmwareDialog")));
    _ui.screenshot(QStringLiteral("ru-update-firmware"));
    QVERIFY(QMetaObject::invokeMethod(firmwareList, "close"));
    QVERIFY(_ui.waitOpened(QStringLiteral("updateFirmwareDialog"), false));
    QFile image(_files.filePath(QStringLiteral("vc1-3.1.bin")));
    QVERIFY(image.open(QIODevice::WriteOnly) && image.write("v") == 1);
    image.close();
    _ui.core.core->appCoreProcessFileWithFirmware(image.fileName());
    QVERIFY(_ui.waitOpened(QStringLiteral("firmwareConfirmDialog")));
    QVERIFY(_ui.text(_ui.item(QStringLiteral("firmwareQuestion"))).endsWith(QStringLiteral(". Начать обновление прошивки?")));
    _ui.screenshot(QStringLiteral("ru-firmware-question"));
    QVERIFY(_ui.clickName(QStringLiteral("firmwareConfirmDialogCancel")));
    QVERIFY(_ui.waitOpened(QStringLiteral("firmwareConfirmDialog"), false));

    // Every control is still named for a screen reader, and QML had nothing to complain about.
    QVERIFY2(_ui.unnamedControls().isEmpty(), qPrintable(_ui.unnamedControls().join(u'\n')));
    QVERIFY2(_ui.warnings.isEmpty(), qPrintable(_ui.warnings.join('\n')));
}

QTEST_MAIN(TestUiRussian)
#include "tst_ui_russian.moc"
