// The core's view of a device, whatever the device says: a connect chain on the real core (and the
// window's models on it) that is answered with an arbitrary slave profile and data-element files.
// Duplicate ids, parent cycles, "NEW" anywhere, values that do not fit their profile, empty and
// oversized files: no crash, no hang, and the core is idle and disconnected afterwards.
//
// Input: flags(1) count(1) count × element, then three data-element files (count(1) then count ×
// id(1) size(1) value bytes), then group titles to fold and unfold, then the debug text.
#include "configurator/gui_qml_handler.h"
#include "configurator/ui/core_models.h"
#include "testing/fuzz_support.h"

#include <QCoreApplication>

namespace {

using configurator::GuiQmlHandler;
using v_protocol::TSlaveProfile;
namespace dm = event_topics::device_manager;
namespace vp = event_topics::v_protocol;

constexpr quint32 kSerial = 10250001;
// A chain that is not over after this many rounds of the event loop hangs.
constexpr int kMaxRounds = 400;

class Input
{
public:
    Input(const uint8_t *data, size_t size) : _data(data), _size(size) { }
    quint8 byte() { return _at < _size ? _data[_at++] : 0; }
    quint16 word() { return quint16(byte() | (byte() << 8)); }
    QByteArray bytes(int count)
    {
        const int taken = int(qMin<size_t>(size_t(qMax(count, 0)), _size - _at));
        const QByteArray result(reinterpret_cast<const char *>(_data + _at), taken);
        _at += size_t(taken);
        return result;
    }
    QByteArray rest() { return bytes(int(_size - _at)); }
    bool done() const { return _at >= _size; }

private:
    const uint8_t *_data;
    size_t _size;
    size_t _at = 0;
};

TSlaveProfile readProfile(Input &in, int count)
{
    TSlaveProfile profile;
    for (int i = 0; i < count && !in.done(); ++i) {
        TSlaveProfile::Element element;
        // Few ids, so that they repeat and parents point at each other.
        element.id = in.byte() % 40;
        element.type = TSlaveProfile::Types(in.byte() % 7);
        element.editable = TSlaveProfile::Editables(in.byte() % 6);
        element.parentId = in.byte() % 40;
        const quint8 dataType = in.byte();
        element.dataType = TSlaveProfile::DataTypes(dataType > 9 ? 255 : dataType);
        element.dataSize = in.word() % 300;
        element.multiplier = qint8(in.byte());
        element.min = qint16(in.word());
        element.max = qint16(in.word());
        const quint8 shape = in.byte();
        element.nameEn = (shape & 1) ? QStringLiteral("NEW") : QString::fromUtf8(in.bytes(shape >> 5));
        for (int entry = 0; entry < ((shape >> 1) & 3); ++entry)
            element.enumValues << QString::fromUtf8(in.bytes(in.byte() % 6));
        if (shape & 8)
            element.regexp = QString::fromUtf8(in.bytes(4));
        profile.elements.append(element);
    }
    return profile;
}

v_protocol::TFileWithDataElements readFile(Input &in)
{
    v_protocol::TFileWithDataElements file;
    const int count = in.byte() % 48;
    for (int i = 0; i < count && !in.done(); ++i) {
        v_protocol::TFileWithDataElements::Element element;
        element.id = in.byte() % 40;
        element.dataSize = in.byte();
        // The value may be shorter than its size byte says.
        element.data = in.bytes(in.byte() % 9 == 0 ? element.dataSize : element.dataSize % 5);
        file.elements.append(element);
    }
    return file;
}

struct Fixture
{
    GuiQmlHandler *core = nullptr;
    configurator::CoreModels *models = nullptr;
};

Fixture &fixture()
{
    static Fixture made = [] {
        vk_testing::silenceLogs();
        static int argc = 1;
        static char name[] = "fuzz_core_view";
        static char *argv[] = { name, nullptr };
        new QCoreApplication(argc, argv);
        Fixture f;
        // No bus: what the core publishes goes nowhere, this driver answers in the device side's place.
        f.core = GuiQmlHandler::createInstance();
        f.models = new configurator::CoreModels(f.core);
        return f;
    }();
    return made;
}

void roundOfEvents()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fixture &f = fixture();
    GuiQmlHandler *core = f.core;
    Input in(data, size);
    const quint8 flags = in.byte();
    const int count = in.byte() % 48;
    const TSlaveProfile profile = readProfile(in, count);
    const v_protocol::TFileWithDataElements files[3] = { readFile(in), readFile(in), readFile(in) };
    const QByteArray groups = in.bytes(8);
    const QByteArray debug = in.rest();

