#include "v_protocol/t_chunked_file.h"

#include "v_protocol/debug_text.h"
#include "v_protocol/t_application_info_file.h"
#include "v_protocol/t_file_table.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_slave_profile.h"

namespace v_protocol {
namespace {

// Resets `file`, merges the chunks and hands the image to `decode`; a merge error is returned as it is.
template<typename File, typename Decode> ReturnCode decodeMerged(const TChunkedFile &chunks, File &file, Decode decode)
{
    file = File();
    QByteArray bytes;
    const ReturnCode rc = chunks.merge(bytes);
    return rc == ReturnCode::Ok ? decode(bytes) : rc;
}

} // namespace

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

    // The image must be exactly the file the first chunk announced: a list that stops short, or a
    // device that changed the size mid-transfer, would otherwise pass as a complete file.
    if (sum != quint64(bytes.size()) || sum != first().fileSize) {
        logText(QStringLiteral("Invalid file size: mergedSize[%1], from packet[%2]").arg(sum).arg(first().fileSize));
        return return_codes::logIfError(ReturnCode::ErrParsingInvalidSize);
    }
    return ReturnCode::Ok;
}

ReturnCode TChunkedFile::toApplicationInfoFile(TApplicationInfoFile &file) const
{
    return decodeMerged(
        *this, file, [&](const QByteArray &bytes) { return TApplicationInfoFile::fromByteArray(bytes, file); });
}

ReturnCode TChunkedFile::toFileTable(TFileTable &table) const
{
    return decodeMerged(*this, table, [&](const QByteArray &bytes) { return TFileTable::fromByteArray(bytes, table); });
}

ReturnCode TChunkedFile::toFileWithDataElements(TFileWithDataElements &file) const
{
    // The file id (which decides whether a bad CRC is tolerated) comes from the first chunk.
    return decodeMerged(*this, file,
        [&](const QByteArray &bytes) { return TFileWithDataElements::fromByteArray(first().fileId, bytes, file); });
}

ReturnCode TChunkedFile::toSlaveProfile(TSlaveProfile &profile) const
{
    return decodeMerged(
        *this, profile, [&](const QByteArray &bytes) { return TSlaveProfile::fromByteArray(bytes, profile); });
}

} // namespace v_protocol
