// A configuration document of any bytes: read, and when it is one, compared with a device of every
// data type. No crash, and a comparison only ever offers to write values that fit.
#include "configurator/config_comparison.h"
#include "testing/fuzz_support.h"

#include <memory>
#include <vector>

namespace {

using configurator::ConfigComparison;
using v_protocol::TSlaveProfile;

// A device with one element of each data type, settings and personalization, ids 1 to 20 (owned until
// the process ends).
const QList<VkInterfaceElement *> &elements()
{
    static std::vector<std::unique_ptr<VkInterfaceElement>> owned;
    static const QList<VkInterfaceElement *> made = [] {
        QList<VkInterfaceElement *> list;
        const TSlaveProfile::DataTypes types[] = { TSlaveProfile::DataTypes::TInteger,
            TSlaveProfile::DataTypes::TUinteger, TSlaveProfile::DataTypes::THexArray,
            TSlaveProfile::DataTypes::TInvertedHexArray, TSlaveProfile::DataTypes::TString,
            TSlaveProfile::DataTypes::TEnum, TSlaveProfile::DataTypes::TBinary, TSlaveProfile::DataTypes::TUnixtime,
            TSlaveProfile::DataTypes::TBitfield, TSlaveProfile::DataTypes::TNoData };
        int id = 1;
        for (const TSlaveProfile::Types kind : { TSlaveProfile::Types::SlaveSetting, TSlaveProfile::Types::PersonalizationInfo }) {
            for (const TSlaveProfile::DataTypes type : types) {
                TSlaveProfile::Element element;
                element.id = quint16(id++);
                element.type = kind;
                element.editable = id % 3 ? TSlaveProfile::Editables::Editable : TSlaveProfile::Editables::RootEditable;
                element.dataType = type;
                element.dataSize = type == TSlaveProfile::DataTypes::TString ? 8 : 2;
                element.multiplier = id % 2 ? 10 : 1;
                element.min = id % 4 ? 0 : 5;
                element.max = id % 4 ? 0 : 500;
                element.enumValues = { QStringLiteral("a"), QStringLiteral("#b") };
                owned.push_back(std::make_unique<VkInterfaceElement>(element));
                owned.back()->setValue(QByteArray(element.dataSize, '\x01'));
                list.append(owned.back().get());
            }
        }
        return list;
    }();
    return made;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    vk_testing::silenceLogs();
    configurator::ConfigDocument::Contents contents;
    QString error;
    if (!configurator::ConfigDocument::read(vk_testing::bytesOf(data, size), contents, error)) {
        vk_testing::require(!error.isEmpty(), "a refusal without a reason");
        return 0;
    }
    v_protocol::TSlaveApplication device;
    device.ModelId = 17;
    for (const bool isRoot : { false, true }) {
        const ConfigComparison comparison = ConfigComparison::compare(
            contents, elements(), [](const VkInterfaceElement &element) { return element.value(); }, device, isRoot,
            { VkInterfaceElement::SlaveSetting, VkInterfaceElement::PersonalizationInfo });
        for (const ConfigComparison::Row &row : comparison.rows) {
            if (row.status != ConfigComparison::Status::Differs)
                continue;
            const VkInterfaceElement *element = elements().value(row.id - 1);
            vk_testing::require(element && element->id() == row.id, "a row for an element the device lacks");
            vk_testing::require(configurator::ElementValue::check(*element, row.data, isRoot).ok(),
                "a row offered for writing that does not fit");
        }
    }
    return 0;
}
