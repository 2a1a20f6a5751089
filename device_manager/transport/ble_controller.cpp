#include "device_manager/transport/ble_controller.h"

namespace device_manager {

BleController::BleController(QObject *parent) : QObject(parent) { }

BleController::~BleController() = default;

} // namespace device_manager
