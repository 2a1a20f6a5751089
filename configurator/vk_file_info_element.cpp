#include "configurator/vk_file_info_element.h"

VkFileInfoElement::VkFileInfoElement(
    const v_protocol::TFileTable::Element &entry, const QString &fileName, QObject *parent)
    : QObject(parent), _entry(entry), _fileName(fileName)
{ }

bool VkFileInfoElement::permits(EPermission permission, bool isRoot)
{
    switch (permission) {
    case Enabled: return true;
    case RootEnabledUserDisabled: return isRoot;
    case RootDisabledUserEnabled: return !isRoot;
    default: return false;
    }
}
