#pragma once

#include "event_topics/messages/message.h"

// A diagnostic for the debug view.
VK_MESSAGE(system, DebugHappend, System, SubmoduleIdField, TitleField, TextField)
