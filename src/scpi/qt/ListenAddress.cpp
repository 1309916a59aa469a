#include "ListenAddress.h"

#include "qv4130/PlainText.h"

namespace qv4130::scpi {

namespace {
std::optional<quint16> ParsePort(std::string_view text) {
    return qv4130::text::ParseWhole<quint16>(text);
}
} // namespace

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
    const std::size_t colon = text.rfind(':');
    ListenAddress address;
    const auto port = ParsePort(colon == std::string_view::npos ? text : text.substr(colon + 1));
    if (!port) {
        return std::nullopt;
    }
    address.port = *port;
    std::string_view host = colon == std::string_view::npos ? "" : text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    if (host.empty() || host == "localhost") {
        return address;
    }
    if (!address.host.setAddress(
            QString::fromUtf8(host.data(), static_cast<qsizetype>(host.size())))) {
        return std::nullopt;
    }
    return address;
}

QString DescribeListenAddress(const QHostAddress& host, quint16 port) {
    const QString name = host.protocol() == QAbstractSocket::IPv6Protocol
                             ? QStringLiteral("[%1]").arg(host.toString())
                             : host.toString();
    return QStringLiteral("%1:%2").arg(name).arg(port);
}

} // namespace qv4130::scpi
