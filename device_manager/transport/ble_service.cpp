#include "device_manager/transport/ble_service.h"

namespace device_manager {

BleService::BleService(QObject *parent) : QObject(parent) { }

BleService::~BleService() = default;

} // namespace device_manager
