#pragma once

#include "Locked.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QHash>
#include <QVariant>
#include <functional>

// One object of a service a test plays, answering from what the test scripted: a handler per method
// and a value per property (org.freedesktop.DBus.Properties.Get). Every call is recorded. Publish it
// with PrivateBus::serve; it answers on the bus's own thread, and everything here is thread-safe.
class ScriptedDBusObject : public QDBusVirtualObject {
    Q_OBJECT
public:
    // Builds the reply to `call`: call.createReply(...) or call.createErrorReply(...); an invalid
    // message sends nothing.
    using Handler = std::function<QDBusMessage(const QDBusMessage& call)>;

    void on(const QString& interface, const QString& member, Handler handler)
    {
        m_handlers.with([&](auto& handlers) { handlers.insert(interface + u'.' + member, std::move(handler)); });
    }
    // A method that answers with these arguments.
    void answer(const QString& interface, const QString& member, const QVariantList& arguments)
    {
        on(interface, member, [arguments](const QDBusMessage& call) { return call.createReply(arguments); });
    }
    // A method that answers with this error.
    void refuse(const QString& interface, const QString& member, const QString& error, const QString& text)
    {
        on(interface, member, [error, text](const QDBusMessage& call) { return call.createErrorReply(error, text); });
    }
    // A method that is received and never answered, as by a service that hangs.
    void ignore(const QString& interface, const QString& member)
    {
        on(interface, member, [](const QDBusMessage&) { return QDBusMessage(); });
    }
    void setValue(const QString& interface, const QString& name, const QVariant& value)
    {
        m_properties.with([&](auto& properties) { properties.insert(interface + u'.' + name, value); });
    }
    // The calls received, properties' reads included, in order.
    QList<QDBusMessage> calls() const { return m_calls.get(); }
    // The calls of one method.
    QList<QDBusMessage> calls(const QString& member) const
    {
        QList<QDBusMessage> matching;
        for (const QDBusMessage& call : calls()) {
            if (call.member() == member)
                matching.append(call);
        }
        return matching;
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection& connection) override
    {
        m_calls.with([&](auto& calls) { calls.append(call); });
        if (const QDBusMessage answer = reply(call); answer.type() != QDBusMessage::InvalidMessage)
            connection.send(answer);
        return true;
    }

private:
    QDBusMessage reply(const QDBusMessage& call) const
    {
        if (call.interface() == QStringLiteral("org.freedesktop.DBus.Properties") && call.member() == QStringLiteral("Get")
            && call.arguments().size() == 2) {
            const QString key = call.arguments().at(0).toString() + u'.' + call.arguments().at(1).toString();
            const auto value = m_properties.with([&](auto& properties) { return properties.value(key); });
            if (!value.isValid())
                return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"), key);
            return call.createReply(QVariant::fromValue(QDBusVariant(value)));
        }
        const auto handler = m_handlers.with([&](auto& handlers) { return handlers.value(call.interface() + u'.' + call.member()); });
        if (!handler)
            return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), call.member());
        return handler(call);
    }

    mutable Locked<QHash<QString, Handler>> m_handlers;
    mutable Locked<QHash<QString, QVariant>> m_properties;
    Locked<QList<QDBusMessage>> m_calls;
};
