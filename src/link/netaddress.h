#pragma once

#include <QString>
#include <QtGlobal>

namespace krn {

// A serial device server's address as a port names it: tcp://HOST:PORT (raw
// bytes) or rfc2217://HOST:PORT (Telnet with the com-port option). An IPv6
// host is written in brackets: tcp://[::1]:4001.
struct NetAddress {
    enum class Kind { RawTcp, Rfc2217 };

    Kind kind = Kind::RawTcp;
    QString host;
    quint16 port = 0;

    // "host:port" as the operator wrote it, for messages and logs.
    QString hostPort() const;

    // Whether `address` is meant as a network address at all (it has a
    // scheme, "something://"), rather than a serial device.
    static bool looksLikeNetwork(const QString& address);
    // Throws krn::Failure with plain words when `address` is not a tcp:// or
    // rfc2217:// address with a host and a port from 1 to 65535.
    static NetAddress parse(const QString& address);
};

} // namespace krn
