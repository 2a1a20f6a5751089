#pragma once

#include "return_codes/return_codes.h"

#include <QByteArray>
#include <QDebug>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

namespace v_protocol {

// Slave profile (file 4): the device's self-description, profile elements back to back with no
// count and no checksum. One element (at least 25 bytes), fields in this order:
//   id(2) type(1) editable(1) names(text: "English*Russian") parentId(2) dataType(1) dataSize(2)
//   multiplier(4) min(4) max(4) enumValues(text: "a*b*c") enumRep(1) regexp(text)
// A text is UTF-8 ending in a zero byte.
struct TSlaveProfile
{
    Q_GADGET

public:
    enum class Types : quint8 {
        PersonalizationInfo = 0,
        SlaveSetting = 1,
        SlaveState = 2,
        SlaveCommand = 3,
        AppSettings = 4,
        AppCommands = 5,
    };
    Q_ENUM(Types)

    enum class Editables : quint8 {
        NotEditable = 0,
        Editable = 1,
        RootEditable = 2,
        UserHiddenRootEditable = 3,
        UserHiddenRootVisible = 4,
    };
    Q_ENUM(Editables)

    enum class DataTypes : quint8 {
        TInteger = 0,
        TUinteger = 1,
        THexArray = 2,
        TInvertedHexArray = 3,
        TString = 4,
        TEnum = 5,
        TBinary = 6,
        TUnixtime = 7,
        TBitfield = 8,
        TNoData = 255,
    };
    Q_ENUM(DataTypes)

    enum class EnumReps : quint8 {
        Dropbox = 0,
        Radiobuttons = 1,
        Wheel = 2,
    };
    Q_ENUM(EnumReps)

    struct Element
    {
        static constexpr qsizetype kMinSize = 25;

        quint16 id = 0;
        Types type = Types::PersonalizationInfo;
        Editables editable = Editables::NotEditable;
        QString nameEn;
        QString nameRu;
        quint16 parentId = 0; // the element this one is listed under
        DataTypes dataType = DataTypes::TNoData;
        quint16 dataSize = 0; // the value's length in bytes
        qint32 multiplier = 1;
        qint32 min = 0;
        qint32 max = 0;
        QStringList enumValues;
        EnumReps enumRep = EnumReps::Dropbox;
        QString regexp;

        bool operator==(const Element &other) const;
    };

    QList<Element> elements;

    // An empty file gives an empty profile. A rest shorter than 25 bytes, a field running past the
    // end and a text without its terminating zero byte give ErrParsingInvalidSize.
    static ReturnCode fromByteArray(const QByteArray &bytes, TSlaveProfile &profile);
    // The file image of `elements`: names as nameEn "*" nameRu, enumValues joined with "*".
    QByteArray toByteArray() const;

    // "::v_protocol::TSlaveProfile::Types::SlaveSetting" and so on; empty for values without a name.
    static QString toText(Types value);
    static QString toText(Editables value);
    static QString toText(DataTypes value);
    static QString toText(EnumReps value);

    bool operator==(const TSlaveProfile &other) const { return elements == other.elements; }
};

// TSlaveProfile:Element: Id[7]{type:<type name>, name:<nameEn>, dataType:<data type name>, dataSize:2, parent:0}
QDebug operator<<(QDebug debug, const TSlaveProfile::Element &element);

} // namespace v_protocol

Q_DECLARE_METATYPE(v_protocol::TSlaveProfile)
