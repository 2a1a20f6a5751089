#pragma once

// The application core as the device side sees it over the bus: it publishes commands and records
// every message the device, discovery and interface managers publish, in arrival order. Lives in the
// test's thread.

#include "event_core/i_topic_subscriber.h"
#include "event_topics/messages/message_catalogue.h"
#include "testing/bus_subscriptions.h"

#include <QList>
#include <QTest>

namespace device_testing {

namespace dm = event_topics::device_manager;
namespace im = event_topics::interface_manager;
namespace vp = event_topics::v_protocol;
namespace sy = event_topics::system;

class DeviceBusProbe : public event_core::ITopicSubscriber
{
    Q_OBJECT

public:
    // Subscribes to everything the device side publishes; with `packets` also to the packets in both
    // directions (CmdSendPacket, PacketReceived). False when not confirmed in time.
    bool subscribeAll(bool packets = true)
    {
        QList<QPair<event_topics::TopicEntry, QString>> topics {
            { dm::DeviceManagerDeviceDiscovered::topic(), QStringLiteral("onDeviceDiscovered") },
            { dm::DeviceCreated::topic(), QStringLiteral("onDeviceCreated") },
            { dm::DeviceAuthSuccessed::topic(), QStringLiteral("onDeviceAuthSuccessed") },
            { dm::DeviceAuthFailed::topic(), QStringLiteral("onDeviceAuthFailed") },
            { dm::DeviceDisconnected::topic(), QStringLiteral("onDeviceDisconnected") },
            { dm::DeviceRoutineProgressText::topic(), QStringLiteral("onDeviceRoutineProgressText") },
            { im::CmdCloseInterface::topic(), QStringLiteral("onCmdCloseInterface") },
            { im::DeviceInterfaceCreated::topic(), QStringLiteral("onDeviceInterfaceCreated") },
            { im::DeviceInterfacePluggetOut::topic(), QStringLiteral("onDeviceInterfacePluggetOut") },
            { vp::ApplicationInfoFileReceived::topic(), QStringLiteral("onApplicationInfoFileReceived") },
            { vp::SlaveProfileReceived::topic(), QStringLiteral("onSlaveProfileReceived") },
            { vp::FileWithDataElementsReceived::topic(), QStringLiteral("onFileWithDataElementsReceived") },
            { vp::FileWithDataElementsTransmitted::topic(), QStringLiteral("onFileWithDataElementsTransmitted") },
            { vp::RawFileTransmitted::topic(), QStringLiteral("onRawFileTransmitted") },
            { vp::FileTableReceived::topic(), QStringLiteral("onFileTableReceived") },
            { vp::FileNameReceived::topic(), QStringLiteral("onFileNameReceived") },
            { vp::RawFileReceived::topic(), QStringLiteral("onRawFileReceived") },
            { vp::FileClearDone::topic(), QStringLiteral("onFileClearDone") },
            { vp::DebugResponseReceived::topic(), QStringLiteral("onDebugResponseReceived") },
            { vp::CommandConfirmReceived::topic(), QStringLiteral("onCommandConfirmReceived") },
            { sy::ErrorHappend::topic(), QStringLiteral("onErrorHappend") },
            { sy::DebugHappend::topic(), QStringLiteral("onDebugHappend") },
        };
        if (packets) {
            topics.append({ im::CmdSendPacket::topic(), QStringLiteral("onCmdSendPacket") });
            topics.append({ im::PacketReceived::topic(), QStringLiteral("onPacketReceived") });
        }
        return vk_testing::subscribeAndConfirm(*this, topics);
    }

    // Every recorded message of type M, in arrival order.
    template<class M> QList<QSharedPointer<M>> all() const
    {
        QList<QSharedPointer<M>> result;
        for (const event_topics::PMessage &message : messages) {
            if (message->getTopicEntry() == M::topic())
                result << message.staticCast<M>();
        }
        return result;
    }
    template<class M> int count() const { return int(all<M>().size()); }
    template<class M> QSharedPointer<M> last() const
    {
        const QList<QSharedPointer<M>> list = all<M>();
        return list.isEmpty() ? QSharedPointer<M>() : list.last();
    }

