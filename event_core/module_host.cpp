#include "event_core/module_host.h"

#include <QDebug>

namespace event_core {

void logInvalidInvoke(const char *callText)
{
    qDebug().nospace().noquote() << "invalid invokeMethod: " << callText;
}

void logInitializationTimeout(const char *createSignature)
{
    qWarning().noquote() << "Timeout of object initialization:" << createSignature;
}

void logCreationFailed()
{
    qCritical() << "Invalid to create object!";
}

} // namespace event_core
