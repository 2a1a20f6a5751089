#include "simulator/failure_mode.h"

#include <QMetaEnum>

namespace simulator {

using v_protocol::TPayloadType;
using v_protocol::TSystemFileResult;

QList<FailureMode> allFailureModes()
{
    const QMetaEnum meta = QMetaEnum::fromType<FailureMode>();
    QList<FailureMode> modes;
    for (int i = 0; i < meta.keyCount(); ++i) {
        const auto mode = FailureMode(meta.value(i));
        if (mode != FailureMode::None)
            modes.append(mode);
    }
    return modes;
}

QString toText(FailureMode mode)
{
    return QLatin1String(QMetaEnum::fromType<FailureMode>().valueToKey(int(mode)));
}

bool failureModeFromText(const QString &text, FailureMode &mode)
{
    const QMetaEnum meta = QMetaEnum::fromType<FailureMode>();
    for (int i = 0; i < meta.keyCount(); ++i) {
        if (text.compare(QLatin1String(meta.key(i)), Qt::CaseInsensitive) == 0) {
            mode = FailureMode(meta.value(i));
            return true;
        }
    }
    return false;
}

std::optional<TPayloadType> defaultTarget(FailureMode mode)
{
    switch (mode) {
    case FailureMode::AcceptUnknownFileIdentifier:
    case FailureMode::AcceptFileSizeTooBig:
    case FailureMode::AcceptOutOfMemory:
    case FailureMode::AcceptMemError:
    case FailureMode::AcceptCrcError:
    case FailureMode::AcceptOperationNotAllowed:
    case FailureMode::AcceptUnknownError: return TPayloadType::FileChunk;
    case FailureMode::ChunkBeyondFileSize:
    case FailureMode::DisconnectMidTransfer: return TPayloadType::FileChunkRequest;
    case FailureMode::LockoutAfterAuthentication:
    case FailureMode::BusyAuthentication: return TPayloadType::AuthenticationRequest;
    default: return std::nullopt;
    }
}

int defaultSkip(FailureMode mode)
{
    return mode == FailureMode::DisconnectMidTransfer ? 1 : 0;
}

bool acceptStatusOf(FailureMode mode, TSystemFileResult &status)
{
    switch (mode) {
    case FailureMode::AcceptUnknownFileIdentifier: status = TSystemFileResult::UnknownFileIdentifier; return true;
    case FailureMode::AcceptFileSizeTooBig: status = TSystemFileResult::FileSizeTooBig; return true;
    case FailureMode::AcceptOutOfMemory: status = TSystemFileResult::FileResultOutOfMemory; return true;
    case FailureMode::AcceptMemError: status = TSystemFileResult::FileResultMemError; return true;
    case FailureMode::AcceptCrcError: status = TSystemFileResult::FileResultCrcError; return true;
    case FailureMode::AcceptOperationNotAllowed: status = TSystemFileResult::FileResultOperationNotAllowed; return true;
    case FailureMode::AcceptUnknownError: status = TSystemFileResult::FileResultUnknownError; return true;
    default: return false;
    }
}

} // namespace simulator
