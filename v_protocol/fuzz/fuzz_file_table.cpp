// File table images, received in chunks.
#include "fuzz_support.h"

#include "v_protocol/t_file_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace v_protocol;
    fuzz_support::silenceLogs();
    TFileTable table;
    if (fuzz_support::chunkedInput(data, size, 8).toFileTable(table) != ReturnCode::Ok) {
        fuzz_support::require(table.toJson().contains(QStringLiteral("elements")));
        return 0;
    }
    const size_t imageSize = qMin(size - 1, fuzz_support::kMaxImageSize);
    fuzz_support::require(imageSize >= 2 && (imageSize - 2) % TFileTable::Element::kSize == 0);
    TFileTable again;
    fuzz_support::require(TFileTable::fromByteArray(table.toByteArray(), again) == ReturnCode::Ok);
    fuzz_support::require(again.elements == table.elements);
    return 0;
}
