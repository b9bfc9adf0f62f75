#pragma once

#include <QDialog>
#include <QFont>
#include <QString>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace krn {

class GlyphSample;

// Why the clock glyphs drawn in `font` (after substitution) cannot go to the
// controller, in the operator's language: too tall for the drawing surface, or
// a glyph wider than its cell; "" when they fit.
QString clockFontProblem(const QFont& font, qint32 clockLanguage);

// The clock font chooser: face, size (points, decimals allowed), bold, italic,
// underline, and the glyph table as the screen will receive it. It opens on the
// face the program holds even when this computer lacks it, and refuses a size
// whose glyphs would not fit the controller's cells.
class ClockFontDialog : public QDialog {
    Q_OBJECT

public:
    explicit ClockFontDialog(QWidget* parent = nullptr);

    // Which clock the glyphs are for: 0 the Chinese clock, any other the English.
    void setClockLanguage(qint32 language);
    // The font the program holds; its face need not exist here.
    void setHeldFont(const QFont& font);
    // What the operator has chosen so far: the face as named (not its
    // substitute), the size as typed.
    QFont chosenFont() const;
    // Why the current choice cannot be taken; "" when it can.
    const QString& problem() const { return m_problem; }

    // Parts, for tests and for the screenshots.
    QListWidget* families() const { return m_families; }
    QComboBox* sizeBox() const { return m_size; }
    QCheckBox* boldBox() const { return m_bold; }
    QCheckBox* italicBox() const { return m_italic; }
    GlyphSample* sample() const { return m_sample; }
    QDialogButtonBox* buttons() const { return m_buttons; }

    void accept() override;

private:
    void fillFamilies(const QString& held);
    void filterFamilies(const QString& text);
    QString chosenFamily() const;
    std::optional<double> typedSize() const;
    // Redraws the sample and re-checks the choice.
    void refresh();

    qint32 m_clockLanguage = 0;
    QString m_problem;
    QLineEdit* m_find = nullptr;
    QListWidget* m_families = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    GlyphSample* m_sample = nullptr;
    QLabel* m_message = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

} // namespace krn
