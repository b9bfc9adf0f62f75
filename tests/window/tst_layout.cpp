#include "window/controltable.h"
#include "windowharness.h"

namespace {
QString containerOf(const QWidget* c, const QWidget* window)
{
    return c->parentWidget() == window ? u"window"_s : c->parentWidget()->objectName();
}
} // namespace

class TestLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void controlsAsDesigned();
    void windowAndStates();
    void replacedTexts_data();
    void replacedTexts();
    void tabOrder();
};

// Every control sits in its container at its place, with its caption and
// starting state; nothing sticks out of its frame and no two controls of one
// container overlap, except the password and hardware frames that take turns.
void TestLayout::controlsAsDesigned()
{
    WindowHarness h;
    krn::KRN_Tools& w = h.start();
    const QSet<QString> replaced{u"FramePass"_s, u"FrameNo(3)"_s, u"CmdOk(4)"_s, u"LabTime"_s};
    QList<QWidget*> built;
    for (const krn::ControlRow& r : krn::controlTable()) {
        const QString name = QString::fromLatin1(r.control);
        auto* c = w.findChild<QWidget*>(name);
        QVERIFY2(c, r.control);
        built << c;
        QCOMPARE(containerOf(c, &w), QString::fromLatin1(r.container));
        QCOMPARE(c->geometry(), QRect(r.left / 15, r.top / 15, r.width / 15, r.height / 15));
        QCOMPARE(c->isHidden(), r.start == krn::Start::Hidden);
        QCOMPARE(c->isEnabled(), r.start != krn::Start::Disabled);
        const QString caption = QString::fromUtf16(r.caption);
        if (auto* frame = qobject_cast<QGroupBox*>(c); frame && !replaced.contains(name))
            QCOMPARE(frame->title(), caption);
        if (auto* button = qobject_cast<QPushButton*>(c); button && !replaced.contains(name))
            QCOMPARE(button->text(), caption);
        if (auto* label = qobject_cast<QLabel*>(c); label && !replaced.contains(name))
            QCOMPARE(label->text(), caption);
    }

    // A few places converted by hand from twips.
    const std::pair<const char*, QRect> known[]{
        {"ComboNo(2)", {74, 70, 94, 20}}, {"ComboNo(10)", {70, 54, 70, 20}},
        {"CmdOk(6)", {86, 42, 23, 21}},   {"FrameNo(4)", {460, 44, 154, 199}},
        {"TextPass", {22, 26, 91, 20}},   {"PicFont", {316, 338, 32, 32}},
    };
    for (const auto& [name, rect] : known)
        QCOMPARE(w.findChild<QWidget*>(QString::fromLatin1(name))->geometry(), rect);

    // The arrays hold their members by index.
    const krn::Controls& ui = h.ui();
    auto named = [](const QWidget* c, const char* array, std::size_t i) {
        return c->objectName() == u"%1(%2)"_s.arg(QLatin1StringView(array)).arg(i);
    };
    for (std::size_t i = 0; i < 11; ++i) {
        QVERIFY(named(ui.ComboNo[i], "ComboNo", i));
        QVERIFY(i >= 10 || named(ui.CmdOk[i], "CmdOk", i));
        QVERIFY(i >= 10 || named(ui.LabelName[i], "LabelName", i));
        QVERIFY(i >= 5 || named(ui.FrameNo[i], "FrameNo", i));
        QVERIFY(i >= 5 || named(ui.ComboNoNo[i], "ComboNoNo", i));
        QVERIFY(i >= 5 || named(ui.LabNoNo[i], "LabNoNo", i));
    }

    const QRect client(0, 0, 627, 312);
    for (QWidget* c : built) {
        if (c == ui.PicFont) {
            QVERIFY2(!client.intersects(c->geometry()), "the glyph canvas is never seen");
            continue;
        }
        QVERIFY2(
            (c->parentWidget() == &w ? client : c->parentWidget()->rect()).contains(c->geometry()),
            qPrintable(c->objectName()));
        for (QWidget* other : built) {
            const bool turns =
                QSet<QWidget*>{c, other} == QSet<QWidget*>{ui.FramePass, ui.FrameNo[4]};
            if (other != c && other->parentWidget() == c->parentWidget() && !turns)
                QVERIFY2(!c->geometry().intersects(other->geometry()),
                         qPrintable(c->objectName() + u" overlaps "_s + other->objectName()));
        }
    }
}

