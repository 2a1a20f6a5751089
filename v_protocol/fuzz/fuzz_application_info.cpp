// Application info file images, received in chunks.
#include "fuzz_support.h"

#include "v_protocol/t_application_info_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace v_protocol;
    fuzz_support::silenceLogs();
    TApplicationInfoFile file;
    if (fuzz_support::chunkedInput(data, size, 0).toApplicationInfoFile(file) != ReturnCode::Ok)
        return 0;
    TApplicationInfoFile again;
    fuzz_support::require(TApplicationInfoFile::fromByteArray(file.toByteArray(), again) == ReturnCode::Ok);
    fuzz_support::require(again == file);
    return 0;
}
