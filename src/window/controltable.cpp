#include "controltable.h"

#include "clockpreview.h"
#include "icons.h"
#include "textinview.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <vector>

namespace krn {

namespace {

using enum Kind;
using enum Start;

// clang-format off
constexpr std::array kControls{
//  container      control          kind           start     caption                    L     T     W     H   tab
    ControlRow{"window",     "FrameNo(0)",   Frame,         Shown,    u"通讯方式",               90,   90, 2910, 1875,  0},
    ControlRow{"FrameNo(0)", "LabelName(0)", Label,         Shown,    u"通讯方式",               60,  300,  900,  240,  4},
    ControlRow{"FrameNo(0)", "ComboNo(0)",   List,          Disabled, u"",                     1080,  255, 1680,  300,  1},
    ControlRow{"FrameNo(0)", "LabelName(1)", Label,         Shown,    u"串行口",                 90,  690,  900,  240,  2},
    ControlRow{"FrameNo(0)", "ComboNo(1)",   List,          Shown,    u"",                     1110,  660, 1050,  300,  6},
    ControlRow{"FrameNo(0)", "LabelName(2)", Label,         Shown,    u"波特率",                 60, 1095,  900,  240,  3},
    ControlRow{"FrameNo(0)", "ComboNo(2)",   List,          Shown,    u"",                     1110, 1050, 1410,  300,  7},
    ControlRow{"FrameNo(0)", "LabelName(3)", Label,         Shown,    u"屏号",                  180, 1500,  795,  240, 17},
    ControlRow{"FrameNo(0)", "ComboNo(3)",   List,          Shown,    u"",                     1110, 1440, 1020,  300, 16},
    ControlRow{"window",     "FrameNo(1)",   Frame,         Shown,    u"显示屏属性",           3120,   90, 2370, 1875,  8},
    ControlRow{"FrameNo(1)", "LabelName(4)", Label,         Shown,    u"颜色",                   90,  300,  795,  240, 10},
    ControlRow{"FrameNo(1)", "ComboNo(4)",   List,          Shown,    u"",                     1080,  240, 1020,  300,  9},
    ControlRow{"FrameNo(1)", "LabelName(5)", Label,         Shown,    u"宽度",                   90,  720,  795,  240, 15},
    ControlRow{"FrameNo(1)", "ComboNo(5)",   EditableList,  Shown,    u"ComboNo",              1080,  660, 1020,  300, 13},
    ControlRow{"FrameNo(1)", "LabelName(6)", Label,         Shown,    u"高度",                   90, 1080,  795,  240, 14},
    ControlRow{"FrameNo(1)", "ComboNo(6)",   EditableList,  Shown,    u"ComboNo",              1080, 1050, 1020,  300, 12},
    ControlRow{"FrameNo(1)", "LabelName(9)", Label,         Shown,    u"扫描方式",               90, 1470,  795,  240, 43},
    ControlRow{"FrameNo(1)", "ComboNo(9)",   List,          Shown,    u"",                     1080, 1440, 1020,  300, 42},
    ControlRow{"window",     "FrameNo(2)",   Frame,         Shown,    u"更改显示屏参数",         90, 2100, 5430, 1275, 11},
    ControlRow{"FrameNo(2)", "LabelName(7)", Label,         Shown,    u"波特率",                 60,  300,  900,  240, 19},
    ControlRow{"FrameNo(2)", "ComboNo(7)",   List,          Shown,    u"",                     1050,  270, 1050,  300, 18},
    ControlRow{"FrameNo(2)", "CmdOk(3)",     Button,        Shown,    u"更改",                 2160,  210,  945,  405, 20},
    ControlRow{"FrameNo(2)", "LabelName(8)", Label,         Shown,    u"屏号",                   90,  840,  900,  240, 49},
    ControlRow{"FrameNo(2)", "ComboNo(10)",  List,          Shown,    u"",                     1050,  810, 1050,  300, 48},
    ControlRow{"FrameNo(2)", "CmdOk(9)",     Button,        Shown,    u"更改",                 2160,  750,  945,  405, 47},
    ControlRow{"window",     "FrameNo(3)",   Frame,         Shown,    u"时钟格式设置",           90, 3510, 5400, 1095, 21},
    ControlRow{"FrameNo(3)", "LabTime",      Label,         Shown,    u" 08-01-01 星期一 01:02:03", 150, 300, 3375, 240, 36},
    ControlRow{"FrameNo(3)", "ComboNo(8)",   List,          Shown,    u"",                      150,  630, 1050,  300, 23},
    ControlRow{"FrameNo(3)", "CmdOk(6)",     PictureButton, Shown,    u"",                     1290,  630,  345,  315, 46},
    ControlRow{"FrameNo(3)", "CmdOk(4)",     Button,        Shown,    u"加载",                 4320,  210,  945,  405, 22},
    ControlRow{"window",     "CmdOk(1)",     Button,        Hidden,   u"查找屏",               5640,  150,  945,  405,  5},
    ControlRow{"window",     "CmdOk(7)",     Button,        Shown,    u"加载",                 5640,  780,  945,  405, 40},
    ControlRow{"window",     "CmdOk(8)",     Button,        Shown,    u"复位",                 5640, 1230,  945,  405, 41},
    ControlRow{"window",     "CmdOk(2)",     Button,        Shown,    u"高级配置",             7440,  150,  945,  405, 39},
    ControlRow{"window",     "FramePass",    Frame,         Hidden,   u"请输入密码",           7020, 1020, 2055, 1515, 37},
    ControlRow{"FramePass",  "TextPass",     PasswordBox,   Shown,    u"",                      330,  390, 1365,  300, 38},
    ControlRow{"FramePass",  "CmdOk(0)",     Button,        Shown,    u"确定",                  570,  840,  945,  405, 44},
    ControlRow{"window",     "FrameNo(4)",   Frame,         Hidden,   u"硬件属性",             6900,  660, 2310, 2985, 24},
    ControlRow{"FrameNo(4)", "LabNoNo(0)",   Label,         Shown,    u"OE极性",                150,  300,  795,  240, 26},
    ControlRow{"FrameNo(4)", "ComboNoNo(0)", List,          Shown,    u"",                     1080,  240, 1020,  300, 25},
    ControlRow{"FrameNo(4)", "LabNoNo(1)",   Label,         Shown,    u"字节顺序",              150,  660,  795,  240, 28},
    ControlRow{"FrameNo(4)", "ComboNoNo(1)", List,          Shown,    u"",                     1080,  600, 1020,  300, 27},
    ControlRow{"FrameNo(4)", "LabNoNo(2)",   Label,         Shown,    u"字节取反",              150, 1020,  795,  240, 30},
    ControlRow{"FrameNo(4)", "ComboNoNo(2)", List,          Shown,    u"",                     1080,  960, 1020,  300, 29},
    ControlRow{"FrameNo(4)", "LabNoNo(3)",   Label,         Shown,    u"绕线次数",              120, 1440,  795,  240, 32},
    ControlRow{"FrameNo(4)", "ComboNoNo(3)", List,          Shown,    u"",                     1080, 1380, 1020,  300, 31},
    ControlRow{"FrameNo(4)", "LabNoNo(4)",   Label,         Shown,    u"绕线方式",              150, 1800,  795,  240, 34},
    ControlRow{"FrameNo(4)", "ComboNoNo(4)", List,          Shown,    u"",                     1080, 1800, 1020,  300, 33},
    ControlRow{"FrameNo(4)", "CmdOk(5)",     Button,        Shown,    u"加载",                  660, 2460,  945,  405, 35},
    ControlRow{"window",     "PicFont",      PictureBox,    Hidden,   u"",                     4740, 5070,  480,  480, 45},
};
// clang-format on

const QString ListFace = QStringLiteral("宋体");
const QColor PureBlue(0, 0, 255);
const QColor PureRed(255, 0, 0);

QFont face(const QString& family, double points)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setWeight(QFont::Normal);
    return f;
}

// Disabled controls keep the style's greyed look.
void setColour(QWidget& w, QPalette::ColorRole role, const QColor& colour)
{
    QPalette p = w.palette();
    p.setColor(QPalette::Active, role, colour);
    p.setColor(QPalette::Inactive, role, colour);
    w.setPalette(p);
}

QWidget* create(const ControlRow& row, QWidget& parent)
{
    const QString caption = QString::fromUtf16(row.caption);
    switch (row.kind) {
    case Frame:
        return new QGroupBox(caption, &parent);
    case Label: {
        auto* label = new QLabel(caption, &parent);
        setColour(*label, QPalette::WindowText, Qt::black);
        return label;
    }
    case List:
    case EditableList: {
        auto* list = new QComboBox(&parent);
        list->setFont(face(ListFace, 9));
        setColour(*list, QPalette::Base, Qt::white);
        setColour(*list, QPalette::Text, Qt::black);
        setColour(*list, QPalette::ButtonText, Qt::black);
        if (row.kind == EditableList) {
            list->setEditable(true);
            // The box takes what is typed as it stands: no completion, and
            // Enter adds nothing to the list.
            list->setCompleter(nullptr);
            list->setInsertPolicy(QComboBox::NoInsert);
            list->setEditText(caption);
            keepTextInView(*list->lineEdit());
        }
        return list;
    }
    case Button: {
        auto* button = new QPushButton(caption, &parent);
        button->setFont(face(ListFace, 9));
        return button;
    }
    case PictureButton: {
        auto* button = new QPushButton(&parent);
        button->setIcon(icons::fontIcon());
        button->setIconSize(QSize(16, 16));
        return button;
    }
    case PasswordBox: {
        auto* box = new QLineEdit(&parent);
        box->setEchoMode(QLineEdit::Password);
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
        box->setFont(face(QStringLiteral("Arial"), 15.75));
        keepTextInView(*box);
        return box;
    }
    case PictureBox: {
        auto* box = new QWidget(&parent);
        setColour(*box, QPalette::Window, Qt::black);
        setColour(*box, QPalette::WindowText, PureRed);
        box->setAutoFillBackground(true);
        return box;
    }
    }
    return nullptr;
}

// "ComboNo(10)" -> {"ComboNo", 10}; a name without an index gives -1.
std::pair<QString, int> splitName(const char* name)
{
    const QString text = QString::fromLatin1(name);
    const qsizetype open = text.indexOf(u'(');
    if (open < 0)
        return {text, -1};
    return {text.left(open), text.mid(open + 1, text.size() - open - 2).toInt()};
}

template <typename T, std::size_t N> void place(std::array<T*, N>& array, int index, QWidget* w)
{
    Q_ASSERT(index >= 0 && std::size_t(index) < N);
    array[std::size_t(index)] = qobject_cast<T*>(w);
    Q_ASSERT(array[std::size_t(index)]);
}

void assign(Controls& c, const char* name, QWidget* w)
{
    const auto [array, index] = splitName(name);
    if (array == u"FrameNo")
        place(c.FrameNo, index, w);
    else if (array == u"CmdOk")
        place(c.CmdOk, index, w);
    else if (array == u"ComboNo")
        place(c.ComboNo, index, w);
    else if (array == u"LabelName")
        place(c.LabelName, index, w);
    else if (array == u"ComboNoNo")
        place(c.ComboNoNo, index, w);
    else if (array == u"LabNoNo")
        place(c.LabNoNo, index, w);
    else if (array == u"FramePass")
        c.FramePass = qobject_cast<QGroupBox*>(w);
    else if (array == u"TextPass")
        c.TextPass = qobject_cast<QLineEdit*>(w);
    else if (array == u"LabTime")
        c.LabTime = qobject_cast<QLabel*>(w);
    else if (array == u"PicFont")
        c.PicFont = w;
}

} // namespace