void TestLayout::windowAndStates()
{
    WindowHarness h;
    krn::KRN_Tools& w = h.start();
    QVERIFY(h.show());
    const krn::Controls& ui = h.ui();
    QCOMPARE(w.windowTitle(), u"duzov V2.1 --- 15.通用显示屏"_s);
    QCOMPARE(w.size(), QSize(627, 312));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!w.windowIcon().isNull() && !ui.CmdOk[6]->icon().isNull());
    QVERIFY(w.timer().isActive());
    QCOMPARE(w.timer().interval(), 1000);

    for (std::size_t i = 0; i < ui.ComboNo.size(); ++i)
        QCOMPARE(ui.ComboNo[i]->isEditable(), i == 5 || i == 6);
    QCOMPARE(ui.ComboNo[0]->currentText(), u"232串行口通讯"_s);
    QTest::mouseClick(ui.ComboNo[0], Qt::LeftButton);
    QVERIFY2(!ui.ComboNo[0]->view()->isVisible(), "the communication mode cannot be opened");
    for (QWidget* hidden : {static_cast<QWidget*>(ui.CmdOk[1]), static_cast<QWidget*>(ui.FramePass),
                            static_cast<QWidget*>(ui.FrameNo[4]), ui.PicFont})
        QVERIFY(!hidden->isVisible());

    QTest::keyClicks(ui.TextPass, u"427"_s);
    QCOMPARE(ui.TextPass->displayText(), u"***"_s);
}

void TestLayout::replacedTexts_data()
{
    QTest::addColumn<QLocale>("locale");
    // FramePass, FrameNo(3), CmdOk(4), the two tooltips, the two clock languages
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("English") << QLocale(QLocale::English, QLocale::UnitedKingdom)
                             << QStringList{u"enter the password"_s,
                                            u"set clock mode"_s,
                                            u"&Write"_s,
                                            u"clock copyright"_s,
                                            u"set font"_s,
                                            u"chinese"_s,
                                            u"english"_s};
    QTest::newRow("Simplified") << QLocale(QLocale::Chinese, QLocale::China)
                                << QStringList{u"请输入登录密码"_s, u"时钟格式设置"_s, u"加载"_s,
                                               u"时钟版本"_s,       u"字体设置"_s,     u"中文版"_s,
                                               u"英文版"_s};
    QTest::newRow("Traditional") << QLocale(QLocale::Chinese, QLocale::Taiwan)
                                 << QStringList{u"請輸入登錄密碼"_s, u"時鐘格式設置"_s, u"載入"_s,
                                                u"時鐘版本"_s,       u"字體設置"_s,     u"中文版"_s,
                                                u"英文版"_s};
}

void TestLayout::replacedTexts()
{
    QFETCH(QLocale, locale);
    QFETCH(QStringList, texts);
    QLocale::setDefault(locale);
    WindowHarness h;
    h.start();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const krn::Controls& ui = h.ui();
    QCOMPARE((QStringList{ui.FramePass->title(), ui.FrameNo[3]->title(), ui.CmdOk[4]->text(),
                          ui.ComboNo[8]->toolTip(), ui.CmdOk[6]->toolTip(),
                          ui.ComboNo[8]->itemText(0), ui.ComboNo[8]->itemText(1)}),
             texts);
    // Everything else stays as designed, whatever the language.
    QCOMPARE(ui.FrameNo[0]->title(), u"通讯方式"_s);
    QCOMPARE(ui.CmdOk[8]->text(), u"复位"_s);
}

// Tab walks the shown, enabled controls in the designed order.
void TestLayout::tabOrder()
{
    WindowHarness h;
    h.start();
    QVERIFY(h.show());
    h.ui().ComboNo[1]->setFocus();
    auto focused = [] {
        QWidget* f = QApplication::focusWidget();
        while (f && f->objectName().isEmpty()) // an editable box's line edit
            f = f->parentWidget();
        return f ? f->objectName() : QString();
    };
    QStringList walked{focused()};
    for (int i = 0; i < 17; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << focused();
    }
    QCOMPARE(walked.join(u' '),
             u"ComboNo(1) ComboNo(2) ComboNo(4) ComboNo(6) ComboNo(5) ComboNo(3) ComboNo(7) "
             "CmdOk(3) CmdOk(4) ComboNo(8) CmdOk(2) CmdOk(7) CmdOk(8) ComboNo(9) CmdOk(6) "
             "CmdOk(9) ComboNo(10) ComboNo(1)"_s);
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
