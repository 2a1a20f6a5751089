#pragma once

#include "v_protocol/t_slave_application.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace device_manager {

// The identity a device advertises in its manufacturer-specific data (as the platform delivers it,
// without the two company id bytes):
//
//   offset 0  2 bytes  magic "VK"
//          2  4 bytes  serial number, unsigned 32-bit little-endian
//          6  1 byte   model id
//          7  1 byte   firmware version: low nibble major, high nibble minor
//          8  1 byte   hardware version
//          9  ...      ignored
//
// `manufacturerData` holds the data of each manufacturer id in the platform's order; only the first
// one is looked at. Nothing when it is missing, shorter than 9 bytes or does not begin with "VK".
// The record carries `name`, AuthResult Error, AppType Application, MaxSizePacket 0 and no password.
std::optional<v_protocol::TSlaveApplication> parseAdvertisement(
    const QString &name, const QList<QByteArray> &manufacturerData);

} // namespace device_manager
