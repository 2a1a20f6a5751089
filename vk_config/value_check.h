#pragma once

#include "configurator/vk_interface_element.h"

#include <QString>
#include <QVariant>

namespace vk_config {

// Whether a new value may go to the device, checked against the element's profile before anything
// is sent: the kind of element (settings and personalization only), who may edit it, its range, its
// size once the element has encoded it, its enum entries (none outside the list, none beginning with
// "#", which the device keeps locked) and the input pattern of a text.
class ValueCheck
{
public:
    // True when `data` (as ValueFormat gives it) may be written into `element` by a user with root
    // rights (`isRoot`) or without; otherwise false with the reason in `error`.
    static bool check(const VkInterfaceElement &element, const QVariant &data, bool isRoot, QString &error);

    // Who may edit: Editable everyone, RootEditable and UserHiddenRootEditable root only,
    // NotEditable and UserHiddenRootVisible nobody.
    static bool mayEdit(VkInterfaceElement::EEditables editable, bool isRoot);
    // Whether a user without root rights sees the element at all.
    static bool isVisible(VkInterfaceElement::EEditables editable, bool isRoot);
};

} // namespace vk_config
