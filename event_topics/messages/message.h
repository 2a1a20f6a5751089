#pragma once

#include "event_topics/i_message.h"
#include "event_topics/messages/message_fields.h"
#include "event_topics/topic_category.h"
#include "event_topics/topic_entry.h"

#include <QJsonObject>
#include <QLatin1String>
#include <QMetaType>
#include <QSharedPointer>

#include <utility>

namespace event_topics {

// The class name of message M without its namespace: the name of M's topic. VK_DECLARE_MESSAGE
// defines it; a message without that declaration does not compile.
template<class M> struct MessageName;

// Base of every catalogue message M: the topic of category `Category` named after M, the `Fields`
// (message_fields.h) taken by the constructor in that order and readable as public members,
// delivery to handler slots taking QSharedPointer<M>, and the debug JSON made of the fields.
// A message that needs nothing more is declared with VK_MESSAGE; one with constructors or a debug
// form of its own derives from Message and is followed by VK_DECLARE_MESSAGE.
template<class M, TopicCategory Category, class... Fields> class Message : public IMessage, public Fields...
{
public:
    // The message's own shared pointer, the parameter type of its handler slots.
    using PMessage = QSharedPointer<M>;

    explicit Message(typename Fields::ValueType... values) : IMessage(topic()), Fields { std::move(values) }... { }

    static TopicEntry topic()
    {
        static const TopicEntry entry(Category, QLatin1String(MessageName<M>::text));
        return entry;
    }

    ReturnCode deliver(const event_topics::PMessage &self, const SubscriptionInfo &subscription) override
    {
        return deliverAs<M>(self, subscription);
    }

    QJsonObject toJson() const override
    {
        QJsonObject json;
        (writeFieldJson(json, static_cast<const Fields &>(*this)), ...);
        return json;
    }
};

} // namespace event_topics

// Follows message class event_topics::<Area>::<Name>: its topic name "<Name>", its handler alias
// <Name>Message, and the meta-type of QSharedPointer<Name> under that full name. (Without it, Qt
// would name the meta-type of a shared pointer to a QObject after the meta-object of the pointee,
// which is QObject's for every message.)
#define VK_DECLARE_MESSAGE(Area, Name)                                                                                 \
    namespace event_topics {                                                                                           \
    template<> struct MessageName<Area::Name>                                                                          \
    {                                                                                                                  \
        static constexpr const char *text = #Name;                                                                     \
    };                                                                                                                 \
    namespace Area {                                                                                                   \
    using Name##Message = Name::PMessage;                                                                              \
    }                                                                                                                  \
    }                                                                                                                  \
    Q_DECLARE_METATYPE(QSharedPointer<event_topics::Area::Name>)

// Declares message class event_topics::<Area>::<Name> of topic category <Category> made of the
// given fields, with everything VK_DECLARE_MESSAGE adds:
//     VK_MESSAGE(v_protocol, FileClearDone, Device, DeviceEntryField, FileIdField, IsValidField)
#define VK_MESSAGE(Area, Name, Category, ...)                                                                          \
    namespace event_topics::Area {                                                                                     \
    struct Name : Message<Name, Category, __VA_ARGS__>                                                                 \
    {                                                                                                                  \
        using Message::Message;                                                                                        \
    };                                                                                                                 \
    }                                                                                                                  \
    VK_DECLARE_MESSAGE(Area, Name)
