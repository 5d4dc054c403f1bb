#include "live/WsjtxListener.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QTimer>
#include <QUdpSocket>

namespace kx::live {

WsjtxListener::WsjtxListener(QObject* parent) : QObject(parent) {}

WsjtxListener::~WsjtxListener() {
    Stop();
}

bool WsjtxListener::Listen(const std::string& address, std::uint16_t port, std::string* error) {
    Stop();
    const QHostAddress host(QString::fromStdString(address));
    auto fail = [&](const QString& why) {
        if (error) *error = why.toStdString();
        Stop();
        return false;
    };
    if (host.isNull()) return fail(QStringLiteral("not an IP address"));
    socket_ = new QUdpSocket(this);
    multicast_ = host.isMulticast();
    // A multicast group is shared with the other programs that listen to it.
    const auto mode = multicast_ ? QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint
                                 : QUdpSocket::DefaultForPlatform;
    if (!socket_->bind(host, port, mode)) return fail(socket_->errorString());
    if (multicast_) {
        bool joined = false;
        for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
            const auto flags = nic.flags();
            if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::CanMulticast))
                continue;
            joined = socket_->joinMulticastGroup(host, nic) || joined;
        }
        if (!joined && !socket_->joinMulticastGroup(host)) return fail(socket_->errorString());
    }
    connect(socket_, &QUdpSocket::readyRead, this, &WsjtxListener::ReadPending);
    return true;
}

void WsjtxListener::Stop() {
    if (!socket_) return;
    socket_->disconnect(this);
    socket_->close();
    socket_->deleteLater();
    socket_ = nullptr;
    multicast_ = false;
    sources_.clear();
}

bool WsjtxListener::Listening() const {
    return socket_ && socket_->state() == QAbstractSocket::BoundState;
}

std::uint16_t WsjtxListener::Port() const {
    return socket_ ? socket_->localPort() : 0;
}

void WsjtxListener::ReadPending() {
    readScheduled_ = false;
    if (!socket_) return;
    for (int n = 0; n < kBatch && socket_->hasPendingDatagrams(); ++n) {
        const QNetworkDatagram datagram = socket_->receiveDatagram();
        ++counts_.datagrams;
        WsjtxRefusal why = WsjtxRefusal::None;
        std::optional<WsjtxMessage> message = ReadWsjtxDatagram(datagram.data(), &why);
        if (!message) {
            ++counts_.refused;
            if (why == WsjtxRefusal::UnknownType) ++counts_.unknownType;
            continue;
        }
        ++counts_.messages;
        Source& source = sources_[message->id];
        source.address = datagram.senderAddress();
        source.port = static_cast<std::uint16_t>(datagram.senderPort());
        source.schema = message->schema;
        if (onMessage) onMessage(*message);
        if (!socket_) return;  // the handler stopped the listener
    }
    // The rest of a flood after the event loop had its turn.
    if (socket_->hasPendingDatagrams() && !readScheduled_) {
        readScheduled_ = true;
        QTimer::singleShot(0, this, &WsjtxListener::ReadPending);
    }
}

bool WsjtxListener::Highlight(const std::string& id, const std::string& call,
                              std::int64_t background, std::int64_t foreground) {
    if (!highlightAllowed_ || !socket_) return false;
    const auto it = sources_.find(id);
    if (it == sources_.end() || it->second.port == 0) return false;
    const QByteArray datagram =
        HighlightCallsignDatagram(it->second.schema, id, call, background, foreground);
    return socket_->writeDatagram(datagram, it->second.address, it->second.port) == datagram.size();
}

}  // namespace kx::live
