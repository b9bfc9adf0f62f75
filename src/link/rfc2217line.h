#pragma once

#include "tcpline.h"
#include "telnetdecoder.h"

#include <array>

namespace krn {

// A line through a serial device server that speaks Telnet with the com-port
// option (rfc2217://HOST:PORT). Opening negotiates the option and sets the
// server's serial port to the command's speed, 8 data bits, odd parity and 1
// stop bit, and waits for the server to confirm each; the link opens the line
// for every command, so every command goes out with its own settings. Data
// 0xFF bytes travel doubled; the server's Telnet commands and notifications
// never reach the data.
class Rfc2217Line : public TcpLine {
public:
    explicit Rfc2217Line(std::chrono::milliseconds limit = NetLineLimit);

    LineKind kind() const override { return LineKind::Rfc2217; }
    // SET-BAUDRATE on the open connection, and the server's confirmation.
    bool setSpeed(const LineSettings& settings) override;

    // Com-port option sub-commands (the server answers with these + 100).
    enum ComPortCommand : quint8 {
        Signature = 0,
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        ServerOffset = 100,
    };
    static constexpr quint8 OddParity = 2;
    static constexpr quint8 OneStopBit = 1;

protected:
    void resetSession() override;
    void startSession(const LineSettings& settings) override;
    void fromWire(const QByteArray& bytes, QByteArray& input) override;
    QByteArray toWire(const QByteArray& data) const override;

private:
    // One side's state of one option, as RFC 1143 keeps it; enough to answer
    // every request once and never loop.
    enum class OptionState : quint8 { No, WantYes, Yes };

    void onEvent(const TelnetEvent& event);
    void onNegotiation(quint8 verb, quint8 option);
    void onComPort(const QByteArray& payload);
    void request(quint8 verb, quint8 option);
    // The settings the server reported, "9600 8O1" (parts it never named: "?").
    QString answeredText() const;
    // Waits for the server's answers to the SET commands in `commands`;
    // throws when it hangs up, does not answer in time or answers otherwise.
    void awaitSettings(std::initializer_list<quint8> commands, const LineSettings& settings);

    TelnetDecoder m_decoder;
    std::array<OptionState, 256> m_us{};  // options we perform (WILL / WONT)
    std::array<OptionState, 256> m_him{}; // options the server performs (DO / DONT)
    // The server's answers to our SET commands, indexed by sub-command.
    std::array<std::optional<quint32>, 5> m_answers{};
};

} // namespace krn
