#pragma once

#include "simulator/debug_output.h"
#include "simulator/device_definition.h"
#include "simulator/device_file_system.h"
#include "simulator/engine_counters.h"
#include "simulator/failure_injection.h"
#include "simulator/link_model.h"
#include "simulator/reply_item.h"
#include "v_protocol/t_auth_response.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_command_request.h"
#include "v_protocol/t_packet.h"

#include <QByteArray>
#include <QHash>
#include <QList>

namespace simulator {

// The device side of the wire protocol for one simulated device. Synchronous and free of timers
// and threads: hand it the bytes of one packet from the master, get back what the device does
// (packets with the delay after which each is due, or a dropped link); whoever carries the bytes
// applies the delays. Everything that happens to the device (authentication, written settings,
// a restart into the bootloader, a new firmware) lives in the engine; the definition stays as read.
//
// The device answers requests addressed to its serial number. Answers echo the request's uid and
// masterUid. Until a password is accepted on the current link, requests are refused: file
// operations with a TChunkAccept (FileResultOperationNotAllowed), commands with the result Error,
// debug requests with empty debug data. Malformed packets, responses and packets for other serial
// numbers get no answer.
class DeviceEngine
{
public:
    static constexpr quint16 kTimeSynchronizationCommand = 1177; // 4 data bytes: seconds since 1970
    static constexpr quint16 kRestartIntoBootloaderCommand = 1025;
    static constexpr quint16 kApplySettingsCommand = 1029; // sent after settings were saved

    explicit DeviceEngine(const DeviceDefinition &definition);

    const DeviceDefinition &definition() const { return _definition; }

    // One packet from the master (the bytes of one GATT write) in, the device's reaction out.
    ReplyItems handleBytes(const QByteArray &bytes);
    // A presence broadcast packet (payload: type byte 0 and the advertisement's manufacturer data).
    QByteArray presenceBroadcast();

    // A new link (the previous one, if any, is gone): no master is authenticated on it.
    void connectLink();
    // The link is gone; bytes handed in are ignored until connectLink().
    void dropLink();
    bool isLinkUp() const { return _linkUp; }
    // Switches the device off and on: the link drops, failed passwords are forgotten, the device
    // starts its application (its bootloader while it has no valid application).
    void powerCycle();

    // The firmware running now and what it reports.
    const FirmwareDefinition &runningFirmware() const;
    v_protocol::TAppType appType() const { return runningFirmware().appType; }
    bool isInBootloader() const { return _inBootloader; }
    v_protocol::TFirmwareVersion firmwareVersion() const;
    bool hasValidApplication() const { return _applicationValid; }
    // The image (without its CRC) the bootloader installed last; empty before the first upload.
    QByteArray installedImage() const { return _installedImage; }
    SimulatedAdvertisement advertisement() const;
    AccessLevel accessLevel() const { return _access; }
    int failedAuthentications() const { return _failedAuthentications; }
    // Largest packet the device sends: its announced packet size, bounded by what the link carries.
    int answerPacketSize() const;
    // The image a read of `fileId` would return now (empty for an unknown file).
    QByteArray fileImage(quint8 fileId) const;
    QByteArray value(quint16 elementId) const;
    // Changes a value as the device itself (or another master) would; false for an unknown element.
    bool setValue(quint16 elementId, const QByteArray &value);

    // Failure injection; setting a failure starts its count of matching requests afresh.
    void setFailure(const FailureInjection &failure);
    const FailureInjection &failure() const { return _failure; }
    void clearFailure() { setFailure(FailureInjection()); }

    // With link timing on, answers are due when the link model would carry them; off (the default),
    // every answer is due at once (failure delays apply in both cases).
    void setLinkModel(const LinkModel &link) { _link = link; }
    const LinkModel &linkModel() const { return _link; }
    void setLinkTimingEnabled(bool enabled) { _linkTiming = enabled; }
    bool isLinkTimingEnabled() const { return _linkTiming; }

    const EngineCounters &counters() const { return _counters; }
    void resetCounters() { _counters = EngineCounters(); }

private:
    struct Write
    {
        bool active = false;
        quint8 fileId = 0;
        quint32 fileSize = 0;
        QByteArray data;
    };

    DeviceFileSystem &files();
    const DeviceFileSystem &files() const;
    QList<QByteArray> answer(const v_protocol::TPacket &request);
    QList<QByteArray> refusal(const v_protocol::TPacket &request) const;
    bool replaceAnswer(const v_protocol::TPacket &request, QList<QByteArray> &payloads);
    ReplyItems toItems(const QList<v_protocol::TPacket> &packets, bool hit);
    qint64 delayOf(int index, bool hit) const;

    QByteArray answerAuthentication(const v_protocol::TPacket &request);
    QList<QByteArray> answerChunkRequest(const v_protocol::TPacket &request);
    QByteArray answerWrittenChunk(const v_protocol::TPacket &request);
    QByteArray answerCommand(const v_protocol::TPacket &request);
    QByteArray answerDebug();
    QByteArray answerFileName(const v_protocol::TPacket &request);
    QByteArray answerFileClear(const v_protocol::TPacket &request);

    v_protocol::TSystemFileResult checkWriteStart(const v_protocol::TChunk &chunk) const;
    v_protocol::TSystemFileResult commitWrite(quint8 fileId, const QByteArray &data);
    v_protocol::TSystemFileResult installImage(quint8 fileId, const QByteArray &upload);
    v_protocol::TCommandResult runCommand(const v_protocol::TCommandRequest &command);
    void restartInto(bool bootloader);
    void endSession();
    v_protocol::TAuthResponse authResponse(v_protocol::TAuthResult result) const;
    QString logPrefix() const;

    DeviceDefinition _definition;
    DeviceFileSystem _applicationFiles;
    DeviceFileSystem _bootloaderFiles;
    bool _inBootloader = false;
    bool _applicationValid = true;
    QByteArray _installedImage;
    bool _linkUp = true;
    AccessLevel _access = AccessLevel::None;
    int _failedAuthentications = 0;
    Write _write;
    QHash<quint8, QByteArray> _readSnapshots; // image of each file as its current read began
    DebugOutput _debug;
    FailureInjection _failure;
    int _failureMatches = 0;
    LinkModel _link;
    bool _linkTiming = false;
    EngineCounters _counters;
    quint32 _broadcasts = 0;
};

} // namespace simulator
