#pragma once

#include "return_codes/return_codes.h"
#include "v_protocol/t_file_with_data_elements.h"
#include "v_protocol/t_slave_profile.h"

#include <QByteArray>
#include <QDebug>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

// One typed value of the dynamic device interface (a setting, a state value, a personalization
// field, a command) or one application setting. The value is held as the raw bytes that travel to
// and from the device; `data` converts them to and from what the QML delegates show and edit.
// Everything but `data` is the profile's description of the element and never changes.
class VkInterfaceElement : public QObject
{
    Q_OBJECT

public:
    enum ETypes {
        PersonalizationInfo = 0,
        SlaveSetting = 1,
        SlaveState = 2,
        SlaveCommand = 3,
        AppSettings = 4,
        AppCommands = 5,
    };
    Q_ENUM(ETypes)

    enum EEditables {
        NotEditable = 0,
        Editable = 1,
        RootEditable = 2,
        UserHiddenRootEditable = 3,
        UserHiddenRootVisible = 4,
    };
    Q_ENUM(EEditables)

    enum EDataTypes {
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
    Q_ENUM(EDataTypes)

    enum EEnumReps {
        Dropbox = 0,
        Radiobuttons = 1,
        Wheel = 2,
    };
    Q_ENUM(EEnumReps)

    using Types = ETypes;
    using Editables = EEditables;
    using DataTypes = EDataTypes;
    using EnumReps = EEnumReps;

    Q_PROPERTY(int id READ id CONSTANT)
    Q_PROPERTY(Types type READ type CONSTANT)
    Q_PROPERTY(Editables editable READ editable CONSTANT)
    Q_PROPERTY(QString nameEn READ nameEn CONSTANT)
    Q_PROPERTY(QString nameRu READ nameRu CONSTANT)
    Q_PROPERTY(int parentId READ parentId CONSTANT)
    Q_PROPERTY(DataTypes dataType READ dataType CONSTANT)
    Q_PROPERTY(int dataSize READ dataSize CONSTANT)
    Q_PROPERTY(int multiplier READ multiplier CONSTANT)
    Q_PROPERTY(int min READ min CONSTANT)
    Q_PROPERTY(int max READ max CONSTANT)
    Q_PROPERTY(QStringList enumValues READ enumValues CONSTANT)
    Q_PROPERTY(EnumReps enumRep READ enumRep CONSTANT)
    Q_PROPERTY(QString regexp READ regexp CONSTANT)
    Q_PROPERTY(QVariant data READ data WRITE setData NOTIFY changedData)

    // The key that matches a received data element to this element: (dataSize as one byte, id).
    using DataElementKey = QPair<quint8, quint16>;

    explicit VkInterfaceElement(const v_protocol::TSlaveProfile::Element &element, QObject *parent = nullptr);

    int id() const { return _element.id; }
    Types type() const { return Types(_element.type); }
    Editables editable() const { return Editables(_element.editable); }
    QString nameEn() const { return _element.nameEn; }
    QString nameRu() const { return _element.nameRu; }
    int parentId() const { return _element.parentId; }
    void setParentId(quint16 parentId) { _element.parentId = parentId; }
    DataTypes dataType() const { return DataTypes(_element.dataType); }
    int dataSize() const { return _element.dataSize; }
    int multiplier() const { return _element.multiplier; }
    int min() const { return _element.min; }
    int max() const { return _element.max; }
    QStringList enumValues() const { return _element.enumValues; }
    EnumReps enumRep() const { return EnumReps(_element.enumRep); }
    QString regexp() const { return _element.regexp; }

    // The value decoded by data type.
    QVariant data() const;
    // Encodes `value` by data type into the value bytes. Emits changedData with the new bytes unless
    // the value was still empty (the first assignment after creation emits nothing).
    void setData(const QVariant &value);

    // The raw value bytes; setting them emits nothing (used when a received file is applied).
    QByteArray value() const { return _value; }
    void setValue(const QByteArray &bytes) { _value = bytes; }

    const v_protocol::TSlaveProfile::Element &profileElement() const { return _element; }

    DataElementKey dataElementKey() const { return { quint8(_element.dataSize), _element.id }; }

    // The data element { dataSize, id, value bytes } that saving sends to the device. A text shorter
    // than dataSize is padded with zero bytes; any other size mismatch is ErrArgumentBadValue.
    ReturnCode buildDataElement(v_protocol::TFileWithDataElements::Element &element) const;

    // The file of data elements for one element kind (PersonalizationInfo for file 1, SlaveSetting
    // for file 2): every element of that kind with a value, in list order. ErrArgumentUnsupportedValue
    // without elements; the first element that cannot be built stops with its code.
    static ReturnCode buildDataElementsFile(const QList<VkInterfaceElement *> &elements, ETypes kind, quint8 fileId,
        v_protocol::TFileWithDataElements &file);

    // Decoding and encoding of value bytes by data type, as `data` does for an element.
    static QVariant decode(DataTypes dataType, int dataSize, const QByteArray &bytes);
    static QByteArray encode(DataTypes dataType, int dataSize, const QVariant &value, const QByteArray &current);

    // The value as text for reports: numbers in decimal, texts as they are, other bytes in hex.
    static QString valueText(DataTypes dataType, int dataSize, const QByteArray &bytes);

    // "TInteger" ... "TNoData", "SlaveSetting" ...; empty for values without a name.
    static QString dataTypeName(DataTypes dataType);
    static QString typeName(Types type);

signals:
    void changedData(QVariant data);

private:
    v_protocol::TSlaveProfile::Element _element;
    QByteArray _value;
};

// VkInterfaceElement[id: 7, type: SlaveSetting, nameEn: "...", dataType: TUinteger, dataSize: 2, parentId: 0]
QDebug operator<<(QDebug debug, const VkInterfaceElement *element);

Q_DECLARE_METATYPE(VkInterfaceElement *)
