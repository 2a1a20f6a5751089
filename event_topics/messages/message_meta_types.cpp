#include "event_topics/messages/message_meta_types.h"

#include "event_topics/messages/message_catalogue.h"
#include "v_protocol/t_auth_request.h"
#include "v_protocol/t_chunk.h"
#include "v_protocol/t_chunk_accept.h"
#include "v_protocol/t_chunk_request.h"
#include "v_protocol/t_chunked_file.h"
#include "v_protocol/t_file_clear_response.h"
#include "v_protocol/t_slave_application.h"

#include <QMetaType>
#include <QSharedPointer>

namespace event_topics {

namespace {

template<class... M> void registerMessages(MessageList<M...>)
{
    (qRegisterMetaType<QSharedPointer<M>>(), ...);
}

template<class... T> void registerValues()
{
    (qRegisterMetaType<T>(), ...);
}

} // namespace

void registerMessageMetaTypes()
{
    registerMessages(MessageCatalogue());
    registerValues<::device_manager::DeviceEntry, ::device_manager::DeviceInterfaceInfo,
        ::device_manager::DeviceDiscoveryInfo, ::device_manager::InterfaceType,
        ::device_manager::ChangedInterfaceParameters, ::device_manager::DiscoveryState,
        ::device_manager::DiscoveryStatus, ::device_manager::TrStrings, ::SubmoduleIds>();
    registerValues<::v_protocol::TPacket, ::v_protocol::TAuthRequest, ::v_protocol::TAuthResponse,
        ::v_protocol::TCommandRequest, ::v_protocol::TCommandConfirm, ::v_protocol::TDebugResponse,
        ::v_protocol::TFileNameResponse, ::v_protocol::TFileClearResponse, ::v_protocol::TChunk,
        ::v_protocol::TChunkRequest, ::v_protocol::TChunkAccept, ::v_protocol::TChunkedFile,
        ::v_protocol::TMandatoryFileTypes, ::v_protocol::TApplicationInfoFile, ::v_protocol::TSlaveApplication,
        ::v_protocol::TFileTable, ::v_protocol::TFileWithDataElements, ::v_protocol::TSlaveProfile>();
}

} // namespace event_topics
