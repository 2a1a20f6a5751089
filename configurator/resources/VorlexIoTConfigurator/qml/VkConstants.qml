pragma Singleton
import QtQml

// Page indexes, sizes and model role names shared by the documents.
QtObject {
    readonly property int kSwipeSettingsPg: 0
    readonly property int kSwipeStatePg: 1
    readonly property int kSwipeCommandPg: 2
    readonly property int kSwipePersonalizationPg: 3
    readonly property int kSwipeDebugPg: 4
    readonly property int kSwipeAppSettingsPg: 5
    readonly property int kSwipeHomePg: 6
    readonly property int kSwipeLastPg: kSwipeHomePg

    readonly property int kExpandingAnimationDuration: 500
    readonly property int kLeftMargin: 5
    readonly property int kRightMargin: 5
    readonly property int kTopMargin: 5
    readonly property int kHorizontalSpacing: 5
    readonly property int kVerticalSpacing: 5
    readonly property int kCmdButtonRadius: 2
    readonly property int kButtonRadius: 2
    readonly property int kUnderlineWidth: 2
    readonly property int kButtonIconPadding: 3
    readonly property int kButtonHeight: 40
    readonly property int kDialogTitleFontSize: 20

    readonly property string kIfcModelElement: "ifcElement"
    readonly property string kIfcModelIsRoot: "isRoot"
    readonly property string kIfcModelDataType: "dataType"
    readonly property string kIfcModelIsVisible: "isVisible"
    readonly property string kIfcModelIsExpanded: "isExpanded"
    readonly property string kIfcModelIsApplication: "isApplication"
}
