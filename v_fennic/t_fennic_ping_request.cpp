#include "v_fennic/t_fennic_ping_request.h"

namespace v_fennic {

TFennicPingRequest::TFennicPingRequest() : TFennicMessage(TFennicCommand::Ping) { }

} // namespace v_fennic
