#include "telnetdecoder.h"

namespace krn {

namespace telnet {

QByteArray negotiation(quint8 verb, quint8 option)
{
    const char bytes[] = {char(Iac), char(verb), char(option)};
    return QByteArray(bytes, sizeof bytes);
}

QByteArray escape(QByteArrayView data)
{
    QByteArray out;
    out.reserve(data.size() + data.count(char(Iac)));
    for (const char c : data) {
        out.append(c);
        if (quint8(c) == Iac)
            out.append(c);
    }
    return out;
}

QByteArray subnegotiation(quint8 option, QByteArrayView payload)
{
    QByteArray out;
    out.append(char(Iac)).append(char(Sb));
    out += escape(QByteArray(1, char(option)));
    out += escape(payload);
    out.append(char(Iac)).append(char(Se));
    return out;
}

} // namespace telnet

void TelnetDecoder::reset()
{
    m_state = State::Data;
    m_verb = 0;
    m_sub.clear();
}

void TelnetDecoder::feed(QByteArrayView bytes, QByteArray& data, QList<TelnetEvent>& events)
{
    using namespace telnet;
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        switch (m_state) {
        case State::Data:
            if (b == Iac)
                m_state = State::Iac;
            else
                data.append(c);
            break;
        case State::Iac:
            if (b == Iac) {
                data.append(c);
                m_state = State::Data;
            } else if (b >= Will && b <= Dont) {
                m_verb = b;
                m_state = State::Verb;
            } else if (b == Sb) {
                m_sub.clear();
                m_state = State::Sub;
            } else { // NOP, GA, DM, BRK, a stray SE...: nothing for the data
                events.append(TelnetEvent{TelnetEvent::Kind::Command, b, 0, {}});
                m_state = State::Data;
            }
            break;
        case State::Verb:
            events.append(TelnetEvent{TelnetEvent::Kind::Negotiation, m_verb, b, {}});
            m_state = State::Data;
            break;
        case State::Sub:
            if (b == Iac)
                m_state = State::SubIac;
            else if (m_sub.size() < MaxSubnegotiation)
                m_sub.append(c);
            break;
        case State::SubIac:
            if (b == Se) {
                if (!m_sub.isEmpty())
                    events.append(TelnetEvent{TelnetEvent::Kind::Subnegotiation, 0,
                                              quint8(m_sub[0]), m_sub.mid(1)});
                m_sub.clear();
                m_state = State::Data;
            } else {
                // IAC IAC is a 0xFF of the payload; any other command inside
                // a subnegotiation has no meaning there and is dropped.
                if (b == Iac && m_sub.size() < MaxSubnegotiation)
                    m_sub.append(c);
                m_state = State::Sub;
            }
            break;
        }
    }
}

} // namespace krn
