#pragma once

#include <QMetaEnum>
#include <QObject>
#include <QString>

// Enumerations of the device wire protocol and their name texts.
namespace v_protocol {
Q_NAMESPACE

// Bytes of framing around a payload: 12 head bytes and the 2-byte CRC.
constexpr int kPacketFramingSize = 14;
// Bytes of a file chunk payload in front of its data.
constexpr int kChunkHeaderSize = 12;
// Packet size minus this is the largest amount of file data one chunk packet carries.
constexpr int kChunkPacketOverhead = kPacketFramingSize + kChunkHeaderSize;

// The packet size of an authenticated link: the device's size, unless the interface knows a
// smaller one (an interface size of 0 or less means it knows none).
constexpr int negotiatedPacketSize(int interfacePacketSize, int devicePacketSize)
{
    return (interfacePacketSize <= 0 || interfacePacketSize >= devicePacketSize) ? devicePacketSize
                                                                                 : interfacePacketSize;
}
// Master identifier the configurator puts into every request.
constexpr quint8 kMasterUid = 0x42;

enum class TPacketType : quint8 {
    Request = 1,
    Response = 2,
};
Q_ENUM_NS(TPacketType)

// First byte of every payload; fixes the layout of the rest.
enum class TPayloadType : quint8 {
    SlavePresenceBroadcast = 0,
    AuthenticationRequest = 1,
    AuthenticationResponse = 2,
    FileChunk = 3,
    FileChunkRequest = 4,
    FileChunkAccept = 5,
    CommandRequest = 6,
    CommandConfirmation = 7,
    DebugRequest = 8,
    DebugResponse = 9,
    Lockout = 10,
    FileNameRequest = 11,
    FileNameResponse = 12,
    FileClearRequest = 13,
    FileClearResponse = 14,
    NoData = 255,
};
Q_ENUM_NS(TPayloadType)

// Which firmware of the device answered.
enum class TAppType : quint8 {
    Bootloader = 0,
    Application = 1,
    Dravik = 2,
    BootloaderV2 = 3,
};
Q_ENUM_NS(TAppType)

enum class TAuthResult : quint8 {
    SuccessRoot = 0,
    SuccessUser = 1,
    Denied = 2,
    TooMany = 3,
    Error = 4,
    Busy = 5,
    Disconnected = 255,
};
Q_ENUM_NS(TAuthResult)

enum class TCommandResult : quint8 {
    Success = 0,
    Error = 1,
    Unknown = 2,
};
Q_ENUM_NS(TCommandResult)

// Status of a file operation as the device reports it (chunk accept).
enum class TSystemFileResult : quint8 {
    FileResultSuccess = 0,
    UnknownFileIdentifier = 1,
    FileSizeTooBig = 2,
    FileResultOutOfMemory = 3,
    FileResultMemError = 4,
    FileResultCrcError = 5,
    FileResultOperationNotAllowed = 6,
    FileResultUnknownError = 7,
};
Q_ENUM_NS(TSystemFileResult)

// File ids with a fixed meaning; every other id is a raw file.
enum class TMandatoryFileTypes : quint8 {
    ApplicationInfoFile = 0,
    PersonalizationFile = 1,
    SettingsFile = 2,
    StateFile = 3,
    SlaveProfile = 4,
    InterfaceDefinitionFile = 5,
    ApplicationFile = 6,
    DoNotTouchThis7 = 7,
    FileInfo = 8,
    BootloaderFile = 254,
};
Q_ENUM_NS(TMandatoryFileTypes)

// Only these two results grant access to the device.
inline bool isAccessGranted(TAuthResult result)
{
    return result == TAuthResult::SuccessRoot || result == TAuthResult::SuccessUser;
}

// "<scope>::<Enumeration>::<Value>" for a value of a registered enumeration, an empty text for a
// value without a name. `prefix` goes in front of the scope ("::" for the enumerations of classes).
template<typename E> QString enumNameText(E value, const char *prefix = "")
{
    const QMetaEnum meta = QMetaEnum::fromType<E>();
    const char *key = meta.valueToKey(int(value));
    if (!key)
        return QString();
    return QLatin1String(prefix) + QLatin1String(meta.scope()) + QLatin1String("::") + QLatin1String(meta.enumName())
        + QLatin1String("::") + QLatin1String(key);
}

// Name texts: "v_protocol::TPayloadType::FileChunk" and so on; empty for values without a name.
inline QString toText(TPacketType value)
{
    return enumNameText(value);
}
inline QString toText(TPayloadType value)
{
    return enumNameText(value);
}
inline QString toText(TAppType value)
{
    return enumNameText(value);
}
inline QString toText(TAuthResult value)
{
    return enumNameText(value);
}
inline QString toText(TCommandResult value)
{
    return enumNameText(value);
}
inline QString toText(TSystemFileResult value)
{
    return enumNameText(value);
}
inline QString toText(TMandatoryFileTypes value)
{
    return enumNameText(value);
}

} // namespace v_protocol
