// Slave profile images, received in chunks.
#include "fuzz_support.h"

#include "v_protocol/t_slave_profile.h"

#include <QDebug>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace v_protocol;
    fuzz_support::silenceLogs();
    TSlaveProfile profile;
    if (fuzz_support::chunkedInput(data, size, 4).toSlaveProfile(profile) != ReturnCode::Ok)
        return 0;
    QString text;
    for (const TSlaveProfile::Element &element : profile.elements) {
        fuzz_support::require(!element.enumValues.isEmpty());
        fuzz_support::require(!element.nameEn.contains(QChar(u'\0')) && !element.regexp.contains(QChar(u'\0')));
        QDebug(&text) << element;
    }
    TSlaveProfile again;
    fuzz_support::require(TSlaveProfile::fromByteArray(profile.toByteArray(), again) == ReturnCode::Ok);
    fuzz_support::require(again == profile);
    return 0;
}
