// Throughput of the checksums, the packet codec and the two largest device file decoders.
#include "v_protocol/crc.h"
#include "v_protocol/t_chunked_file.h"
#include "v_protocol/t_file_transfer.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_packet.h"
#include "v_protocol/t_slave_profile.h"

#include <benchmark/benchmark.h>

using namespace v_protocol;

namespace {

constexpr int kMiB = 1024 * 1024;
constexpr int kChunkDataSize = 218; // packet size 244 minus 26

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + 17) & 0xFF);
    return bytes;
}

// The image as a read with 244-byte packets receives it.
TChunkedFile received(const QByteArray &image, quint8 fileId)
{
    return TFileTransfer::cutIntoChunks(image, fileId, 0, image.size(), kChunkDataSize);
}

void setMegabytesPerSecond(benchmark::State &state, qint64 bytesPerIteration)
{
    state.SetBytesProcessed(state.iterations() * bytesPerIteration);
    state.counters["MB"]
        = benchmark::Counter(double(state.iterations()) * double(bytesPerIteration) / 1e6, benchmark::Counter::kIsRate);
}

template<typename Crc> void CrcThroughput(benchmark::State &state, Crc crc)
{
    const QByteArray data = pattern(kMiB);
    for (auto _ : state)
        benchmark::DoNotOptimize(crc(data));
    setMegabytesPerSecond(state, kMiB);
}
BENCHMARK_CAPTURE(CrcThroughput, Crc16_1MiB, [](const QByteArray &data) { return calcCrc16(data); });
BENCHMARK_CAPTURE(CrcThroughput, Crc32_1MiB, [](const QByteArray &data) { return calcCrc32(data); });

void Packet244_SerialiseAndParse(benchmark::State &state)
{
    TChunk chunk;
    chunk.fileId = 4;
    chunk.fileSize = 100000;
    chunk.data = pattern(kChunkDataSize);
    chunk.dataSize = kChunkDataSize;
    const TPacket packet = TPacket::makeResponse(chunk.toPayload(), 1, 0x12345678, kMasterUid);
    if (packet.size != 244)
        state.SkipWithError("packet is not 244 bytes");
    TPacket parsed;
    for (auto _ : state) {
        const QByteArray bytes = packet.toByteArray();
        benchmark::DoNotOptimize(TPacket::fromByteArray(bytes, parsed));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(Packet244_SerialiseAndParse);

void SlaveProfile_1000Elements(benchmark::State &state)
{
    TSlaveProfile profile;
    for (int i = 0; i < 1000; ++i) {
        TSlaveProfile::Element element;
        element.id = quint16(i);
        element.type = TSlaveProfile::Types::SlaveSetting;
        element.nameEn = QStringLiteral("Setting number %1").arg(i);
        element.nameRu = QStringLiteral("Nastroyka nomer %1").arg(i);
        element.parentId = quint16(i / 10);
        element.dataType = TSlaveProfile::DataTypes::TEnum;
        element.dataSize = 1;
        element.enumValues = QStringList { "Off", "On", "Auto" };
        element.regexp = QStringLiteral("^[0-9]{1,3}$");
        profile.elements.append(element);
    }
    const QByteArray image = profile.toByteArray();
    const TChunkedFile chunks = received(image, 4);
    for (auto _ : state) {
        TSlaveProfile decoded;
        benchmark::DoNotOptimize(chunks.toSlaveProfile(decoded));
        if (decoded.elements.size() != 1000)
            state.SkipWithError("profile did not decode");
    }
    state.counters["bytes"] = double(image.size());
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(SlaveProfile_1000Elements);

void DataElementFile_64KiB(benchmark::State &state)
{
    TFileWithDataElements file;
    file.fileId = 2;
    while (file.toByteArray().size() < 64 * 1024 - 2 - 67) {
        const quint16 id = quint16(file.elements.size());
        file.elements.append({ 64, id, pattern(64) });
    }
    const QByteArray image = file.toByteArray();
    const TChunkedFile chunks = received(image, 2);
    for (auto _ : state) {
        TFileWithDataElements decoded;
        benchmark::DoNotOptimize(chunks.toFileWithDataElements(decoded));
        if (decoded.elements.size() != file.elements.size())
            state.SkipWithError("file did not decode");
    }
    state.counters["elements"] = double(file.elements.size());
    setMegabytesPerSecond(state, image.size());
}
BENCHMARK(DataElementFile_64KiB);

} // namespace

BENCHMARK_MAIN();
