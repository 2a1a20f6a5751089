#pragma once

namespace event_topics {

// Registers, once at start-up and before any message is delivered, the meta-types of every message's
// shared pointer (under its full name, "QSharedPointer<event_topics::device_manager::DeviceAuthFailed>",
// convertible to QObject*) and of the descriptor and protocol values that queued signals between the
// modules carry. Safe to call again.
void registerMessageMetaTypes();

} // namespace event_topics
