#pragma once

#include <QString>

namespace v_fennic {

// The commands of the firmware server and their names on the wire ("cmd").
enum class TFennicCommand : int {
    Ping = 0,
    Authorization = 1,
    StatusAuthorization = 2,
    Exit = 3,
    CmdGetSoftFirmware = 4,
    UnknownCmd = 5, // no known command
};

// "ping", "authorization", "statusAuthorization", "exit", "cmdGetSoftFirmware"; "unknownCmd" for
// UnknownCmd and any value outside the table.
QString toText(TFennicCommand command);

// The command of a wire name; false (and UnknownCmd) for a text that names none of the known commands.
// "unknownCmd" itself names none.
bool commandFromText(const QString &text, TFennicCommand &command);

} // namespace v_fennic