QRect pixelRect(const ControlRow& row)
{
    return QRect(twipsToPixels(row.left), twipsToPixels(row.top), twipsToPixels(row.width),
                 twipsToPixels(row.height));
}

std::span<const ControlRow> controlTable()
{
    return kControls;
}

Controls buildControls(QWidget& form)
{
    form.setFont(face(QStringLiteral("Arial"), 9));

    Controls controls;
    QHash<QString, QWidget*> containers{{QStringLiteral("window"), &form}};
    std::vector<std::pair<int, QWidget*>> tabOrder;

    for (const ControlRow& row : kControls) {
        QWidget* parent = containers.value(QString::fromLatin1(row.container));
        Q_ASSERT(parent);
        QWidget* w = create(row, *parent);
        w->setObjectName(QString::fromLatin1(row.control));
        w->setGeometry(pixelRect(row));
        if (row.start == Hidden)
            w->hide();
        if (row.start == Disabled)
            w->setEnabled(false);
        if (row.kind == Frame)
            containers.insert(w->objectName(), w);
        if (w->focusPolicy() != Qt::NoFocus)
            tabOrder.emplace_back(row.tab, w);
        assign(controls, row.control, w);
    }

    std::sort(tabOrder.begin(), tabOrder.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);

    // The group captions are pure blue; the controls inside keep their own
    // colours, set above.
    for (QGroupBox* frame : controls.FrameNo) {
        setColour(*frame, QPalette::WindowText, PureBlue);
        setColour(*frame, QPalette::Text, PureBlue);
    }

    QLabel& clock = *controls.LabTime;
    clock.setAutoFillBackground(true);
    setColour(clock, QPalette::Window, Qt::black);
    setColour(clock, QPalette::WindowText, PureRed);
    clock.setFont(face(ListFace, 12));
    paintAsClock(clock);

    return controls;
}

} // namespace krn
