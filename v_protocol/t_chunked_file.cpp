#include "v_protocol/t_chunked_file.h"

#include "v_protocol/debug_text.h"

namespace v_protocol {

quint64 TChunkedFile::receivedSize() const
{
    quint64 sum = 0;
    for (const TChunk &chunk : *this)
        sum += chunk.dataSize;
    return sum;
}

ReturnCode TChunkedFile::merge(QByteArray &bytes) const
{
    bytes.clear();
    if (isEmpty())
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidArgLength);

    quint64 sum = 0;
    for (const TChunk &chunk : *this) {
        if (chunk.addr != sum) {
            logText(QStringLiteral("Invalid chunk addr: expected[%1], chunk ").arg(sum) + debugText(chunk));
            return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
        }
        sum += chunk.dataSize;
        if (chunk.fileSize < sum) {
            logText(QLatin1String("Invalid file size: ") + debugText(chunk));
            return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
        }
        bytes.append(chunk.data);
    }

    if (sum != quint64(bytes.size())) {
        logText(QStringLiteral("Invalid file size: mergedSize[%1], from packet[%2]").arg(sum).arg(first().fileSize));
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    }
    return ReturnCode::Ok;
}

} // namespace v_protocol
