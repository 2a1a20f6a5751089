#include "configurator/tr_texts.h"

#include <QCoreApplication>

#include <array>

namespace configurator {

QString trText(device_manager::TrStrings index)
{
    static const std::array<const char *, 22> texts = {
        QT_TRANSLATE_NOOP("QObject", "Invalid connection"),
        QT_TRANSLATE_NOOP("QObject", "Device already exist"),
        QT_TRANSLATE_NOOP("QObject", "Internal error"),
        QT_TRANSLATE_NOOP("QObject", "Invalid device info"),
        QT_TRANSLATE_NOOP("QObject", "Invalid interface info"),
        QT_TRANSLATE_NOOP("QObject", "No connection to device"),
        QT_TRANSLATE_NOOP("QObject", "Invalid device task"),
        QT_TRANSLATE_NOOP("QObject", "Transferring file..."),
        QT_TRANSLATE_NOOP("QObject", "Reading file..."),
        QT_TRANSLATE_NOOP("QObject", "BLE connection error"),
        QT_TRANSLATE_NOOP("QObject", "The Bluetooth adaptor is powered off, power it on before doing discovery"),
        QT_TRANSLATE_NOOP("QObject", "Invalid Bluetooth discovery"),
        QT_TRANSLATE_NOOP("QObject", "Invalid Bluetooth device discovery info"),
        QT_TRANSLATE_NOOP("QObject", "Warning"),
        QT_TRANSLATE_NOOP("QObject", "NFC not enabled"),
        QT_TRANSLATE_NOOP("QObject", "Interface already exist"),
        QT_TRANSLATE_NOOP("QObject", "Invalid serial port configuration"),
        QT_TRANSLATE_NOOP("QObject", "Device is not supported"),
        QT_TRANSLATE_NOOP("QObject", "Error scanning services"),
        QT_TRANSLATE_NOOP("QObject", "COM connection error"),
        QT_TRANSLATE_NOOP("QObject", "Unable to find interface"),
        QT_TRANSLATE_NOOP("QObject", "Unable to open interface"),
    };
    const qint32 i = qint32(index);
    if (i < 0 || i >= qint32(texts.size()))
        return QCoreApplication::translate("QObject", "Unknown");
    return QCoreApplication::translate("QObject", texts[size_t(i)]);
}

} // namespace configurator
