#pragma once

// One element of a slave profile as a test needs it: id 42, named "Test value", the rest as given.
// Header-only; a test that includes it links v_protocol.

#include "v_protocol/t_slave_profile.h"

#include <QString>
#include <QStringList>

namespace vk_testing {

inline v_protocol::TSlaveProfile::Element profileElement(v_protocol::TSlaveProfile::DataTypes dataType,
    int dataSize, int multiplier = 1, const QStringList &entries = {},
    v_protocol::TSlaveProfile::Types type = v_protocol::TSlaveProfile::Types::SlaveSetting,
    v_protocol::TSlaveProfile::Editables editable = v_protocol::TSlaveProfile::Editables::Editable, int min = 0,
    int max = 0, const QString &regexp = QString())
{
    v_protocol::TSlaveProfile::Element element;
    element.id = 42;
    element.type = type;
    element.editable = editable;
    element.nameEn = QStringLiteral("Test value");
    element.dataType = dataType;
    element.dataSize = quint16(dataSize);
    element.multiplier = multiplier;
    element.min = min;
    element.max = max;
    element.enumValues = entries;
    element.regexp = regexp;
    return element;
}

} // namespace vk_testing
