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
    // Tooltips: what each control does and what it sends.
    Entry{9400, u"通讯设置：每条命令使用的串行口、波特率和屏号。",
          u"通訊設置：每條命令使用的串列埠、鮑率和屏號。",
          u"Communication: the serial port, line speed and screen number every command uses."},
    Entry{9401, u"显示屏属性：颜色、宽度、高度和扫描方式，由右侧的“加载”按钮发送。",
          u"顯示屏屬性：顏色、寬度、高度和掃描方式，由右側的「加载」按鈕發送。",
          u"Display properties: colour, width, height and scan mode, sent by the 加载 (load) "
          u"button on the right."},
    Entry{9402, u"更改显示屏自己的波特率或屏号。", u"更改顯示屏自己的鮑率或屏號。",
          u"Change the screen's own line speed or screen number."},
    Entry{9403, u"显示屏的内置时钟：语言、字体和字模下载。",
          u"顯示屏的內置時鐘：語言、字體和字模下載。",
          u"The screen's built-in clock: its language, its font and the glyph download."},
    Entry{9404, u"控制卡的硬件信号选项，由下方的“加载”按钮发送。",
          u"控制卡的硬體訊號選項，由下方的「加载」按鈕發送。",
          u"The controller's hardware signal options, sent by the 加载 (load) button below."},
    Entry{9405, u"输入密码以打开硬件属性。", u"輸入密碼以開啟硬體屬性。",
          u"Enter the password to open the hardware options."},
    Entry{9406, u"硬件属性的密码；按回车键确认。", u"硬體屬性的密碼；按 Enter 鍵確認。",
          u"Password of the hardware options; Enter confirms it."},
    Entry{9407, u"时钟预览：显示屏时钟的显示内容，使用时钟字体。",
          u"時鐘預覽：顯示屏時鐘的顯示內容，使用時鐘字體。",
          u"Clock preview: what the screen's clock shows, in the clock font."},
    Entry{9410, u"检查密码并打开硬件属性。不向显示屏发送任何数据。",
          u"檢查密碼並開啟硬體屬性。不向顯示屏發送任何資料。",
          u"Check the password and open the hardware options. Sends nothing to the screen."},
    Entry{9411, u"查找所选屏号上的显示屏（命令 23）。", u"查找所選屏號上的顯示屏（命令 23）。",
          u"Look for a screen at the chosen screen number (command 23)."},
    Entry{9412, u"显示或隐藏硬件属性（先要求输入密码）。不向显示屏发送任何数据。",
          u"顯示或隱藏硬體屬性（先要求輸入密碼）。不向顯示屏發送任何資料。",
          u"Show or hide the hardware options (asks for the password first). Sends nothing to "
          u"the screen."},
    Entry{9413, u"把显示屏的波特率改为左边选择的值（命令 13）；成功后通讯改用新波特率。",
          u"把顯示屏的鮑率改為左邊選擇的值（命令 13）；成功後通訊改用新鮑率。",
          u"Change the screen's line speed to the one on the left (command 13); once done, the "
          u"link uses the new speed."},
    Entry{9414, u"按所选语言和字体把时钟字模下载到显示屏（命令 20，多帧）。",
          u"按所選語言和字體把時鐘字模下載到顯示屏（命令 20，多幀）。",
          u"Download the clock glyphs in the chosen language and font to the screen (command 20, "
          u"one frame per 32 bytes)."},
    Entry{9415, u"把上面的硬件属性发送到显示屏（命令 19）。",
          u"把上面的硬體屬性發送到顯示屏（命令 19）。",
          u"Send the hardware options above to the screen (command 19)."},
    Entry{9417, u"把颜色、宽度、高度和扫描方式发送到显示屏（命令 11）。",
          u"把顏色、寬度、高度和掃描方式發送到顯示屏（命令 11）。",
          u"Send colour, width, height and scan mode to the screen (command 11)."},
    Entry{9418, u"复位所选屏号的显示屏（命令 10）。", u"復位所選屏號的顯示屏（命令 10）。",
          u"Reset the addressed screen (command 10)."},
    Entry{9419, u"把显示屏的屏号改为左边选择的值（命令 22）；成功后通讯改用新屏号。",
          u"把顯示屏的屏號改為左邊選擇的值（命令 22）；成功後通訊改用新屏號。",
          u"Change the screen's number to the one on the left (command 22); once done, the link "
          u"addresses the new number."},
    Entry{9420, u"通讯方式：只有 232 串行口。", u"通訊方式：只有 232 串列埠。",
          u"Communication mode: RS-232 serial only."},
    Entry{9421, u"命令从这个串行口发出。", u"命令從這個串列埠發出。",
          u"The serial port the commands go out on."},
    Entry{9422, u"与显示屏通讯的波特率，必须与显示屏一致。",
          u"與顯示屏通訊的鮑率，必須與顯示屏一致。",
          u"The line speed to talk to the screen at; it must match the screen's."},
    Entry{9423, u"命令发往的屏号；255 发给线上所有显示屏。",
          u"命令發往的屏號；255 發給線上所有顯示屏。",
          u"The screen number commands are addressed to; 255 addresses every screen on the line."},
    Entry{9424, u"显示屏的颜色模式，由“加载”发送。", u"顯示屏的顏色模式，由「加载」發送。",
          u"The panel's colour mode, sent by 加载 (load)."},
    Entry{9425, u"显示屏宽度（点），由“加载”发送。", u"顯示屏寬度（點），由「加载」發送。",
          u"The panel's width in pixels, sent by 加载 (load)."},
    Entry{9426, u"显示屏高度（点），由“加载”发送。", u"顯示屏高度（點），由「加载」發送。",
          u"The panel's height in pixels, sent by 加载 (load)."},
    Entry{
        9427, u"显示屏要改用的波特率，由旁边的“更改”发送。",
        u"顯示屏要改用的鮑率，由旁邊的「更改」發送。",
        u"The line speed the screen is to change to, sent by the 更改 (change) button beside it."},
    Entry{9429, u"显示屏的扫描方式，由“加载”发送。", u"顯示屏的掃描方式，由「加载」發送。",
          u"The panel's scan mode, sent by 加载 (load)."},
    Entry{9430, u"显示屏要改用的屏号，由旁边的“更改”发送。",
          u"顯示屏要改用的屏號，由旁邊的「更改」發送。",
          u"The screen number the screen is to change to, sent by the 更改 (change) button beside "
          u"it."},
    Entry{9431, u"OE（输出使能）的有效电平，由下方的“加载”发送。",
          u"OE（輸出致能）的有效電平，由下方的「加载」發送。",
          u"OE (output enable) polarity, sent by 加载 (load) below."},
    Entry{9432, u"显示数据的字节顺序，由下方的“加载”发送。",
          u"顯示資料的位元組順序，由下方的「加载」發送。",
          u"Byte order of the display data, sent by 加载 (load) below."},
    Entry{9433, u"显示数据是否取反，由下方的“加载”发送。",
          u"顯示資料是否取反，由下方的「加载」發送。",
          u"Whether the display data bytes are inverted, sent by 加载 (load) below."},
    Entry{9434, u"显示屏的绕线次数，由下方的“加载”发送。",
          u"顯示屏的繞線次數，由下方的「加载」發送。",
          u"The panel's wiring count, sent by 加载 (load) below."},
    Entry{9435, u"显示屏的绕线方式，由下方的“加载”发送。",
          u"顯示屏的繞線方式，由下方的「加载」發送。",
          u"The panel's wiring mode, sent by 加载 (load) below."},
    // The clock font chooser.
    Entry{9450, u"时钟字体", u"時鐘字體", u"Clock font"},
    Entry{9451, u"字体", u"字體", u"Font"},
    Entry{9452, u"字号（磅）", u"字號（點）", u"Size (points)"},
    Entry{9453, u"粗体", u"粗體", u"Bold"},
    Entry{9454, u"斜体", u"斜體", u"Italic"},
    Entry{9455, u"下划线", u"底線", u"Underline"},
    Entry{9456, u"显示屏收到的字模：", u"顯示屏收到的字模：",
          u"The glyphs as the screen receives them:"},
    Entry{9457, u"%1（本机没有，以 %2 绘制）", u"%1（本機沒有，以 %2 繪製）",
          u"%1 (not on this computer; drawn with %2)"},
    Entry{9458, u"%1 磅的字高 %2 点，时钟字模最高 %3 点。请选择更小的字号。",
          u"%1 點的字高 %2 像素，時鐘字模最高 %3 像素。請選擇更小的字號。",
          u"At %1 points the glyphs are %2 pixels high; the clock takes at most %3. Choose a "
          u"smaller size."},
    Entry{9459, u"%1 磅时“%2”宽 %3 点，字模格只有 %4 点，会被截断。请选择更小的字号。",
          u"%1 點時「%2」寬 %3 像素，字模格只有 %4 像素，會被截斷。請選擇更小的字號。",
          u"At %1 points \"%2\" is %3 pixels wide but its cell is %4: the screen would show it cut "
          u"off. Choose a smaller size."},
    Entry{9460, u"字号“%1”无效：应大于 0 且不超过 1638 磅。",
          u"字號「%1」無效：應大於 0 且不超過 1638 點。",
          u"The size \"%1\" cannot be used: it must lie above 0 and up to 1638 points."},
    Entry{9461, u"查找字体", u"尋找字體", u"Find a font"},
    // The traffic log viewer.
    Entry{9480, u"通讯记录", u"通訊記錄", u"Traffic log"},
    Entry{9481, u"另存为...", u"另存新檔...", u"Save As..."},
    Entry{9482, u"清除", u"清除", u"Clear"},
    Entry{9483, u"记录文件 (*.log *.txt)", u"記錄檔 (*.log *.txt)", u"Log files (*.log *.txt)"},
    Entry{9484, u"无法把记录保存到 %1：%2", u"無法把記錄儲存到 %1：%2",
          u"The log could not be saved to %1: %2"},
    Entry{9485, u"还没有通讯记录（%1 不存在）。", u"還沒有通訊記錄（%1 不存在）。",
          u"No traffic yet (%1 does not exist)."},
    Entry{9486, u"通讯记录...", u"通訊記錄...", u"Traffic log..."},
    // The serial-port list's tooltip.
    Entry{9500, u"%1 打开 %2", u"%1 開啟 %2", u"%1 opens %2"},
    Entry{9501, u"设备：%1", u"裝置：%1", u"Device: %1"},
    Entry{9502, u"厂商：%1", u"廠商：%1", u"Maker: %1"},
    Entry{9503, u"序列号：%1", u"序號：%1", u"Serial number: %1"},
    Entry{9504, u"%1：本机没有这个串行设备。", u"%1：本機沒有這個串列裝置。",
          u"%1: no such serial device on this computer."},
    Entry{9505, u"已在设置中固定为 %1，这个编号始终对应这个适配器。",
          u"已在設定中固定為 %1，這個編號始終對應這個轉接器。",
          u"Pinned to %1 in the settings: the number keeps naming this adapter."},
    Entry{9506, u"%1 已固定为 %2，但这个设备没有连接。", u"%1 已固定為 %2，但這個裝置沒有連接。",
          u"%1 is pinned to %2, which is not connected."},
    Entry{9507, u"第一条命令发出后，这个编号将固定到这个适配器。",
          u"第一條命令發出後，這個編號將固定到這個轉接器。",
          u"Once a command has gone out, the number is pinned to this adapter."},
    // The busy state.
    Entry{9520, u"正在下载时钟：第 %1 帧，共 %2 帧", u"正在下載時鐘：第 %1 幀，共 %2 幀",
          u"Downloading the clock: frame %1 of %2"},
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
