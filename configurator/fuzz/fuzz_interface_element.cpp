// Value bytes from a device, any data type and size: reading, writing back and saving never crash.
// Input: dataType(1) dataSize(2, little-endian) then the value bytes.
#include "configurator/vk_interface_element.h"
#include "testing/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    vk_testing::silenceLogs();
    if (size < 3)
        return 0;
    v_protocol::TSlaveProfile::Element profileElement;
    profileElement.id = 1;
    profileElement.type = v_protocol::TSlaveProfile::Types::SlaveSetting;
    profileElement.dataType = v_protocol::TSlaveProfile::DataTypes(data[0]);
    profileElement.dataSize = quint16(data[1] | (data[2] << 8));
    VkInterfaceElement element(profileElement);
    const QByteArray bytes = vk_testing::bytesOf(data + 3, size - 3);
    element.setValue(bytes);

    const QVariant shown = element.data();
    (void)VkInterfaceElement::valueText(element.dataType(), element.dataSize(), bytes);
    if (element.dataType() == VkInterfaceElement::TString)
        vk_testing::require(!shown.toString().contains(QChar(u'\0')), "text shows a NUL");

    // What the interface shows is written back as the user would leave it.
    element.setData(shown);
    v_protocol::TFileWithDataElements::Element saved;
    if (element.buildDataElement(saved) == ReturnCode::Ok) {
        vk_testing::require(saved.data.size() == element.dataSize(), "saved size differs from dataSize");
        vk_testing::require(saved.dataSize == element.dataSize(), "size byte differs from dataSize");
    }
    switch (element.dataType()) {
    case VkInterfaceElement::TInteger:
    case VkInterfaceElement::TUinteger:
    case VkInterfaceElement::TBitfield:
    case VkInterfaceElement::THexArray:
    case VkInterfaceElement::TInvertedHexArray:
    case VkInterfaceElement::TEnum:
    case VkInterfaceElement::TBinary:
        // Writing back what is shown does not change what is shown (a value needs at least a byte).
        if (element.dataSize() > 0)
            vk_testing::require(element.data() == shown, "value changed by writing back what is shown");
        break;
    default: break;
    }
    return 0;
}
