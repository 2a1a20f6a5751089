#include "device_manager/session/tests/session_recorder.h"

#include "device_manager/session/vk_device.h"

namespace session_testing {

using device_manager::DeviceEntry;
using device_manager::VkDevice;

SessionRecorder::SessionRecorder(VkDevice *session, QObject *parent) : QObject(parent)
{
    connect(session, &VkDevice::authSuccess, this, [this](DeviceEntry, v_protocol::TAuthResponse response) {
        add(QStringLiteral("authSuccess"), true, -1, QVariant::fromValue(response));
    });
    connect(session, &VkDevice::authFailed, this, [this](DeviceEntry, v_protocol::TAuthResponse response) {
        add(QStringLiteral("authFailed"), false, -1, QVariant::fromValue(response));
    });
    connect(session, &VkDevice::applicationInfoFileReceived, this,
        [this](DeviceEntry, v_protocol::TApplicationInfoFile file, bool isValid) {
            add(QStringLiteral("applicationInfoFileReceived"), isValid, -1, QVariant::fromValue(file));
        });
    connect(session, &VkDevice::slaveProfileReceived, this,
        [this](DeviceEntry, v_protocol::TSlaveProfile file, bool isValid) {
            add(QStringLiteral("slaveProfileReceived"), isValid, -1, QVariant::fromValue(file));
        });
    connect(session, &VkDevice::fileWithDataElementsReceived, this,
        [this](DeviceEntry, v_protocol::TFileWithDataElements file, bool isValid) {
            add(QStringLiteral("fileWithDataElementsReceived"), isValid, file.fileId, QVariant::fromValue(file));
        });
    connect(session, &VkDevice::fileWithDataElementsTransmitted, this,
        [this](DeviceEntry, v_protocol::TMandatoryFileTypes fileType, bool isValid) {
            add(QStringLiteral("fileWithDataElementsTransmitted"), isValid, int(fileType), QVariant());
        });
    connect(session, &VkDevice::rawFileTransmitted, this, [this](DeviceEntry, uint8_t fileId, bool isValid) {
        add(QStringLiteral("rawFileTransmitted"), isValid, fileId, QVariant());
    });
    connect(
        session, &VkDevice::fileTableReceived, this, [this](DeviceEntry, v_protocol::TFileTable file, bool isValid) {
            add(QStringLiteral("fileTableReceived"), isValid, -1, QVariant::fromValue(file));
        });
    connect(session, &VkDevice::fileNameReceived, this,
        [this](DeviceEntry, v_protocol::TFileNameResponse name, bool isValid) {
            add(QStringLiteral("fileNameReceived"), isValid, name.fileId, QVariant::fromValue(name));
        });
    connect(
        session, &VkDevice::rawFileReceived, this, [this](DeviceEntry, uint8_t fileId, QByteArray file, bool isValid) {
            add(QStringLiteral("rawFileReceived"), isValid, fileId, file);
        });
    connect(session, &VkDevice::fileClearDone, this, [this](DeviceEntry, uint8_t fileId, bool isValid) {
        add(QStringLiteral("fileClearDone"), isValid, fileId, QVariant());
    });
    connect(session, &VkDevice::debugResponseReceived, this,
        [this](DeviceEntry, v_protocol::TDebugResponse response, bool isValid) {
            add(QStringLiteral("debugResponseReceived"), isValid, -1, QVariant::fromValue(response));
        });
    connect(session, &VkDevice::commandConfirmReceived, this,
        [this](DeviceEntry, v_protocol::TCommandConfirm confirm, bool isValid) {
            add(QStringLiteral("commandConfirmReceived"), isValid, -1, QVariant::fromValue(confirm));
        });
    connect(session, &VkDevice::debugHappend, this, [this](QString title, QString text) {
        _notes.append({ title, text });
    });
    connect(session, &VkDevice::errorHappend, this,
        [this](device_manager::TrStrings title, device_manager::TrStrings text) {
            _errors.append({ title, text });
        });
    connect(session, &VkDevice::routineProgressUpdated, this,
        [this](DeviceEntry, device_manager::TrStrings title, int percentage) {
            _progress.append({ title, percentage });
        });
}

QList<SessionResult> SessionRecorder::results(const QString &signal) const
{
    QList<SessionResult> matching;
    for (const SessionResult &result : _results) {
        if (result.signal == signal)
            matching.append(result);
    }
    return matching;
}

bool SessionRecorder::hasNote(const QString &title, const QString &text) const
{
    for (const SessionNote &note : _notes) {
        if (note.title == title && note.text == text)
            return true;
    }
    return false;
}

void SessionRecorder::clear()
{
    _results.clear();
    _notes.clear();
    _errors.clear();
    _progress.clear();
}

void SessionRecorder::add(const QString &signal, bool isValid, int fileId, const QVariant &value)
{
    _results.append({ signal, isValid, fileId, value });
}

} // namespace session_testing
