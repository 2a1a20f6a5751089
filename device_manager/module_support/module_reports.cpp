#include "device_manager/module_support/module_reports.h"

#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/system/debug_happend.h"
#include "event_topics/messages/system/error_happend.h"

namespace device_manager {

ReturnCode ModuleReports::error(event_core::ITopicSubscriber &module, TrStrings titleIndex, TrStrings textIndex)
{
    return return_codes::logIfError(
        module.publish(new event_topics::system::ErrorHappend(SubmoduleIds::DeviceManager, titleIndex, textIndex)));
}

ReturnCode ModuleReports::debug(event_core::ITopicSubscriber &module, const QString &title, const QString &text)
{
    return return_codes::logIfError(
        module.publish(new event_topics::system::DebugHappend(SubmoduleIds::DeviceManager, title, text)));
}

ReturnCode ModuleReports::publish(event_core::ITopicSubscriber &module, event_topics::IMessage *message)
{
    return return_codes::logIfError(module.publish(message));
}

ReturnCode ModuleReports::publishOrReportError(event_core::ITopicSubscriber &module, event_topics::IMessage *message)
{
    const ReturnCode rc = publish(module, message);
    if (return_codes::isError(rc))
        error(module, TrStrings::InvalidConnection, TrStrings::InternalError);
    return rc;
}

} // namespace device_manager
