#pragma once

#include <QFont>
#include <QPointer>
#include <QWidget>
#include <optional>

namespace krn {

// Lets the operator pick the clock font. Empty when the choice was cancelled.
class FontChooser {
public:
    virtual ~FontChooser() = default;
    virtual std::optional<QFont> choose(const QFont& initial) = 0;
};

// The modal font dialog.
class DialogFontChooser : public FontChooser {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    std::optional<QFont> choose(const QFont& initial) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace krn
