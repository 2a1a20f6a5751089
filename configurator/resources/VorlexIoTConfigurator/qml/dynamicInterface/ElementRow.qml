import QtQuick
import InterfaceElement 1.0
import VorlexIoTConfigurator

// One row of a page: the delegate that fits the element's data type, given the row's roles.
Loader {
    id: row

    required property var model
    required property int index
    required property InterfaceElement ifcElement
    required property bool isRoot
    required property int dataType
    required property bool isVisible
    required property bool isExpanded
    required property bool isApplication
    property InterfaceLoader interfaceLoader
    property bool hierarchical: false

    sourceComponent: {
        switch (dataType) {
        case InterfaceElement.TInteger:
        case InterfaceElement.TUinteger:
            return numberDelegate
        case InterfaceElement.THexArray:
        case InterfaceElement.TInvertedHexArray:
        case InterfaceElement.TString:
            return stringDelegate
        case InterfaceElement.TEnum:
            return enumDelegate
        case InterfaceElement.TBinary:
            return binaryDelegate
        case InterfaceElement.TUnixtime:
            return unixtimeDelegate
        default:
            return labelDelegate
        }
    }

    Component {
        id: numberDelegate
        NumberDelegate {
            element: row.ifcElement; isRoot: row.isRoot; isApplication: row.isApplication
            rowVisible: row.isVisible; rowModel: row.model; interfaceLoader: row.interfaceLoader
        }
    }
    Component {
        id: stringDelegate
        StringDelegate {
            element: row.ifcElement; isRoot: row.isRoot; isApplication: row.isApplication
            rowVisible: row.isVisible; rowModel: row.model; interfaceLoader: row.interfaceLoader
        }
    }
    Component {
        id: enumDelegate
        EnumDelegate {
            element: row.ifcElement; isRoot: row.isRoot; isApplication: row.isApplication
            rowVisible: row.isVisible; rowModel: row.model; interfaceLoader: row.interfaceLoader
        }
    }
    Component {
        id: binaryDelegate
        BinaryDelegate {
            element: row.ifcElement; isRoot: row.isRoot; isApplication: row.isApplication
            rowVisible: row.isVisible; rowModel: row.model; interfaceLoader: row.interfaceLoader
        }
    }
    Component {
        id: unixtimeDelegate
        UnixtimeDelegate {
            element: row.ifcElement; isRoot: row.isRoot; isApplication: row.isApplication
            rowVisible: row.isVisible; rowModel: row.model; interfaceLoader: row.interfaceLoader
        }
    }
    Component {
        id: labelDelegate
        LabelDelegate {
            element: row.ifcElement; isRoot: row.isRoot; isApplication: row.isApplication
            rowVisible: row.isVisible; rowModel: row.model; interfaceLoader: row.interfaceLoader
            hierarchical: row.hierarchical; expanded: row.isExpanded
        }
    }
}
