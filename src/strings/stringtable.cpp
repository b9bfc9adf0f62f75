#include "stringtable.h"

#include "core/failure.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <iterator>

namespace krn::strings {

namespace {

struct Entry {
    quint16 id;
    const char16_t* simplified;
    const char16_t* traditional;
    const char16_t* english;
};

// Sorted by id. Blanks, full-width punctuation, "℃" and the '&' access-key
// marker are part of the texts: screens and captions show them as they stand.
constexpr std::array kTable{
    Entry{1, u"出错提示", u"出錯提示", u"Error prompt"},
    Entry{4, u"宋体", u"新細明體", u"Arial"},
    Entry{7, u"提示窗口", u"提示窗口", u"Prompt Window"},
    Entry{51, u"请输入登录密码", u"請輸入登錄密碼", u"enter the password"},
    Entry{60, u"硬件控制系统没找到！", u"硬體控制系統沒找到！",
          u"The hardware control system can't be find!"},
    Entry{492, u"设置参数完成！", u"設置參數完成！", u"Set parameter ok!"},
    Entry{1056, u"通讯出错--发送字节中", u"通訊出錯--發送字節中", u"error--sending byte..."},
    Entry{1070, u"通讯出错！", u"通訊出錯！", u"Send error!"},
    Entry{1590, u"时钟格式设置", u"時鐘格式設置", u"set clock mode"},
    Entry{1591, u"时钟版本", u"時鐘版本", u"clock copyright"},
    Entry{1592, u"字体设置", u"字體設置", u"set font"},
    Entry{1593, u"中文版", u"中文版", u"chinese"},
    Entry{1594, u"英文版", u"英文版", u"english"},
    Entry{1595, u"℃星期日星期一星期二星期三星期四星期五星期六",
          u"℃星期日星期一星期二星期三星期四星期五星期六", u"()"},
    Entry{1596, u"()", u"()", u"()"},
    Entry{1597, u"()", u"()", u"()"},
    Entry{1598, u"()", u"()", u"()"},
    Entry{2173, u" 星期", u" 星期", u" Week "},
    Entry{2181, u"日一二三四五六", u"日一二三四五六", u"7123456"},
    Entry{2238, u"日一二三四五六", u"日一二三四五六", u"7123456"},
    Entry{4408, u"屏  号", u"屏  號", u"Number"},
    Entry{4454, u"星期", u"星期", u"Week "},
    Entry{4491, u"加载", u"載入", u"&Write"},
    Entry{9100,
          u"设置文件无法保存：程序所在的文件夹和您的配置文件夹都不能写入。"
          u"本次所做的选择在程序关闭前有效，下次启动时不会被记住。",
          u"設定檔無法儲存：程式所在的資料夾和您的設定資料夾都不能寫入。"
          u"本次所做的選擇在程式關閉前有效，下次啟動時不會被記住。",
          u"The settings cannot be saved: neither the program's folder nor your configuration "
          u"folder can be written. The choices you make now last until the program closes and "
          u"will not be remembered next time."},
};

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

} // namespace

Language languageFor(const QLocale& locale)
{
    if (locale.language() != QLocale::Chinese)
        return Language::English;
    // QLocale completes the script from the territory: zh_TW, zh_HK and zh_MO
    // come out as Hant, zh_CN and zh_SG as Hans.
    return locale.script() == QLocale::TraditionalHanScript ? Language::TraditionalChinese
                                                            : Language::SimplifiedChinese;
}

QString load(quint16 id, Language language)
{
    const auto it = std::lower_bound(kTable.begin(), kTable.end(), id,
                                     [](const Entry& e, quint16 wanted) { return e.id < wanted; });
    if (it == kTable.end() || it->id != id)
        throw Failure(
            QCoreApplication::translate("krn", "The text number %1 is missing from the program.")
                .arg(id));
    switch (language) {
    case Language::SimplifiedChinese:
        return QString::fromUtf16(it->simplified);
    case Language::TraditionalChinese:
        return QString::fromUtf16(it->traditional);
    case Language::English:
        break;
    }
    return QString::fromUtf16(it->english);
}

QString load(quint16 id)
{
    return load(id, languageFor(QLocale()));
}

} // namespace krn::strings
