// The application settings against the real encrypted store in a temporary folder.
#include "configurator/app_settings.h"
#include "configurator/interface_language.h"
#include "configurator/vk_interface_element.h"
#include "settings/encrypted_settings.h"
#include "testing/log_capture.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using configurator::AppSettings;
using configurator::InterfaceLanguage;

namespace {
constexpr quint64 kKey = 0x3D8E51A7C42B96F0ull;
}

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { EncryptedSettings::destroyInstance(); }
    void freshEditRestart();
    void readers_data();
    void readers();
    void defaultsById();
    void withoutStore();
    void interfaceLanguage_data();
    void interfaceLanguage();

private:
    QTemporaryDir _dir;
    QString file() const { return _dir.filePath(QStringLiteral("appSettings.cfg")); }
};

void TestAppSettings::freshEditRestart()
{
    QVERIFY(EncryptedSettings::createInstance(file(), kKey));
    QObject core;
    QList<VkInterfaceElement *> elements = AppSettings::createElements(&core);
    QCOMPARE(elements.size(), 8);
    const QVariantList fresh = { 0, QStringLiteral("7391"), 0, 7u, QStringLiteral("server_address"), 1, 0, 100000u };
    for (int i = 0; i < elements.size(); ++i) {
        const VkInterfaceElement *element = elements.at(i);
        QCOMPARE(element->id(), i);
        QCOMPARE(element->type(), VkInterfaceElement::AppSettings);
        QCOMPARE(element->editable(), VkInterfaceElement::Editable);
        QCOMPARE(element->data(), fresh.at(i));
        QCOMPARE(element->parent(), &core);
    }
    // Each has its Russian name for a Russian interface.
    QCOMPARE(elements[0]->nameEn(), QStringLiteral("Autoconnect to device"));
    QCOMPARE(elements[0]->nameRu(), QStringLiteral("Автоматическое подключение к устройству"));
    QCOMPARE(elements[6]->nameEn(), QStringLiteral("Interface language"));
    QCOMPARE(elements[6]->nameRu(), QStringLiteral("Язык интерфейса"));
    QCOMPARE(elements[6]->enumValues(), QStringList({ "System", "English", "Русский" }));
    QCOMPARE(elements[1]->value(), QByteArray("7391\0", 5));
    QCOMPARE(elements[3]->max(), 30);

    // Edits reach the store at once, under their keys.
    for (VkInterfaceElement *element : elements)
        QObject::connect(element, &VkInterfaceElement::changedData, element,
            [element]() { QCOMPARE(AppSettings::store(element), ReturnCode::Ok); });
    elements[3]->setData(12);
    elements[1]->setData(QStringLiteral("1234"));
    elements[0]->setData(true);
    elements[6]->setData(int(InterfaceLanguage::Russian));
    QCOMPARE(EncryptedSettings::instance()->value(QStringLiteral("setting/app3")).toInt(), 12);
    QCOMPARE(EncryptedSettings::instance()->value(QStringLiteral("setting/app1")).toString(), QStringLiteral("1234"));

    // A restart reads the file again.
    EncryptedSettings::destroyInstance();
    QVERIFY(EncryptedSettings::createInstance(file(), kKey));
    QObject restarted;
    elements = AppSettings::createElements(&restarted);
    QCOMPARE(elements[0]->data(), QVariant(1));
    QCOMPARE(elements[1]->data(), QVariant(QStringLiteral("1234")));
    QCOMPARE(elements[3]->data(), QVariant(12u));
    QCOMPARE(elements[5]->data(), QVariant(1));
    QCOMPARE(elements[6]->data(), QVariant(int(InterfaceLanguage::Russian)));
    QVERIFY(InterfaceLanguage::russianFor(AppSettings::read(AppSettings::InterfaceLanguage).toInt(), QLocale::c()));
    QVERIFY(AppSettings::autoconnect());
    QCOMPARE(AppSettings::bootloaderConnectionDelayMs(), 12000);
    QFile::remove(file());
}

void TestAppSettings::readers_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("expected");
    QTest::newRow("password NULs removed") << int(AppSettings::DefaultPassword)
                                           << QVariant(QString::fromUtf8("12\0"
                                                                         "34",
                                                  5))
                                           << QVariant("1234");
    QTest::newRow("delay 0 waits 10 ms") << int(AppSettings::BootloaderConnectionTimeout) << QVariant(0)
                                         << QVariant(10);
    QTest::newRow("delay negative") << int(AppSettings::BootloaderConnectionTimeout) << QVariant(-3) << QVariant(10);
    QTest::newRow("delay 7") << int(AppSettings::BootloaderConnectionTimeout) << QVariant(7) << QVariant(7000);
    QTest::newRow("delay huge") << int(AppSettings::BootloaderConnectionTimeout) << QVariant(4000000000u)
                                << QVariant(std::numeric_limits<int>::max());
    QTest::newRow("timestamp on") << int(AppSettings::DebugTimestamp) << QVariant(1) << QVariant(true);
    QTest::newRow("start after receive off")
        << int(AppSettings::StartUpdateAfterReceive) << QVariant(0) << QVariant(false);
    QTest::newRow("console lines") << int(AppSettings::ConsoleLines) << QVariant(5000u) << QVariant(5000);
    QTest::newRow("console lines at least 100") << int(AppSettings::ConsoleLines) << QVariant(3u) << QVariant(100);
}

