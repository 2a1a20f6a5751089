#pragma once

#include "v_protocol/protocol_enums.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// Named ways in which a simulated device misbehaves, for tests that loop over all of them.
namespace simulator {
Q_NAMESPACE

// What a failure does to the answer of a request it hits (see FailureInjection for which requests
// it hits). "Answer packets" are the packets the device would have sent without the failure.
enum class FailureMode {
    None = 0,
    // The device ignores the request: nothing comes back, nothing changes on the device.
    NoAnswer,
    // Each answer packet is sent with both CRC bytes inverted.
    CorruptedCrc,
    // Each answer packet names another payload type: a CommandConfirmation becomes a DebugResponse,
    // every other answer a CommandConfirmation; the rest of the packet is unchanged, the CRC valid.
    WrongPayloadType,
    // Each answer packet is cut to its first 13 bytes, one below the smallest packet.
    ShortPacket,
    // Each answer packet loses the last byte of its payload; size field and CRC fit the shorter packet.
    TruncatedPayload,
    // The request is refused with one TChunkAccept carrying the named status; nothing changes on the
    // device except that a write in progress is abandoned.
    AcceptUnknownFileIdentifier,
    AcceptFileSizeTooBig,
    AcceptOutOfMemory,
    AcceptMemError,
    AcceptCrcError,
    AcceptOperationNotAllowed,
    AcceptUnknownError,
    // Each answer chunk announces a fileSize of addr + dataSize - 1 (chunks without data and other
    // answers stay as they are).
    ChunkBeyondFileSize,
    // The device sends the first half (rounded down) of the answer packets, then the link drops: the
    // device forgets the authentication and any write in progress and ignores bytes until the
    // carrier connects it again.
    DisconnectMidTransfer,
    // Each answer packet carries the bitwise complement of the device's serial number.
    ForeignSerial,
    // A Lockout packet (payload: the type byte 10) follows the answer.
    LockoutAfterAuthentication,
    // An authentication request is answered with the result Busy (and grants nothing); other
    // requests are answered as usual.
    BusyAuthentication,
    // Each answer item is due FailureInjection::delayUs later than usual.
    VerySlowAnswer,
};
Q_ENUM_NS(FailureMode)

// Every mode except None, in declaration order.
QList<FailureMode> allFailureModes();

// The enumerator name ("NoAnswer"); empty for a value without a name.
QString toText(FailureMode mode);
// The mode named `text` (enumerator name, case-insensitive).
bool failureModeFromText(const QString &text, FailureMode &mode);

// The request type a mode hits unless told otherwise; no value: every request.
std::optional<v_protocol::TPayloadType> defaultTarget(FailureMode mode);
// Matching requests answered normally before the mode starts to hit (1 for DisconnectMidTransfer:
// the opening request of a transfer goes through, the link drops in its middle).
int defaultSkip(FailureMode mode);
// The status of the Accept... modes; false for the others.
bool acceptStatusOf(FailureMode mode, v_protocol::TSystemFileResult &status);

} // namespace simulator
