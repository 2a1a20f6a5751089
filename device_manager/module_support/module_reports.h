#pragma once

#include "device_manager/descriptors/tr_strings.h"
#include "return_codes/return_codes.h"

#include <QString>

namespace event_core {
class ITopicSubscriber;
}
namespace event_topics {
class IMessage;
}

namespace device_manager {

// The two reports every device-side module (device, discovery and interface manager) publishes,
// always from the submodule DeviceManager: a user-facing error by text indexes (ErrorHappend) and a
// diagnostic (DebugHappend). Called by the module in its own thread; a failed publication is logged
// ("Bad result: ") and returned.
class ModuleReports
{
public:
    static ReturnCode error(event_core::ITopicSubscriber &module, TrStrings titleIndex, TrStrings textIndex);
    static ReturnCode debug(event_core::ITopicSubscriber &module, const QString &title, const QString &text);

    // Publishes `message` from `module`; a failure is logged ("Bad result: ") and returned.
    static ReturnCode publish(event_core::ITopicSubscriber &module, event_topics::IMessage *message);
    // As publish, and a failure is also reported as ErrorHappend(0, 2).
    static ReturnCode publishOrReportError(event_core::ITopicSubscriber &module, event_topics::IMessage *message);
};

} // namespace device_manager
