#pragma once

#include "message.h"

#include <exception>

namespace krn {

// A failure the operator is told about, as a message of the string table: the
// front end renders it in the operator's language.
class Failure : public std::exception {
public:
    explicit Failure(Message message) : m_message(std::move(message)) {}
    const Message& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return "krn::Failure"; }

private:
    Message m_message;
};

} // namespace krn
