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
    Entry{9200, u"没有给出命令。", u"沒有給出命令。", u"No command given."},
    Entry{9201, u"未知命令“%1”。", u"未知命令「%1」。", u"Unknown command \"%1\"."},
    Entry{9202, u"未知选项 %1。", u"未知選項 %1。", u"Unknown option %1."},
    Entry{9203, u"%1 缺少值。", u"%1 缺少值。", u"%1 needs a value."},
    Entry{9204, u"%1 %2 不是可用的波特率；可选 9600、19200、38400、57600。",
          u"%1 %2 不是可用的鮑率；可選 9600、19200、38400、57600。",
          u"%1 %2 is not a line speed; use 9600, 19200, 38400 or 57600."},
    Entry{9205, u"%1 %2 不是屏号列表；请用 %3 到 %4 的数字和范围，例如 1,3,7-12。",
          u"%1 %2 不是屏號列表；請用 %3 到 %4 的數字和範圍，例如 1,3,7-12。",
          u"%1 %2 is not a list of screen numbers; use numbers %3 to %4 and ranges such as "
          u"1,3,7-12."},
    Entry{9206, u"%1 %2 不是串口；请给出从 1 开始的串口号或设备路径。",
          u"%1 %2 不是串列埠；請給出從 1 開始的埠號或裝置路徑。",
          u"%1 %2 is not a port; give a port number from 1 up or a device path."},
    Entry{9207, u"%1 %2 超出 %3 到 %4 的范围。", u"%1 %2 超出 %3 到 %4 的範圍。",
          u"%1 %2 is outside %3 to %4."},
    Entry{9208, u"%1 %2 无效；可选：%3。", u"%1 %2 無效；可選：%3。", u"%1 %2 is not one of: %3."},
    Entry{9209, u"命令 %1 需要 %2。", u"命令 %1 需要 %2。", u"The command %1 needs %2."},
    Entry{9210, u"多余的参数“%1”。", u"多餘的參數「%1」。", u"Unexpected argument \"%1\"."},
    Entry{9211, u"%1 给出的密码不正确。", u"%1 給出的密碼不正確。",
          u"The password given with %1 is not correct."},
    Entry{9212, u"%1 %2 不是整数。", u"%1 %2 不是整數。", u"%1 %2 is not a whole number."},
    Entry{9213, u"选项 %1 不属于命令 %2。", u"選項 %1 不屬於命令 %2。",
          u"The option %1 does not belong to the command %2."},
    Entry{9214, u"命令 %1 一次只能改一块屏，但 %2 %3 给出了多块。",
          u"命令 %1 一次只能改一塊屏，但 %2 %3 給出了多塊。",
          u"The command %1 changes one screen at a time, but %2 %3 names several."},
    Entry{9215, u"用 --help 查看用法。", u"用 --help 查看用法。", u"Try --help for the usage."},
    Entry{9216, u"%1 的值不能为空。", u"%1 的值不能為空。", u"%1 needs a value that is not empty."},
    Entry{9220, u"屏号 %1，%2 bit/s，%3：%4（%5 ms）", u"屏號 %1，%2 bit/s，%3：%4（%5 ms）",
          u"Screen %1 at %2 bit/s, %3: %4 (%5 ms)"},
    Entry{9221, u"屏回答了 %1，不是确认。", u"屏回答了 %1，不是確認。",
          u"The screen answered %1, not an acknowledgement."},
    Entry{9222, u"全部 %1 块屏已完成。", u"全部 %1 塊屏已完成。", u"All %1 screens done."},
    Entry{9223, u"%1 块屏中 %2 块已完成；未完成的屏号：%3。",
          u"%1 塊屏中 %2 塊已完成；未完成的屏號：%3。", u"%2 of %1 screens done; not done: %3."},
    Entry{9224, u"屏号 %1，%2 bit/s，%3：%4", u"屏號 %1，%2 bit/s，%3：%4",
          u"Screen %1 at %2 bit/s, %3: %4"},
    Entry{9225, u"串口\t设备\t描述\t厂商\t序列号", u"埠\t裝置\t描述\t廠商\t序號",
          u"Port\tDevice\tDescription\tMaker\tSerial number"},
    Entry{9226, u"没有找到串口。", u"沒有找到串列埠。", u"No serial ports found."},
    Entry{9227, u"无法打开 %1（%2 bit/s）：%3", u"無法開啟 %1（%2 bit/s）：%3",
          u"%1 at %2 bit/s could not be opened: %3"},
    Entry{9228, u"无法写入通讯记录 %1：%2", u"無法寫入通訊記錄 %1：%2",
          u"The traffic log %1 cannot be written: %2"},
    Entry{9229,
          u"用法：krntools-cli [选项] 命令 [参数]\n"
          u"通过串口设置 LED 显示屏控制卡，一次一块屏或多块屏。\n"
          u"\n"
          u"选项（未给出的值取自 krntools.ini，与窗口记住的相同）：\n"
          u"  --port N|DEVICE      串口号（与窗口的编号相同）或设备路径\n"
          u"  --speed BAUD         波特率：9600、19200、38400 或 57600\n"
          u"  --screen LIST        屏号和范围，例如 1,3,7-12（255：所有屏）\n"
          u"  --ini FILE           用此设置文件代替 krntools.ini\n"
          u"  --log FILE           把通讯记录追加到 FILE\n"
          u"  --json               每行输出一个 JSON 对象\n"
          u"  --dry-run            以十六进制列出要发送的帧，不打开串口\n"
          u"  --lang zh_CN|zh_TW|en  输出语言\n"
          u"  --help, --version\n"
          u"\n"
          u"命令：\n"
          u"  ports                列出串口：编号、设备、描述、厂商、序列号\n"
          u"  reset                复位屏\n"
          u"  speed NEW            更改屏的波特率\n"
          u"  number NEW           更改屏号（0-255）\n"
          u"  panel --width W --height H [--colour dual|single] [--scan POS]\n"
          u"  hardware --password PW --oe POS --byte-order POS --invert POS --wraps N --wrap-mode "
          u"POS\n"
          u"  clock [--language chinese|english] [--font FACE] [--size PT]\n"
          u"  find [--speeds LIST] [--screens LIST] [--probe-wait MS] [--first]\n"
          u"                       查找波特率或屏号未知的屏\n"
          u"\n"
          u"退出状态：0 所有屏完成，1 有屏没有回答或拒绝，2 用法错误（未发送任何内容），3 "
          u"无法打开串口。",
          u"用法：krntools-cli [選項] 命令 [參數]\n"
          u"透過串列埠設定 LED 顯示屏控制卡，一次一塊屏或多塊屏。\n"
          u"\n"
          u"選項（未給出的值取自 krntools.ini，與視窗記住的相同）：\n"
          u"  --port N|DEVICE      埠號（與視窗的編號相同）或裝置路徑\n"
          u"  --speed BAUD         鮑率：9600、19200、38400 或 57600\n"
          u"  --screen LIST        屏號和範圍，例如 1,3,7-12（255：所有屏）\n"
          u"  --ini FILE           用此設定檔代替 krntools.ini\n"
          u"  --log FILE           把通訊記錄附加到 FILE\n"
          u"  --json               每行輸出一個 JSON 物件\n"
          u"  --dry-run            以十六進位列出要傳送的幀，不開啟串列埠\n"
          u"  --lang zh_CN|zh_TW|en  輸出語言\n"
          u"  --help, --version\n"
          u"\n"
          u"命令：\n"
          u"  ports                列出串列埠：編號、裝置、描述、廠商、序號\n"
          u"  reset                重設屏\n"
          u"  speed NEW            更改屏的鮑率\n"
          u"  number NEW           更改屏號（0-255）\n"
          u"  panel --width W --height H [--colour dual|single] [--scan POS]\n"
          u"  hardware --password PW --oe POS --byte-order POS --invert POS --wraps N --wrap-mode "
          u"POS\n"
          u"  clock [--language chinese|english] [--font FACE] [--size PT]\n"
          u"  find [--speeds LIST] [--screens LIST] [--probe-wait MS] [--first]\n"
          u"                       查找鮑率或屏號未知的屏\n"
          u"\n"
          u"結束狀態：0 所有屏完成，1 有屏沒有回答或拒絕，2 用法錯誤（未傳送任何內容），3 "
          u"無法開啟串列埠。",
          u"Usage: krntools-cli [OPTIONS] COMMAND [ARGS]\n"
          u"Configures LED display controllers on a serial line, one screen or many at once.\n"
          u"\n"
          u"Options (values not given come from krntools.ini, as the window remembers them):\n"
          u"  --port N|DEVICE      port number as the window counts them, or a device path\n"
          u"  --speed BAUD         line speed: 9600, 19200, 38400 or 57600\n"
          u"  --screen LIST        screen numbers and ranges, e.g. 1,3,7-12 (255: every screen)\n"
          u"  --ini FILE           settings file instead of krntools.ini\n"
          u"  --log FILE           append the traffic log to FILE\n"
          u"  --json               one JSON object per line\n"
          u"  --dry-run            print the frames in hex; open nothing\n"
          u"  --lang zh_CN|zh_TW|en  language of the output\n"
          u"  --help, --version\n"
          u"\n"
          u"Commands:\n"
          u"  ports                list serial ports: number, device, description, maker, serial "
          u"number\n"
          u"  reset                reset the screen\n"
          u"  speed NEW            change the screen's line speed\n"
          u"  number NEW           change the screen's number (0-255)\n"
          u"  panel --width W --height H [--colour dual|single] [--scan POS]\n"
          u"  hardware --password PW --oe POS --byte-order POS --invert POS --wraps N --wrap-mode "
          u"POS\n"
          u"  clock [--language chinese|english] [--font FACE] [--size PT]\n"
          u"  find [--speeds LIST] [--screens LIST] [--probe-wait MS] [--first]\n"
          u"                       find screens whose speed or number is unknown\n"
          u"\n"
          u"Exit status: 0 every screen done, 1 a screen did not answer or refused,\n"
          u"2 usage error (nothing sent), 3 the port could not be opened."},
    Entry{9240, u"找到屏号 %1，%2 bit/s（回答 %4，%3 ms）。",
          u"找到屏號 %1，%2 bit/s（回答 %4，%3 ms）。",
          u"Found screen %1 at %2 bit/s (answer %4, %3 ms)."},
    Entry{9241, u"没有屏回答。", u"沒有屏回答。", u"No screen answered."},
    Entry{9242, u"找到 %1 块屏。", u"找到 %1 塊屏。", u"Screens found: %1."},
    Entry{9243, u"%1 bit/s，屏号 %2，已找到 %3", u"%1 bit/s，屏號 %2，已找到 %3",
          u"%1 bit/s, screen %2, found %3"},
    Entry{9244, u"%1 bit/s，广播，已找到 %2", u"%1 bit/s，廣播，已找到 %2",
          u"%1 bit/s, broadcast, found %2"},
    Entry{9245, u"查找屏", u"查找屏", u"Find screens"},
    Entry{9246, u"查找屏(&F)...", u"查找屏(&F)...", u"&Find screens..."},
    Entry{9247, u"取消", u"取消", u"Cancel"},
    Entry{9248, u"使用", u"使用", u"Use"},
    Entry{9249, u"查找完成。", u"查找完成。", u"Search finished."},
    Entry{9250, u"查找已取消。", u"查找已取消。", u"Search cancelled."},
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
