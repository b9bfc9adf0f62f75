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
    Entry{9300,
          u"%1 不是本程序能打开的地址。串口服务器请写成 tcp://主机:端口 或 rfc2217://主机:端口，"
          u"串口请写设备名。",
          u"%1 不是本程式能開啟的位址。串列埠伺服器請寫成 tcp://主機:連接埠 或 "
          u"rfc2217://主機:連接埠，串列埠請寫裝置名稱。",
          u"%1 is not an address this program can open. Write tcp://HOST:PORT or "
          u"rfc2217://HOST:PORT for a serial device server, or the name of a serial device."},
    Entry{9301,
          u"地址 %1 中没有主机名。请写成 tcp://主机:端口 或 rfc2217://主机:端口"
          u"（IPv6 地址加方括号：tcp://[::1]:4001）。",
          u"位址 %1 中沒有主機名稱。請寫成 tcp://主機:連接埠 或 rfc2217://主機:連接埠"
          u"（IPv6 位址加方括號：tcp://[::1]:4001）。",
          u"The address %1 names no host. Write it as tcp://HOST:PORT or rfc2217://HOST:PORT "
          u"(an IPv6 address in brackets: tcp://[::1]:4001)."},
    Entry{9302,
          u"地址 %1 中没有端口号。请写成 tcp://主机:端口 或 rfc2217://主机:端口，"
          u"端口为串口服务器监听的端口号。",
          u"位址 %1 中沒有連接埠號。請寫成 tcp://主機:連接埠 或 rfc2217://主機:連接埠，"
          u"連接埠為串列埠伺服器監聽的連接埠號。",
          u"The address %1 has no port number. Write it as tcp://HOST:PORT or "
          u"rfc2217://HOST:PORT, with the port number the device server listens on."},
    Entry{9303, u"%1 中的端口号无效。请使用 1 到 65535 之间的数字。",
          u"%1 中的連接埠號無效。請使用 1 到 65535 之間的數字。",
          u"The port number in %1 is not valid. Use a number from 1 to 65535."},
    Entry{9304, u"%1 拒绝了连接。请检查地址和端口号，并确认串口服务器已开机且开放了该端口。",
          u"%1 拒絕了連線。請檢查位址和連接埠號，並確認串列埠伺服器已開機且開放了該連接埠。",
          u"%1 refused the connection. Check the address and the port number, and that the "
          u"device server is switched on and serves that port."},
    Entry{9305, u"找不到主机 %1。请检查串口服务器的名称或 IP 地址。",
          u"找不到主機 %1。請檢查串列埠伺服器的名稱或 IP 位址。",
          u"The host %1 was not found. Check the name or the IP address of the device server."},
    Entry{9306, u"无法到达 %1（没有路由）。请检查网线、地址以及本机的网络设置。",
          u"無法到達 %1（沒有路由）。請檢查網路線、位址以及本機的網路設定。",
          u"There is no route to %1. Check the network cable, the address, and this "
          u"computer's network settings."},
    Entry{9307, u"%1 在 %2 秒内没有应答。请检查地址，并确认串口服务器已开机且本机能访问到它。",
          u"%1 在 %2 秒內沒有回應。請檢查位址，並確認串列埠伺服器已開機且本機能連到它。",
          u"%1 did not answer within %2 seconds. Check the address, and that the device server "
          u"is switched on and reachable from this computer."},
    Entry{9308, u"无法连接到 %1：%2", u"無法連線到 %1：%2", u"Could not connect to %1: %2"},
    Entry{9309,
          u"%1 接受连接后又立即关闭了。串口服务器可能正被其他用户使用；请关闭其他连接后重试。",
          u"%1 接受連線後又立即關閉了。串列埠伺服器可能正被其他使用者使用；請關閉其他連線後重試。",
          u"%1 accepted the connection and closed it again. The device server may be serving "
          u"another user; close the other connection and try again."},
    Entry{9310, u"串口服务器 %1 关闭了连接。请检查串口服务器及其串口线，然后重试。",
          u"串列埠伺服器 %1 關閉了連線。請檢查串列埠伺服器及其串列埠線，然後重試。",
          u"The device server %1 closed the connection. Check the device server and its serial "
          u"cable, then try again."},
    Entry{9311, u"网络连接没有打开。", u"網路連線沒有開啟。", u"The network connection is not open."},
    Entry{9312, u"向 %1 发送失败：%2", u"向 %1 傳送失敗：%2", u"Sending to %1 failed: %2"},
    Entry{9313,
          u"串口服务器 %1 不接受通过网络设置串口参数（RFC 2217）。请在该端口上启用 RFC 2217，"
          u"或改写为 tcp://%1 并在串口服务器上设置波特率。",
          u"串列埠伺服器 %1 不接受透過網路設定串列埠參數（RFC 2217）。請在該連接埠上啟用 "
          u"RFC 2217，或改寫為 tcp://%1 並在串列埠伺服器上設定鮑率。",
          u"The device server %1 does not take line settings over the network (RFC 2217). Turn "
          u"RFC 2217 on for that port, or write tcp://%1 and set the line speed on the device "
          u"server."},
    Entry{9314,
          u"串口服务器 %1 在 %2 秒内没有回应串口参数设置。请检查该端口是否设为带 RFC 2217 的 "
          u"Telnet 模式；原始 TCP 端口请写成 tcp://%1。",
          u"串列埠伺服器 %1 在 %2 秒內沒有回應串列埠參數設定。請檢查該連接埠是否設為帶 RFC 2217 "
          u"的 Telnet 模式；原始 TCP 連接埠請寫成 tcp://%1。",
          u"The device server %1 did not answer the line settings within %2 seconds. Check that "
          u"its port is set up for Telnet with RFC 2217, or write tcp://%1 for a raw TCP port."},
    Entry{9315, u"串口服务器 %1 没有接受串口参数 %2，其串口现在为 %3。请检查它的串口是否支持该波特率。",
          u"串列埠伺服器 %1 沒有接受串列埠參數 %2，其串列埠現在為 %3。請檢查它的串列埠是否支援該鮑率。",
          u"The device server %1 did not take the line settings %2; its serial port is now at "
          u"%3. Check that its serial port supports that speed."},
    Entry{9316, u"原始 TCP：由串口服务器使用其自身的串口参数（不发送 %1）",
          u"原始 TCP：由串列埠伺服器使用其自身的串列埠參數（不傳送 %1）",
          u"raw TCP: the device server applies its own line settings (%1 is not sent)"},
    Entry{9317, u"%1，经 RFC 2217 设置在串口服务器上", u"%1，經 RFC 2217 設定在串列埠伺服器上",
          u"%1, set on the device server by RFC 2217"},
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
