#pragma once

#include "line.h"

#include <memory>

namespace krn {

// The line the program uses: at each open() the address decides which line it
// is. tcp://HOST:PORT goes through a device server's raw TCP port,
// rfc2217://HOST:PORT through its Telnet com-port option, anything else is a
// serial device for the serial backend. Every other operation goes to the
// line last opened.
class AnyLine : public Line {
public:
    explicit AnyLine(std::unique_ptr<Line> serial);
    // For tests: the network lines to use instead of the usual ones.
    AnyLine(std::unique_ptr<Line> serial, std::unique_ptr<Line> tcp, std::unique_ptr<Line> rfc2217);
    ~AnyLine() override;

    bool isOpen() const override;
    void open(const QString& address, const LineSettings& settings) override;
    void close() override;
    qint64 bytesWaiting() override;
    void discardInput() override;
    QByteArray readAll() override;
    void write(const QByteArray& bytes) override;
    std::optional<Message> takeFault() override;
    LineKind kind() const override;
    bool setSpeed(const LineSettings& settings) override;
    qint64 wireBytes() const override;
    std::chrono::microseconds roundTrip() const override;

private:
    Line& lineFor(const QString& address);
    Line& current() const { return *m_current; }

    std::unique_ptr<Line> m_serial;
    std::unique_ptr<Line> m_tcp;     // made at first use
    std::unique_ptr<Line> m_rfc2217; // made at first use
    Line* m_current = nullptr;       // the line last opened; the serial one at first
};

} // namespace krn
