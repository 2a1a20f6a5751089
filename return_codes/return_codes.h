#pragma once

#include <QDebug>
#include <QObject>
#include <QPair>
#include <QString>

// Result of every fallible operation: 0 success, positive a warning, negative an error.
namespace return_codes {
Q_NAMESPACE

enum ReturnCodes : qint32 {
    Ok = 0,
    WarnInvalidHandler = 1,
    WarnAlreadyExist = 2,
    WarnNotExist = 3,
    WarnInternalError = 4,
    WarnWrongPermissions = 5,
    WarnUnexpectedValue = 6,
    WarnTimeout = 7,

    ErrArgumentWrongType = qint32(0x80000000u),
    ErrArgumentUnsupportedValue,
    ErrArgumentUnexpectedValue,
    ErrArgumentPointerIsNull,
    ErrArgumentBadValue,
    ErrInvalidHandler,
    ErrInternalError,
    ErrUnsupported,
    ErrUnderConstruction,
    ErrUnknownInterface,
    ErrAccessDenied,
    ErrParsingInvalidSize,
    ErrParsingInvalidCrc,
    ErrParsingInvalidArgLength,
    ErrParsingWrongPayloadType,
    ErrParsingNotEnougthData,
    ErrParsingNotEnougthDataFields,
};
Q_ENUM_NS(ReturnCodes)

// Name text ("ReturnCode::Ok") and description text of a code; both empty outside the table.
QPair<QString, QString> returnCodeInfo(ReturnCodes code);

inline bool isError(ReturnCodes code) { return code < 0; }
inline bool isWarning(ReturnCodes code) { return code > 0; }

// Logs "Bad result: " and the code's debug form at debug level when the code is an error.
// Returns the code so that callers can log and pass a result on in one expression.
ReturnCodes logIfError(ReturnCodes code);

// Unconditionally logs "Bad result: " and the code's debug form at debug level.
void logBadResult(ReturnCodes code);

} // namespace return_codes

using ReturnCode = return_codes::ReturnCodes;

QDebug operator<<(QDebug debug, ReturnCode code);
