#include "device_manager/module_support/module_subscriptions.h"

#include "event_core/i_topic_subscriber.h"

namespace device_manager {

ReturnCode ModuleSubscriptions::subscribeInOrder(event_core::ITopicSubscriber &module, const List &subscriptions)
{
    for (const auto &subscription : subscriptions) {
        const ReturnCode result = module.subscribe(subscription.first, subscription.second);
        if (return_codes::isError(result)) {
            return_codes::logBadResult(result);
            return result;
        }
    }
    return ReturnCode::Ok;
}

} // namespace device_manager
