// Personalization, settings and state file images, received in chunks.
#include "fuzz_support.h"

#include "v_protocol/t_file_with_data_elements.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace v_protocol;
    fuzz_support::silenceLogs();
    if (size < 1)
        return 0;
    const quint8 fileId = quint8(1 + data[0] % 3); // 1, 2 or 3 (the state file tolerates a bad CRC)
    TFileWithDataElements file;
    if (fuzz_support::chunkedInput(data + 1, size - 1, fileId).toFileWithDataElements(file) != ReturnCode::Ok)
        return 0;
    fuzz_support::require(file.fileId == fileId);
    for (const auto &element : file.elements)
        fuzz_support::require(element.data.size() == element.dataSize);
    TFileWithDataElements again;
    fuzz_support::require(TFileWithDataElements::fromByteArray(2, file.toByteArray(), again) == ReturnCode::Ok);
    fuzz_support::require(again.elements == file.elements);
    return 0;
}
