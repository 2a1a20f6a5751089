#include "return_codes/return_codes.h"

namespace return_codes {

QPair<QString, QString> returnCodeInfo(ReturnCodes code)
{
    switch (code) {
    case Ok: return {QStringLiteral("ReturnCode::Ok"), QStringLiteral("All is OK, enjoy")};
    case WarnInvalidHandler: return {QStringLiteral("ReturnCode::WarnInvalidHandler"), QStringLiteral("Module handler is NULL")};
    case WarnAlreadyExist: return {QStringLiteral("ReturnCode::WarnAlreadyExist"), QStringLiteral("Value or case is already existed")};
    case WarnNotExist: return {QStringLiteral("ReturnCode::WarnNotExist"), QStringLiteral("Value or case is NOT existed yet")};
    case WarnInternalError: return {QStringLiteral("ReturnCode::WarnInternalError"), QStringLiteral("Internal error - see context")};
    case WarnWrongPermissions:
        return {QStringLiteral("ReturnCode::WarnWrongPermissions"), QStringLiteral("Wrong permissions for Android or other")};
    case WarnUnexpectedValue: return {QStringLiteral("ReturnCode::WarnUnexpectedValue"), QString()};
    case WarnTimeout: return {QStringLiteral("ReturnCode::WarnTimeout"), QString()};
    case ErrArgumentWrongType: return {QStringLiteral("ReturnCode::ErrArgumentWrongType"), QStringLiteral("`")};
    case ErrArgumentUnsupportedValue: return {QStringLiteral("ReturnCode::ErrArgumentUnsupportedValue"), QString()};
    case ErrArgumentUnexpectedValue: return {QStringLiteral("ReturnCode::ErrArgumentUnexpectedValue"), QString()};
    case ErrArgumentPointerIsNull: return {QStringLiteral("ReturnCode::ErrArgumentPointerIsNull"), QString()};
    case ErrArgumentBadValue:
        return {QStringLiteral("ReturnCode::ErrArgumentBadValue"), QStringLiteral("Argument or it's derivative is invalid")};
    case ErrInvalidHandler: return {QStringLiteral("ReturnCode::ErrInvalidHandler"), QStringLiteral("Module handler is NULL")};
    case ErrInternalError: return {QStringLiteral("ReturnCode::ErrInternalError"), QStringLiteral("Internal error - see context")};
    case ErrUnsupported: return {QStringLiteral("ReturnCode::ErrUnsupported"), QStringLiteral("Unsupported internal case")};
    case ErrUnderConstruction:
        return {QStringLiteral("ReturnCode::ErrUnderConstruction"), QStringLiteral("Code is not finished - under developing!")};
    case ErrUnknownInterface: return {QStringLiteral("ReturnCode::ErrUnknownInterface"), QString()};
    case ErrAccessDenied: return {QStringLiteral("ReturnCode::ErrAccessDenied"), QString()};
    case ErrParsingInvalidSize: return {QStringLiteral("ReturnCode::ErrParsingInvalidSize"), QString()};
    case ErrParsingInvalidCrc: return {QStringLiteral("ReturnCode::ErrParsingInvalidCrc"), QString()};
    case ErrParsingInvalidArgLength: return {QStringLiteral("ReturnCode::ErrParsingInvalidArgLength"), QString()};
    case ErrParsingWrongPayloadType: return {QStringLiteral("ReturnCode::ErrParsingWrongPayloadType"), QString()};
    case ErrParsingNotEnougthData: return {QStringLiteral("ReturnCode::ErrParsingNotEnougthData"), QString()};
    case ErrParsingNotEnougthDataFields: return {QStringLiteral("ReturnCode::ErrParsingNotEnougthDataFields"), QString()};
    }
    return {};
}

ReturnCodes logIfError(ReturnCodes code)
{
    if (isError(code))
        logBadResult(code);
    return code;
}

void logBadResult(ReturnCodes code)
{
    qDebug() << "Bad result: " << code;
}

} // namespace return_codes

QDebug operator<<(QDebug debug, ReturnCode code)
{
    const bool spaces = debug.autoInsertSpaces();
    debug.setAutoInsertSpaces(false);
    const auto info = return_codes::returnCodeInfo(code);
    debug << "ReturnCode[" << qint32(code) << "] [" << info.first << "]{" << info.second << "}";
    debug.setAutoInsertSpaces(spaces);
    return debug.maybeSpace();
}
