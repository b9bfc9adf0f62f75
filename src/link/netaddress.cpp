#include "netaddress.h"

#include "core/failure.h"
#include "core/textids.h"

namespace krn {

namespace {
constexpr QLatin1StringView kTcpScheme("tcp://");
constexpr QLatin1StringView kRfc2217Scheme("rfc2217://");
} // namespace

QString NetAddress::hostPort() const
{
    const bool ipv6 = host.contains(QLatin1Char(':'));
    return (ipv6 ? QLatin1Char('[') + host + QLatin1Char(']') : host) + QLatin1Char(':') +
           QString::number(port);
}

bool NetAddress::looksLikeNetwork(const QString& address)
{
    return address.trimmed().contains(QLatin1String("://"));
}

NetAddress NetAddress::parse(const QString& address)
{
    const QString text = address.trimmed();
    NetAddress result;
    QString rest;
    if (text.startsWith(kTcpScheme, Qt::CaseInsensitive)) {
        rest = text.mid(kTcpScheme.size());
    } else if (text.startsWith(kRfc2217Scheme, Qt::CaseInsensitive)) {
        result.kind = Kind::Rfc2217;
        rest = text.mid(kRfc2217Scheme.size());
    } else {
        throw Failure(Message(strings::NetNotAnAddress, {text}));
    }
    if (rest.endsWith(QLatin1Char('/'))) // tcp://host:4001/ as a browser would write it
        rest.chop(1);

    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            throw Failure(Message(strings::NetNoHost, {text}));
        result.host = rest.mid(1, close - 1);
        if (close + 1 >= rest.size() || rest.at(close + 1) != QLatin1Char(':'))
            throw Failure(Message(strings::NetNoPort, {text}));
        portText = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0)
            throw Failure(Message(strings::NetNoPort, {text}));
        result.host = rest.left(colon);
        portText = rest.mid(colon + 1);
        // A bare IPv6 address: its colons would be taken for the port's.
        if (result.host.contains(QLatin1Char(':')))
            throw Failure(Message(strings::NetNoHost, {text}));
    }
    if (result.host.isEmpty() || result.host.contains(QLatin1Char('/')) ||
        result.host.contains(QLatin1Char(' ')))
        throw Failure(Message(strings::NetNoHost, {text}));
    if (portText.isEmpty())
        throw Failure(Message(strings::NetNoPort, {text}));

    bool digitsOnly = true;
    for (const QChar c : portText)
        digitsOnly = digitsOnly && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const uint port = digitsOnly && portText.size() <= 5 ? portText.toUInt() : 0;
    if (port < 1 || port > 65535)
        throw Failure(Message(strings::NetBadPort, {text}));
    result.port = quint16(port);
    return result;
}

} // namespace krn
