#pragma once

#include "v_fennic/t_fennic_message.h"

namespace v_fennic {

// The keep-alive request: command "ping" with a new uuid; the body is {"cmd":"ping","uuid":"{...}"}.
class TFennicPingRequest : public TFennicMessage
{
public:
    TFennicPingRequest();
};

} // namespace v_fennic
