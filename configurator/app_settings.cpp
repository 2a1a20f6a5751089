#include "configurator/app_settings.h"

#include "configurator/vk_interface_element.h"
#include "settings/encrypted_settings.h"

#include <QCoreApplication>
#include <QDebug>
#include <QObject>

#include <limits>

namespace configurator {

namespace {

using Element = v_protocol::TSlaveProfile::Element;
using DataTypes = v_protocol::TSlaveProfile::DataTypes;

// The entries of the interface language setting: "System" in the interface language, each language
// by its own name.
const char *const kTranslationContext = "configurator::AppSettings";
const char *const kLanguageEntries[] = { QT_TRANSLATE_NOOP("configurator::AppSettings", "System"), "English",
    "Русский" };

AppSettings::Row row(quint16 id, const char *nameEn, const char *nameRu, DataTypes dataType, quint16 dataSize,
    const QVariant &defaultValue, qint32 max = 0, const QStringList &enumValues = {})
{
    Element element;
    element.id = id;
    element.type = v_protocol::TSlaveProfile::Types::AppSettings;
    element.editable = v_protocol::TSlaveProfile::Editables::Editable;
    element.nameEn = QString::fromUtf8(nameEn);
    element.nameRu = QString::fromUtf8(nameRu);
    element.parentId = 0;
    element.dataType = dataType;
    element.dataSize = dataSize;
    element.multiplier = 1;
    element.min = 0;
    element.max = max;
    element.enumValues = enumValues;
    element.enumRep = v_protocol::TSlaveProfile::EnumReps::Dropbox;
    return { element, defaultValue };
}

} // namespace

const QList<AppSettings::Row> &AppSettings::rows()
{
    static const QList<Row> table = {
        row(Autoconnect, "Autoconnect to device", "Автоматическое подключение к устройству", DataTypes::TBinary, 1,
            int(0)),
        row(DefaultPassword, "Device default password", "Пароль устройства по умолчанию", DataTypes::TString, 5,
            QStringLiteral("7391")),
        row(DebugTimestamp, "Add timestamp to debug", "Добавлять время к сообщениям отладки", DataTypes::TBinary, 1,
            int(0)),
        row(BootloaderConnectionTimeout, "Bootloader connection timeout (seconds)",
            "Задержка подключения к Bootloader (секунды)", DataTypes::TUinteger, 4, int(7), 30),
        row(FirmwareUpdateServer, "Firmware Update Server", "Адрес сервера обновления прошивок", DataTypes::TString,
            200, QStringLiteral("server_address")),
        row(StartUpdateAfterReceive, "Start firmware update after file received",
            "Запуск обновления прошивки после приема файла", DataTypes::TBinary, 1, int(1)),
        row(InterfaceLanguage, "Interface language", "Язык интерфейса", DataTypes::TEnum, 1, int(0), 0,
            { QString::fromUtf8(kLanguageEntries[0]), QString::fromUtf8(kLanguageEntries[1]),
                QString::fromUtf8(kLanguageEntries[2]) }),
        row(ConsoleLines, "Console lines", "Строк в консоли", DataTypes::TUinteger, 4, int(100000), 10000000),
    };
    return table;
}

QString AppSettings::key(int id)
{
    return QStringLiteral("setting/app%1").arg(id);
}

QVariant AppSettings::defaultValue(int id)
{
    if (id >= 0 && id < rows().size())
        return rows().at(id).defaultValue;
    if (id == 16)
        qWarning() << "Unexpected AppSettingElement id:" << id;
    return QVariant();
}

QVariant AppSettings::read(int id)
{
    const EncryptedSettings *settings = EncryptedSettings::instance();
    if (!settings) {
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        return defaultValue(id);
    }
    return settings->value(key(id), defaultValue(id));
}

ReturnCode AppSettings::store(const VkInterfaceElement *element)
{
    if (!element)
        return ReturnCode::ErrArgumentPointerIsNull;
    EncryptedSettings *settings = EncryptedSettings::instance();
    if (!settings)
        return ReturnCode::ErrInvalidHandler;
    return settings->setValue(key(element->id()), element->data());
}

QList<VkInterfaceElement *> AppSettings::createElements(QObject *parent)
{
    QList<VkInterfaceElement *> elements;
    if (!EncryptedSettings::instance()) {
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        return elements;
    }
    for (const Row &setting : rows()) {
        Element element = setting.element;
        for (QString &entry : element.enumValues)
            entry = QCoreApplication::translate(kTranslationContext, entry.toUtf8().constData());
        auto *created = new VkInterfaceElement(element, parent);
        created->setData(read(element.id));
        elements.append(created);
    }
    return elements;
}

bool AppSettings::autoconnect()
{
    return read(Autoconnect).toInt() > 0;
}

QString AppSettings::defaultPassword()
{
    return read(DefaultPassword).toString().remove(QChar(u'\0'));
}

bool AppSettings::debugTimestamp()
{
    return read(DebugTimestamp).toInt() > 0;
}

int AppSettings::bootloaderConnectionDelayMs()
{
    const qint64 seconds = read(BootloaderConnectionTimeout).toLongLong();
    return seconds > 0 ? int(qMin<qint64>(seconds * 1000, std::numeric_limits<int>::max())) : 10;
}

bool AppSettings::startUpdateAfterReceive()
{
    return read(StartUpdateAfterReceive).toInt() > 0;
}

int AppSettings::consoleLines()
{
    const qint64 lines = read(ConsoleLines).toLongLong();
    return int(qBound(qint64(kMinConsoleLines), lines, qint64(std::numeric_limits<int>::max())));
}

namespace {
const QString kLastConnectedSerialKey = QStringLiteral("setting/lastConnectedSerial");
}

QString AppSettings::lastConnectedSerial()
{
    EncryptedSettings *settings = EncryptedSettings::instance();
    return settings ? settings->value(kLastConnectedSerialKey).toString() : QString();
}

void AppSettings::storeLastConnectedSerial(const QString &serial)
{
    EncryptedSettings *settings = EncryptedSettings::instance();
    if (!settings) {
        return_codes::logBadResult(ReturnCode::ErrInvalidHandler);
        return;
    }
    return_codes::logIfError(settings->setValue(kLastConnectedSerialKey, serial));
}

} // namespace configurator
