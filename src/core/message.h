#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <initializer_list>

namespace krn {

// A reference to a text of the string table, rendered in the operator's
// language only when it is shown.
struct TextRef {
    quint16 id = 0;
};

// One argument of a message: a text of the table (a field's name, another
// message) or a literal (a number, a device path, what the operator typed).
struct TextArg {
    TextArg() = default;
    TextArg(TextRef ref) : id(ref.id) {}
    TextArg(QString text) : literal(std::move(text)) {}
    TextArg(const char16_t* text) : literal(QString::fromUtf16(text)) {}
    quint16 id = 0; // 0: the literal
    QString literal;
};

// What the engine has to say: a text id of the string table and its %1, %2...
// arguments. Layers below the front ends never render it; the front end does,
// in the operator's language.
struct Message {
    Message() = default;
    Message(quint16 textId, std::initializer_list<TextArg> arguments = {})
        : id(textId), args(arguments)
    {
    }
    bool isEmpty() const { return id == 0; }

    quint16 id = 0;
    QList<TextArg> args;
};

} // namespace krn