void TestAppSettings::readers()
{
    QFETCH(int, id);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, expected);
    QVERIFY(EncryptedSettings::createInstance(file(), kKey));
    QCOMPARE(EncryptedSettings::instance()->setValue(AppSettings::key(id), stored), ReturnCode::Ok);
    QVariant actual;
    switch (id) {
    case AppSettings::DefaultPassword: actual = AppSettings::defaultPassword(); break;
    case AppSettings::BootloaderConnectionTimeout: actual = AppSettings::bootloaderConnectionDelayMs(); break;
    case AppSettings::DebugTimestamp: actual = AppSettings::debugTimestamp(); break;
    case AppSettings::ConsoleLines: actual = AppSettings::consoleLines(); break;
    default: actual = AppSettings::startUpdateAfterReceive();
    }
    QCOMPARE(actual, expected);
    QFile::remove(file());
}

void TestAppSettings::defaultsById()
{
    QCOMPARE(AppSettings::key(4), QStringLiteral("setting/app4"));
    QCOMPARE(AppSettings::defaultValue(4), QVariant(QStringLiteral("server_address")));
    vk_testing::LogCapture log;
    QCOMPARE(AppSettings::defaultValue(AppSettings::InterfaceLanguage), QVariant(int(InterfaceLanguage::System)));
    QCOMPARE(AppSettings::defaultValue(AppSettings::ConsoleLines), QVariant(100000));
    for (int id : { 8, 15, 16, 17, -1 })
        QVERIFY2(!AppSettings::defaultValue(id).isValid(), qPrintable(QString::number(id)));
    QCOMPARE(log.count(QStringLiteral("Unexpected AppSettingElement id: 16")), 1);
    QCOMPARE(log.count(QStringLiteral("Unexpected AppSettingElement id:")), 1);
}

void TestAppSettings::withoutStore()
{
    vk_testing::LogCapture log;
    QObject core;
    QVERIFY(AppSettings::createElements(&core).isEmpty());
    QCOMPARE(AppSettings::read(AppSettings::DefaultPassword), QVariant(QStringLiteral("7391")));
    QVERIFY(!AppSettings::autoconnect()); // the password dialog asks
    QVERIFY(!AppSettings::debugTimestamp());
    QVERIFY(log.contains(QStringLiteral("Bad result:")));
    VkInterfaceElement element(AppSettings::rows().at(0).element);
    QCOMPARE(AppSettings::store(&element), ReturnCode::ErrInvalidHandler);
    QCOMPARE(AppSettings::store(nullptr), ReturnCode::ErrArgumentPointerIsNull);
}

void TestAppSettings::interfaceLanguage_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("system");
    QTest::addColumn<bool>("russian");
    QTest::newRow("system, Russian") << int(InterfaceLanguage::System) << "ru_RU" << true;
    QTest::newRow("system, Russian in Ukraine") << int(InterfaceLanguage::System) << "ru_UA" << true;
    QTest::newRow("system, German") << int(InterfaceLanguage::System) << "de_DE" << false;
    QTest::newRow("system, C") << int(InterfaceLanguage::System) << "C" << false;
    QTest::newRow("English on a Russian system") << int(InterfaceLanguage::English) << "ru_RU" << false;
    QTest::newRow("Russian on an English system") << int(InterfaceLanguage::Russian) << "en_US" << true;
    QTest::newRow("unknown entry, as system") << 7 << "ru_RU" << true;
}

void TestAppSettings::interfaceLanguage()
{
    QFETCH(int, choice);
    QFETCH(QString, system);
    QFETCH(bool, russian);
    QCOMPARE(InterfaceLanguage::russianFor(choice, QLocale(system)), russian);
    // This test's program has no catalogue built in: asked for Russian, it stays English.
    vk_testing::LogCapture log;
    QTranslator translator;
    QVERIFY(!InterfaceLanguage::install(translator, choice));
    QVERIFY(!InterfaceLanguage::isRussian());
    QCOMPARE(log.contains(QStringLiteral("The Russian catalogue cannot be loaded")), InterfaceLanguage::russianFor(choice));
}

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_app_settings.moc"
