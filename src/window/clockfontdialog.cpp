#include "clockfontdialog.h"

#include "commands/command.h"

#include "commands/clockfont.h"
#include "core/failure.h"
#include "core/numtext.h"
#include "glyphfit.h"
#include "glyphsample.h"
#include "strings/stringtable.h"
#include "strings/viewids.h"
#include "textinview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace krn {

namespace {
using namespace strings;

// The sizes the common font dialog offers, with the half sizes Chinese
// typesetting uses.
const QStringList OfferedSizes{QStringLiteral("8"),    QStringLiteral("9"),  QStringLiteral("10"),
                               QStringLiteral("10.5"), QStringLiteral("11"), QStringLiteral("12"),
                               QStringLiteral("14"),   QStringLiteral("16"), QStringLiteral("18"),
                               QStringLiteral("20"),   QStringLiteral("24")};

QString points(double size)
{
    return QString::number(size, 'g', 6);
}
} // namespace

QString clockFontProblem(const QFont& font, qint32 clockLanguage)
{
    const glyphs::Fit fit = glyphs::measureFit(font, clockLanguage);
    const QString size = points(font.pointSizeF());
    if (fit.tooTall())
        return load(ChooserTooTall).arg(size).arg(fit.height).arg(glyphs::TallestLine);
    if (!fit.fits())
        return load(ChooserTooWide)
            .arg(size, QString(fit.overflowing))
            .arg(fit.inkWidth)
            .arg(fit.cellWidth);
    return {};
}

ClockFontDialog::ClockFontDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(load(ChooserTitle));

    m_find = new QLineEdit(this);
    m_find->setPlaceholderText(load(ChooserFind));
    m_find->setClearButtonEnabled(true);
    m_families = new QListWidget(this);
    m_families->setMinimumHeight(140);

    m_size = new QComboBox(this);
    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    m_size->addItems(OfferedSizes);
    // Digits with a full stop, as sizes are written; no sign, no exponent.
    m_size->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral(R"(\d{0,4}(\.\d{0,2})?)")), m_size));
    keepTextInView(*m_find);
    keepTextInView(*m_size->lineEdit());

    m_bold = new QCheckBox(load(ChooserBold), this);
    m_italic = new QCheckBox(load(ChooserItalic), this);
    m_underline = new QCheckBox(load(ChooserUnderline), this);

    m_sample = new GlyphSample(this);
    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    m_message->setStyleSheet(QStringLiteral("color: #c00000"));
    m_message->setObjectName(QStringLiteral("problem"));
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* style = new QHBoxLayout;
    style->addWidget(m_bold);
    style->addWidget(m_italic);
    style->addWidget(m_underline);
    style->addStretch();

    auto* form = new QFormLayout;
    form->addRow(load(ChooserFamily), m_find);
    form->addRow(QString(), m_families);
    form->addRow(load(ChooserSize), m_size);
    form->addRow(QString(), style);

    auto* all = new QVBoxLayout(this);
    all->addLayout(form);
    all->addWidget(new QLabel(load(ChooserSample), this));
    all->addWidget(m_sample);
    all->addWidget(m_message);
    all->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &ClockFontDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &ClockFontDialog::reject);
    connect(m_find, &QLineEdit::textChanged, this, &ClockFontDialog::filterFamilies);
    connect(m_families, &QListWidget::currentRowChanged, this, &ClockFontDialog::refresh);
    connect(m_size, &QComboBox::currentTextChanged, this, &ClockFontDialog::refresh);
    for (QCheckBox* box : {m_bold, m_italic, m_underline})
        connect(box, &QCheckBox::toggled, this, &ClockFontDialog::refresh);

    setHeldFont(QFont(QStringLiteral("Unifont"), 12));
}

void ClockFontDialog::setClockLanguage(qint32 language)
{
    m_clockLanguage = language;
    refresh();
}

void ClockFontDialog::fillFamilies(const QString& held)
{
    const QSignalBlocker quiet(m_families);
    m_families->clear();
    QStringList available = QFontDatabase::families();
    // The held face leads the list, marked, when this computer lacks it: the
    // operator confirms it by leaving it chosen.
    if (!held.isEmpty() && !available.contains(held, Qt::CaseInsensitive)) {
        auto* item = new QListWidgetItem(load(ChooserMissingFace).arg(held, clockFamilyFor(held)),
                                         m_families);
        item->setData(Qt::UserRole, held);
    }
    for (const QString& family : available) {
        auto* item = new QListWidgetItem(family, m_families);
        item->setData(Qt::UserRole, family);
    }
    for (int row = 0; row < m_families->count(); ++row) {
        if (m_families->item(row)
                ->data(Qt::UserRole)
                .toString()
                .compare(held, Qt::CaseInsensitive) == 0) {
            m_families->setCurrentRow(row);
            break;
        }
    }
}

void ClockFontDialog::filterFamilies(const QString& text)
{
    for (int row = 0; row < m_families->count(); ++row) {
        QListWidgetItem* item = m_families->item(row);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
    }
}

void ClockFontDialog::setHeldFont(const QFont& font)
{
    {
        const QSignalBlocker quiet(m_size);
        m_size->setEditText(points(font.pointSizeF() > 0 ? font.pointSizeF() : 12));
    }
    for (auto [box, on] : {std::pair{m_bold, font.bold()}, std::pair{m_italic, font.italic()},
                           std::pair{m_underline, font.underline()}}) {
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    }
    fillFamilies(font.family());
    refresh();
}

QString ClockFontDialog::chosenFamily() const
{
    const QListWidgetItem* item = m_families->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

std::optional<double> ClockFontDialog::typedSize() const
{
    const double size = leadingNumber(m_size->currentText());
    if (!(size > 0 && size <= LargestClockPoints))
        return std::nullopt;
    return size;
}

QFont ClockFontDialog::chosenFont() const
{
    QFont font;
    font.setFamily(chosenFamily());
    if (const auto size = typedSize())
        font.setPointSizeF(*size);
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    font.setUnderline(m_underline->isChecked());
    return font;
}

void ClockFontDialog::refresh()
{
    m_problem.clear();
    const std::optional<double> size = typedSize();
    if (!size) {
        m_problem = load(ChooserBadSize).arg(m_size->currentText());
    } else {
        // Drawn and measured as the download draws: in the substitute when
        // this computer lacks the face.
        const QFont drawn = resolvedClockFont(chosenFont());
        try {
            m_sample->setGlyphs(drawn, m_clockLanguage);
            m_problem = clockFontProblem(drawn, m_clockLanguage);
        } catch (const Failure& failure) {
            m_problem = strings::render(failure.message());
        }
    }
    m_message->setText(m_problem);
    m_message->setVisible(!m_problem.isEmpty());
}

void ClockFontDialog::accept()
{
    refresh();
    if (!m_problem.isEmpty())
        return; // the message says why; the operator picks again or cancels
    QDialog::accept();
}

} // namespace krn
