#pragma once

// Shared by the simulator test suites: the shipped devices and short ways to talk to an engine.

#include "simulator/device_catalog.h"
#include "simulator/device_engine.h"
#include "simulator/protocol_master.h"
#include "testing/device_fixtures.h"
#include "v_protocol/requests.h"
#include "v_protocol/t_auth_request.h"

#include <QtTest>

namespace sim_test {

inline const simulator::DeviceCatalog &shipped()
{
    return vk_testing::shippedDevices();
}

inline simulator::DeviceDefinition device(const QString &id)
{
    return vk_testing::shippedDevice(id);
}

inline QStringList deviceIds()
{
    QStringList ids;
    for (const simulator::DeviceDefinition &definition : shipped().definitions())
        ids << definition.id;
    return ids;
}

// A request packet's bytes for the engine's device.
inline QByteArray request(const simulator::DeviceEngine &engine, const QByteArray &payload, quint32 uid = 7)
{
    return v_protocol::TPacket::makeRequest(payload, uid, engine.definition().serial, v_protocol::kMasterUid)
        .toByteArray();
}

// Packets of the reply items (link drops left out); fails the test on an unparsable packet.
inline QList<v_protocol::TPacket> packetsOf(const simulator::ReplyItems &items)
{
    QList<v_protocol::TPacket> packets;
    for (const simulator::ReplyItem &item : items) {
        if (!item.isPacket())
            continue;
        v_protocol::TPacket packet;
        if (v_protocol::TPacket::fromByteArray(item.bytes, packet) != ReturnCode::Ok)
            qWarning("unparsable answer %s", item.bytes.toHex().constData());
        packets.append(packet);
    }
    return packets;
}

// Authenticates with the root (or user) password; fails the calling test when refused.
inline bool logIn(simulator::ProtocolMaster &master, const simulator::DeviceDefinition &definition, bool root = true)
{
    v_protocol::TAuthResponse response;
    const ReturnCode rc = master.authenticate(root ? definition.rootPassword : definition.userPassword, response);
    return rc == ReturnCode::Ok && response.isGranted();
}

// Payloads of one of each request type the device answers, with the files and commands of `engine`.
struct RequestCase
{
    const char *name;
    QByteArray payload;
};

inline QList<RequestCase> requestCases(const simulator::DeviceEngine &engine)
{
    v_protocol::TChunkRequest read
        = v_protocol::TFileTransfer::openingRequest(quint8(v_protocol::TMandatoryFileTypes::ApplicationInfoFile));
    v_protocol::TChunk write;
    write.fileId = quint8(v_protocol::TMandatoryFileTypes::SettingsFile);
    write.data = engine.fileImage(write.fileId);
    write.fileSize = quint32(write.data.size());
    write.dataSize = quint16(write.data.size());
    v_protocol::TCommandRequest command;
    command.cmdId = simulator::DeviceEngine::kApplySettingsCommand;
    // The last file of the table for its name, the first one that may be cleared for clearing.
    quint8 named = 0;
    quint8 cleared = 0;
    for (const simulator::FileDefinition &file : engine.runningFirmware().files) {
        if (!file.listed)
            continue;
        named = file.fileId;
        if (cleared == 0 && file.clear != v_protocol::TFileTable::Permission::Hidden)
            cleared = file.fileId;
    }
    return {
        { "AuthenticationRequest",
            v_protocol::TAuthRequest::fromPassword(engine.definition().rootPassword).toPayload() },
        { "FileChunkRequest", read.toPayload() },
        { "FileChunk", write.toPayload() },
        { "CommandRequest", command.toPayload() },
        { "DebugRequest", QByteArray(1, char(v_protocol::TPayloadType::DebugRequest)) },
        { "FileNameRequest", QByteArray(1, char(v_protocol::TPayloadType::FileNameRequest)) + char(named) },
        { "FileClearRequest", QByteArray(1, char(v_protocol::TPayloadType::FileClearRequest)) + char(cleared) },
    };
}

} // namespace sim_test
