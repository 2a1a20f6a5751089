#include "v_fennic/t_fennic_command.h"

#include <array>

namespace v_fennic {

namespace {

constexpr std::array<TFennicCommand, 5> kKnownCommands {
    TFennicCommand::Ping,
    TFennicCommand::Authorization,
    TFennicCommand::StatusAuthorization,
    TFennicCommand::Exit,
    TFennicCommand::CmdGetSoftFirmware,
};

} // namespace

QString toText(TFennicCommand command)
{
    switch (command) {
    case TFennicCommand::Ping: return QStringLiteral("ping");
    case TFennicCommand::Authorization: return QStringLiteral("authorization");
    case TFennicCommand::StatusAuthorization: return QStringLiteral("statusAuthorization");
    case TFennicCommand::Exit: return QStringLiteral("exit");
    case TFennicCommand::CmdGetSoftFirmware: return QStringLiteral("cmdGetSoftFirmware");
    case TFennicCommand::UnknownCmd: break;
    }
    return QStringLiteral("unknownCmd");
}

bool commandFromText(const QString &text, TFennicCommand &command)
{
    for (const TFennicCommand known : kKnownCommands) {
        if (toText(known) == text) {
            command = known;
            return true;
        }
    }
    command = TFennicCommand::UnknownCmd;
    return false;
}

} // namespace v_fennic
