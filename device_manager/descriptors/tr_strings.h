#pragma once

#include <QMetaType>
#include <QtGlobal>

namespace device_manager {

// Index of a user-visible, translatable text. The device-side modules report errors and progress by
// index; the application core holds the texts. Any value may travel (the core shows "Unknown" for
// an index it has no text for); a negative value means no index.
enum class TrStrings : qint32 {
    NoIndex = -1,
    InvalidConnection = 0,
    DeviceAlreadyExist = 1,
    InternalError = 2,
    InvalidDeviceInfo = 3,
    InvalidInterfaceInfo = 4,
    NoConnectionToDevice = 5,
    InvalidDeviceTask = 6,
    TransferringFile = 7,
    ReadingFile = 8,
    BleConnectionError = 9,
    BluetoothPoweredOff = 10,
    InvalidBluetoothDiscovery = 11,
    InvalidBluetoothDeviceDiscoveryInfo = 12,
    Warning = 13,
    NfcNotEnabled = 14,
    InterfaceAlreadyExist = 15,
    InvalidSerialPortConfiguration = 16,
    DeviceIsNotSupported = 17,
    ErrorScanningServices = 18,
    ComConnectionError = 19,
    UnableToFindInterface = 20,
    UnableToOpenInterface = 21,
};

constexpr bool hasIndex(TrStrings index)
{
    return qint32(index) >= 0;
}

} // namespace device_manager

Q_DECLARE_METATYPE(device_manager::TrStrings)
