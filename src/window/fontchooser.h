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
    // `initial` is the font the program holds; its face may be one this
    // computer lacks.
    virtual std::optional<QFont> choose(const QFont& initial) = 0;

    // Which clock the glyphs are for (0 Chinese, any other English): the
    // chooser checks that they fit the controller's cells.
    void setClockLanguage(qint32 language) { m_clockLanguage = language; }

protected:
    qint32 m_clockLanguage = 0;
};

// The program's own clock font dialog (ClockFontDialog), modal.
class DialogFontChooser : public FontChooser {
public:
    void setParent(QWidget* parent) { m_parent = parent; }
    std::optional<QFont> choose(const QFont& initial) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace krn
