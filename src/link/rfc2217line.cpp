#include "rfc2217line.h"

#include "core/failure.h"
#include "core/textids.h"

#include <QElapsedTimer>

#include <QtEndian>

namespace krn {

namespace {
// The options we take part in: 8-bit data both ways (a frame may hold CR NUL
// or anything else), no go-aheads, and the com-port option. The server's echo
// is refused: an echoed frame would be read as the screen's reply.
bool weWill(quint8 option)
{
    return option == telnet::Binary || option == telnet::SuppressGoAhead ||
           option == telnet::ComPort;
}
bool heMay(quint8 option)
{
    return option == telnet::Binary || option == telnet::SuppressGoAhead;
}

QByteArray comPort(quint8 command, QByteArray value)
{
    return telnet::subnegotiation(telnet::ComPort, value.prepend(char(command)));
}
} // namespace

Rfc2217Line::Rfc2217Line(std::chrono::milliseconds limit) : TcpLine(limit) {}

void Rfc2217Line::resetSession()
{
    m_decoder.reset();
    m_us.fill(OptionState::No);
    m_him.fill(OptionState::No);
    m_answers.fill(std::nullopt);
}

void Rfc2217Line::request(quint8 verb, quint8 option)
{
    auto& state = verb == telnet::Will ? m_us[option] : m_him[option];
    state = OptionState::WantYes;
    sendRaw(telnet::negotiation(verb, option));
}

static QByteArray baudValue(const LineSettings& settings)
{
    QByteArray baud(4, '\0');
    qToBigEndian(quint32(settings.baudRate), baud.data());
    return baud;
}

void Rfc2217Line::startSession(const LineSettings& settings)
{
    using namespace telnet;
    QElapsedTimer answer;
    answer.start();
    request(Will, Binary);
    request(Do, Binary);
    request(Will, SuppressGoAhead);
    request(Do, SuppressGoAhead);
    request(Will, ComPort);
    const bool answered =
        waitUntil([this] { return !connected() || m_us[ComPort] != OptionState::WantYes; });
    if (!connected())
        throw Failure(Message(strings::NetClosedWhileOpening, {hostPort()}));
    if (!answered)
        throw Failure(Message(strings::Rfc2217NoAnswer, {hostPort(), limitSeconds()}));
    if (m_us[ComPort] != OptionState::Yes)
        throw Failure(Message(strings::Rfc2217Refused, {hostPort()}));
    noteRoundTrip(std::chrono::microseconds(answer.nsecsElapsed() / 1000));

    sendRaw(comPort(SetBaudRate, baudValue(settings)) +
            comPort(SetDataSize, QByteArray(1, char(8))) +
            comPort(SetParity, QByteArray(1, char(OddParity))) +
            comPort(SetStopSize, QByteArray(1, char(OneStopBit))));
    awaitSettings({SetBaudRate, SetDataSize, SetParity, SetStopSize}, settings);
}

bool Rfc2217Line::setSpeed(const LineSettings& settings)
{
    if (!isOpen())
        throw Failure(Message(strings::NetNotOpen));
    startStep();
    m_answers[SetBaudRate].reset();
    sendRaw(comPort(SetBaudRate, baudValue(settings)));
    awaitSettings({SetBaudRate}, settings);
    return true;
}

void Rfc2217Line::awaitSettings(std::initializer_list<quint8> commands,
                                const LineSettings& settings)
{
    const auto allAnswered = [&] {
        for (const quint8 c : commands)
            if (!m_answers[c])
                return false;
        return true;
    };
    const bool settled = waitUntil([&] { return !connected() || allAnswered(); });
    if (!connected()) {
        // Gone while open: the line has said why.
        if (std::optional<Message> fault = takeFault())
            throw Failure(*fault);
        throw Failure(Message(strings::NetClosedWhileOpening, {hostPort()}));
    }
    if (!settled)
        throw Failure(Message(strings::Rfc2217NoAnswer, {hostPort(), limitSeconds()}));
    // (The answers come after the server has set its serial port: no
    // measure of the network.)
    const std::array<quint32, 5> wanted{0, quint32(settings.baudRate), 8, OddParity, OneStopBit};
    for (const quint8 c : commands)
        if (*m_answers[c] != wanted[c])
            throw Failure(Message(strings::Rfc2217SettingsRefused,
                                  {hostPort(), settingsText(settings), answeredText()}));
}

QString Rfc2217Line::answeredText() const
{
    const auto part = [this](int command, auto format) {
        return m_answers[command] ? format(*m_answers[command]) : QStringLiteral("?");
    };
    const QString baud = part(SetBaudRate, [](quint32 v) { return QString::number(v); });
    const QString size = part(SetDataSize, [](quint32 v) { return QString::number(v); });
    const QString parity = part(SetParity, [](quint32 v) {
        static constexpr char letters[] = "?NOEMS";
        return QString(QLatin1Char(v < 6 ? letters[v] : '?'));
    });
    const QString stop = part(SetStopSize, [](quint32 v) {
        return v == 2 ? QStringLiteral("2") : v == 3 ? QStringLiteral("1.5") : QStringLiteral("1");
    });
    return baud + QLatin1Char(' ') + size + parity + stop;
}

QByteArray Rfc2217Line::toWire(const QByteArray& data) const
{
    return telnet::escape(data);
}

void Rfc2217Line::fromWire(const QByteArray& bytes, QByteArray& input)
{
    QList<TelnetEvent> events;
    m_decoder.feed(bytes, input, events);
    for (const TelnetEvent& event : events)
        onEvent(event);
}

void Rfc2217Line::onEvent(const TelnetEvent& event)
{
    switch (event.kind) {
    case TelnetEvent::Kind::Negotiation:
        onNegotiation(event.code, event.option);
        break;
    case TelnetEvent::Kind::Subnegotiation:
        if (event.option == telnet::ComPort)
            onComPort(event.payload);
        break;
    case TelnetEvent::Kind::Command: // NOP, GA, DM, BRK...: nothing for a data line
        break;
    }
}

// RFC 1143: answer a request only when it changes the option's state, so two
// peers can never bounce requests back and forth.
void Rfc2217Line::onNegotiation(quint8 verb, quint8 option)
{
    using namespace telnet;
    const bool forUs = verb == Do || verb == Dont;
    auto& state = forUs ? m_us[option] : m_him[option];
    const bool enable = verb == Do || verb == Will;
    const quint8 yes = forUs ? Will : Do;
    const quint8 no = forUs ? Wont : Dont;
    if (enable) {
        if (state == OptionState::WantYes) {
            state = OptionState::Yes; // the answer to our request
        } else if (state == OptionState::No) {
            if (forUs ? weWill(option) : heMay(option)) {
                state = OptionState::Yes;
                sendQuietly(negotiation(yes, option));
            } else {
                sendQuietly(negotiation(no, option));
            }
        }
    } else if (state != OptionState::No) {
        // Refused (WantYes) needs no answer; switched off (Yes) is acknowledged.
        if (state == OptionState::Yes)
            sendQuietly(negotiation(no, option));
        state = OptionState::No;
    }
}

void Rfc2217Line::onComPort(const QByteArray& payload)
{
    if (payload.isEmpty())
        return;
    const quint8 command = quint8(payload[0]);
    const QByteArray value = payload.mid(1);
    switch (command) {
    case ServerOffset + Signature:
        // The server asks who we are (an empty signature); tell it.
        if (value.isEmpty())
            sendQuietly(comPort(Signature, QByteArrayLiteral("krntools")));
        break;
    case ServerOffset + SetBaudRate:
        if (value.size() >= 4)
            m_answers[SetBaudRate] = qFromBigEndian<quint32>(value.constData());
        break;
    case ServerOffset + SetDataSize:
    case ServerOffset + SetParity:
    case ServerOffset + SetStopSize:
        if (!value.isEmpty())
            m_answers[command - ServerOffset] = quint8(value[0]);
        break;
    default:
        // NOTIFY-LINESTATE, NOTIFY-MODEMSTATE, FLOWCONTROL-SUSPEND/RESUME and the
        // answers to commands we never send: a controller line has no use for them.
        break;
    }
}

} // namespace krn
