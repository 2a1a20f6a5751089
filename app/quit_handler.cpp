#include "app/quit_handler.h"

#include "device_manager/device_manager.h"
#include "event_bus/bus_manager.h"
#include "settings/encrypted_settings.h"
#include "v_fennic/t_fennic_handler.h"

#include <QDebug>

namespace app {

void QuitHandler::operator()() const
{
    qDebug() << ">>>[quit] About to quit event, switch off modules:";

    qDebug() << ">>>[quit] v_fennic::TFennicHandler...";
    v_fennic::TFennicHandler::destroyInstance();

    qDebug() << ">>>[quit] device_manager::DeviceManager...";
    device_manager::DeviceManager::destroyInstance();

    qDebug() << ">>>[quit] EncryptedSettings...";
    EncryptedSettings::destroyInstance();

    qDebug() << ">>>[quit] event_bus::BusManager...";
    event_bus::BusManager::destroyInstance();
}

} // namespace app
