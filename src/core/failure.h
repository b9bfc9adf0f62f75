#pragma once

#include <QString>
#include <exception>

namespace krn {

// A failure the operator is told about. The description is shown as the body of
// the message box, so it must read as plain words, not as a code.
class Failure : public std::exception {
public:
    explicit Failure(QString description)
        : m_description(std::move(description)), m_utf8(m_description.toUtf8())
    {
    }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_description;
    QByteArray m_utf8;
};

} // namespace krn