    // ErrorHappend from the device side with these two indexes.
    int errorCount(device_manager::TrStrings title, device_manager::TrStrings text) const
    {
        int n = 0;
        for (const auto &error : all<sy::ErrorHappend>())
            n += error->submoduleId == SubmoduleIds::DeviceManager && error->titleIndex == title
                && error->textIndex == text;
        return n;
    }

    // Waits until everything published on the Device and System topics before this call has been
    // delivered: a marker on each category arrives after it (markers are not recorded).
    bool barrier()
    {
        const int before = _barriers;
        publish(new dm::DeviceRoutineProgressText({ 0 }, device_manager::TrStrings::NoIndex, kBarrierMark));
        publish(new sy::DebugHappend(SubmoduleIds::Unknown, kBarrierText, kBarrierText));
        return QTest::qWaitFor([&]() { return _barriers == before + 2; }, 30000);
    }

    void clear() { messages.clear(); }

    QList<event_topics::PMessage> messages;

public slots:
    void onDeviceDiscovered(dm::DeviceManagerDeviceDiscoveredMessage m) { messages << m; }
    void onDeviceCreated(dm::DeviceCreatedMessage m) { messages << m; }
    void onDeviceAuthSuccessed(dm::DeviceAuthSuccessedMessage m) { messages << m; }
    void onDeviceAuthFailed(dm::DeviceAuthFailedMessage m) { messages << m; }
    void onDeviceDisconnected(dm::DeviceDisconnectedMessage m) { messages << m; }
    void onDeviceRoutineProgressText(dm::DeviceRoutineProgressTextMessage m)
    {
        if (m->percentage == kBarrierMark && m->titleIndex == device_manager::TrStrings::NoIndex)
            ++_barriers;
        else
            messages << m;
    }
    void onCmdCloseInterface(im::CmdCloseInterfaceMessage m) { messages << m; }
    void onDeviceInterfaceCreated(im::DeviceInterfaceCreatedMessage m) { messages << m; }
    void onDeviceInterfacePluggetOut(im::DeviceInterfacePluggetOutMessage m) { messages << m; }
    void onCmdSendPacket(im::CmdSendPacketMessage m) { messages << m; }
    void onPacketReceived(im::PacketReceivedMessage m) { messages << m; }
    void onApplicationInfoFileReceived(vp::ApplicationInfoFileReceivedMessage m) { messages << m; }
    void onSlaveProfileReceived(vp::SlaveProfileReceivedMessage m) { messages << m; }
    void onFileWithDataElementsReceived(vp::FileWithDataElementsReceivedMessage m) { messages << m; }
    void onFileWithDataElementsTransmitted(vp::FileWithDataElementsTransmittedMessage m) { messages << m; }
    void onRawFileTransmitted(vp::RawFileTransmittedMessage m) { messages << m; }
    void onFileTableReceived(vp::FileTableReceivedMessage m) { messages << m; }
    void onFileNameReceived(vp::FileNameReceivedMessage m) { messages << m; }
    void onRawFileReceived(vp::RawFileReceivedMessage m) { messages << m; }
    void onFileClearDone(vp::FileClearDoneMessage m) { messages << m; }
    void onDebugResponseReceived(vp::DebugResponseReceivedMessage m) { messages << m; }
    void onCommandConfirmReceived(vp::CommandConfirmReceivedMessage m) { messages << m; }
    void onErrorHappend(sy::ErrorHappendMessage m) { messages << m; }
    void onDebugHappend(sy::DebugHappendMessage m)
    {
        if (m->title == kBarrierText && m->submoduleId == SubmoduleIds::Unknown)
            ++_barriers;
        else
            messages << m;
    }

private:
    static constexpr qint32 kBarrierMark = -4242;
    inline static const QString kBarrierText = QStringLiteral("{barrier}");
    int _barriers = 0;
};

} // namespace device_testing