    const device_manager::DeviceEntry entry { kSerial };
    device_manager::DeviceDiscoveryInfo device;
    device.interfaceInfo.type = device_manager::InterfaceType::BLE;
    device.deviceInfo.Name = QStringLiteral("FM-200");
    device.deviceInfo.Serial = kSerial;
    v_protocol::TAuthResponse auth;
    auth.authResult = (flags & 1) ? v_protocol::TAuthResult::SuccessRoot : v_protocol::TAuthResult::SuccessUser;
    if (flags & 0x80)
        auth.authResult = v_protocol::TAuthResult::Denied;
    auth.appType = v_protocol::TAppType((flags >> 1) & 3);
    const bool valid = !(flags & 0x10);

    core->connectClicked();
    bool picked = false;
    int round = 0;
    for (; round < kMaxRounds; ++round) {
        roundOfEvents();
        switch (core->currentTaskType()) {
        case GuiQmlHandler::MakeBleDiscovery:
            if (!picked) {
                picked = true;
                core->onDeviceDiscovered(dm::DeviceManagerDeviceDiscoveredMessage::create(device));
                core->appCoreConnectToBleDevice(core->discoveredDevices().keys().value(0));
            }
            break;
        case GuiQmlHandler::CheckAutoConnect: core->passwordEntered(QStringLiteral("4711")); break;
        case GuiQmlHandler::ConnectToDevice:
            core->onDeviceAuthSuccessed(dm::DeviceAuthSuccessedMessage::create(entry, auth));
            break;
        case GuiQmlHandler::MakeTimeSynchronization:
        case GuiQmlHandler::ExecuteCommand: {
            v_protocol::TCommandConfirm confirm;
            confirm.cmdRes = v_protocol::TCommandResult((flags >> 5) & 3);
            core->onCommandConfirmReceived(vp::CommandConfirmReceivedMessage::create(entry, confirm, valid));
            break;
        }
        case GuiQmlHandler::GetApplicationInfo:
            core->onApplicationInfoFileReceived(
                vp::ApplicationInfoFileReceivedMessage::create(entry, v_protocol::TApplicationInfoFile(), valid));
            break;
        case GuiQmlHandler::GetFileInfo:
            core->onFileTableReceived(vp::FileTableReceivedMessage::create(entry, v_protocol::TFileTable(), valid));
            break;
        case GuiQmlHandler::GetSlaveProfile:
            core->onSlaveProfileReceived(vp::SlaveProfileReceivedMessage::create(entry, profile, valid || count > 0));
            break;
        case GuiQmlHandler::GetPersonalization:
        case GuiQmlHandler::GetSettings:
        case GuiQmlHandler::GetState:
        case GuiQmlHandler::GetStateSilent: {
            const int kind = core->currentTaskType() == GuiQmlHandler::GetPersonalization ? 1
                : core->currentTaskType() == GuiQmlHandler::GetSettings                  ? 2
                                                                                         : 3;
            core->onFileWithDataElementsReceived(vp::FileWithDataElementsReceivedMessage::create(
                entry, v_protocol::TMandatoryFileTypes(kind), files[kind - 1], valid));
            break;
        }
        case GuiQmlHandler::GetDebug: {
            v_protocol::TDebugResponse response;
            response.debugData = debug;
            core->onDebugResponseReceived(vp::DebugResponseReceivedMessage::create(entry, response, true));
            break;
        }
        case -1:
        case GuiQmlHandler::CheckDeviceInitializationDone: break;
        default:
            std::fprintf(stderr, "job %d\n", core->currentTaskType());
            vk_testing::require(false, "a job the connect chain does not have");
        }
        if (core->currentTaskType() < 0 && !core->isBusyWithTasks() && picked)
            break;
    }
    vk_testing::require(round < kMaxRounds, "the connect chain did not end");

    // The window folds and unfolds groups, whatever the parents are.
    for (const char id : groups) {
        if (id & 1)
            f.models->hideGroup(quint8(id) >> 1);
        else
            f.models->showGroup(quint8(id) >> 1);
    }
    // The user edits every value the window would show as it shows it, and the settings are saved.
    for (VkInterfaceElement *element : core->interfaceElements())
        element->setData(element->data());

    if (core->isConnected()) {
        core->connectClicked();
        core->onDeviceDisconnected(dm::DeviceDisconnectedMessage::create(entry));
    }
    // The console starts anew for the next run (it only grows within a session).
    core->clearDebugTextClicked();
    roundOfEvents();
    vk_testing::require(!core->isConnected() && !core->isBusyWithTasks(), "the core is not idle after the device");
    vk_testing::require(f.models->settings()->count() == 0 && f.models->state()->count() == 0,
        "the pages keep rows of a device that is gone");
    return 0;
}
