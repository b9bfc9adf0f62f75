#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QtGlobal>

namespace krn {

namespace telnet {
inline constexpr quint8 Iac = 255;
inline constexpr quint8 Dont = 254;
inline constexpr quint8 Do = 253;
inline constexpr quint8 Wont = 252;
inline constexpr quint8 Will = 251;
inline constexpr quint8 Sb = 250;
inline constexpr quint8 Se = 240;

inline constexpr quint8 Binary = 0;
inline constexpr quint8 Echo = 1;
inline constexpr quint8 SuppressGoAhead = 3;
inline constexpr quint8 ComPort = 44;

// IAC <verb> <option>.
QByteArray negotiation(quint8 verb, quint8 option);
// IAC SB <option> <payload, 0xFF doubled> IAC SE.
QByteArray subnegotiation(quint8 option, QByteArrayView payload);
// Data as it travels: every 0xFF doubled, so it cannot be read as IAC.
QByteArray escape(QByteArrayView data);
} // namespace telnet

// Something the Telnet peer said besides data.
struct TelnetEvent {
    enum class Kind {
        Command,        // IAC <code>: NOP, GA, BRK, DM...
        Negotiation,    // IAC WILL/WONT/DO/DONT <option>
        Subnegotiation, // IAC SB <option> <payload> IAC SE
    };
    Kind kind = Kind::Command;
    quint8 code = 0;    // the command, or the verb of a negotiation
    quint8 option = 0;  // Negotiation, Subnegotiation
    QByteArray payload; // Subnegotiation, 0xFF undoubled

    bool operator==(const TelnetEvent&) const = default;
};

// Splits a Telnet byte stream into data and events. The stream may arrive in
// pieces cut anywhere, also inside a command or a subnegotiation: what is cut
// off waits for the next piece.
class TelnetDecoder {
public:
    // Appends the data bytes of `bytes` to `data` and what else it holds to
    // `events`, in the order it came.
    void feed(QByteArrayView bytes, QByteArray& data, QList<TelnetEvent>& events);
    // Forgets a command cut off at the end of the last piece (a new connection).
    void reset();

    // A subnegotiation longer than this is cut short: nothing we understand is
    // that long, and a peer that never ends one must not grow our memory.
    static constexpr qsizetype MaxSubnegotiation = 512;

private:
    enum class State { Data, Iac, Verb, Sub, SubIac };
    State m_state = State::Data;
    quint8 m_verb = 0;
    QByteArray m_sub; // option byte, then the payload
};

} // namespace krn
