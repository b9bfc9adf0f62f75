#include "stringtable.h"

#include "toolids.h"

#include "core/failure.h"

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
    // The program's own messages.
    Entry{9000, u"%1\r\n%2%3", u"%1\r\n%2%3", u"%1\r\n%2%3"}, // no answer: 60, 4408, screen
    Entry{9001, u"程序缺少第 %1 号文字。", u"程式缺少第 %1 號文字。",
          u"The text number %1 is missing from the program."},
    Entry{9002, u"数值 %1 超出范围 %2 到 %3。", u"數值 %1 超出範圍 %2 到 %3。",
          u"The value %1 is outside %2 to %3."},
    Entry{9003, u"%1 %2 超出范围 %3 到 %4。", u"%1 %2 超出範圍 %3 到 %4。",
          u"The %1 %2 is outside %3 to %4."},
    Entry{9010, u"通讯方式", u"通訊方式", u"communication mode"},
    Entry{9011, u"串口", u"串口", u"serial port"},
    Entry{9012, u"波特率", u"鮑率", u"line speed"},
    Entry{9013, u"屏号", u"屏號", u"screen number"},
    Entry{9014, u"颜色模式", u"顏色模式", u"colour mode"},
    Entry{9015, u"屏宽", u"屏寬", u"panel width"},
    Entry{9016, u"屏高", u"屏高", u"panel height"},
    Entry{9017, u"新波特率", u"新鮑率", u"new line speed"},
    Entry{9018, u"时钟版本", u"時鐘版本", u"clock language"},
    Entry{9019, u"扫描方式", u"掃描方式", u"scan mode"},
    Entry{9020, u"新屏号", u"新屏號", u"new screen number"},
    Entry{9021, u"OE 极性", u"OE 極性", u"OE polarity"},
    Entry{9022, u"字节顺序", u"位元組順序", u"byte order"},
    Entry{9023, u"字节取反", u"位元組反相", u"byte inversion"},
    Entry{9024, u"走线数", u"走線數", u"wiring count"},
    Entry{9025, u"走线方式", u"走線方式", u"wiring mode"},
    Entry{9030, u"记住的%1选项 %2 无效：列表只有第 0 到 %3 项。",
          u"記住的%1選項 %2 無效：清單只有第 0 到 %3 項。",
          u"The remembered %1 choice %2 is not valid: the list has items 0 to %3."},
    Entry{9031, u"记住的%1“%2”不在列表中。", u"記住的%1「%2」不在清單中。",
          u"The remembered %1 \"%2\" is not one of the items of its list."},
    Entry{9040, u"时钟字体大小 %1 不能使用：必须大于 0 且不超过 %2 磅。",
          u"時鐘字型大小 %1 不能使用：必須大於 0 且不超過 %2 點。",
          u"The clock font size %1 cannot be used: it must lie above 0 and up to %2 points."},
    Entry{9041, u"无法绘制时钟字模：程序没有图形界面。", u"無法繪製時鐘字模：程式沒有圖形介面。",
          u"The clock glyphs cannot be drawn: the program has no graphical session."},
    Entry{9042, u"无法绘制时钟字模：绘图区域拒绝绘制。", u"無法繪製時鐘字模：繪圖區域拒絕繪製。",
          u"The clock glyphs cannot be drawn: the drawing surface refused."},
    Entry{9043, u"时钟字模图像为 %1 x %2 像素，小于一个字格。",
          u"時鐘字模影像為 %1 x %2 像素，小於一個字格。",
          u"The clock glyph picture is %1 x %2 pixels, smaller than one cell."},
    Entry{9050, u"没有选择串口。", u"沒有選擇串口。", u"No serial port is selected."},
    Entry{9051, u"这台电脑上没有串口%1。请检查转换器是否插好，并选择它使用的串口。",
          u"這台電腦上沒有串口%1。請檢查轉換器是否插好，並選擇它使用的串口。",
          u"Serial port %1 does not exist on this computer. Check that the adapter is plugged "
          u"in and pick the port it uses."},
    Entry{9052, u"要发送的帧没有数据。", u"要發送的訊框沒有資料。",
          u"The frame has no payload bytes."},
    Entry{9053, u"串口 %1 报告有回应，却没有交出任何字节。",
          u"串口 %1 報告有回應，卻沒有交出任何位元組。",
          u"The serial port %1 announced a reply but returned no bytes."},
    Entry{9060, u"串口 %1 不存在。请检查转换器是否插好，以及是否选对了串口。",
          u"串口 %1 不存在。請檢查轉換器是否插好，以及是否選對了串口。",
          u"The serial port %1 does not exist. Check that the adapter is plugged in and that "
          u"the right port is chosen."},
    Entry{9061,
          u"您没有打开串口 %1 的权限。请把您的用户加入“dialout”组（sudo usermod -aG dialout "
          u"$USER），然后重新登录。",
          u"您沒有開啟串口 %1 的權限。請把您的使用者加入「dialout」群組（sudo usermod -aG dialout "
          u"$USER），然後重新登入。",
          u"You have no permission to open the serial port %1. Add your user to the 'dialout' "
          u"group (sudo usermod -aG dialout $USER), then log in again."},
    Entry{9062, u"您没有打开串口 %1 的权限。", u"您沒有開啟串口 %1 的權限。",
          u"You have no permission to open the serial port %1."},
    Entry{9063, u"串口 %1 正被另一个程序使用。请关闭那个程序后再试。",
          u"串口 %1 正被另一個程式使用。請關閉那個程式後再試。",
          u"The serial port %1 is in use by another program. Close that program and try again."},
    Entry{9064,
          u"串口 %1 不接受线路设置（%2 波特，8 位数据，奇校验，1 "
          u"位停止）。请检查转换器是否支持这个速度。",
          u"串口 %1 不接受線路設定（%2 鮑，8 位元資料，奇同位，1 "
          u"位元停止）。請檢查轉換器是否支援這個速度。",
          u"The serial port %1 refused the line settings (%2 bit/s, 8 data bits, odd parity, 1 "
          u"stop bit). Check that the adapter supports this speed."},
    Entry{9065, u"串口 %1 无法打开。请检查转换器和它的驱动程序。（系统说明：%2）",
          u"串口 %1 無法開啟。請檢查轉換器和它的驅動程式。（系統說明：%2）",
          u"The serial port %1 could not be opened. Check the adapter and its driver. (The "
          u"system said: %2)"},
    Entry{9066, u"串口 %1 没有打开。", u"串口 %1 沒有開啟。", u"The serial port %1 is not open."},
    Entry{9067, u"向串口 %1 写入失败。请检查连线和转换器。（系统说明：%2）",
          u"向串口 %1 寫入失敗。請檢查連線和轉換器。（系統說明：%2）",
          u"Writing to the serial port %1 failed. Check the cable and the adapter. (The system "
          u"said: %2)"},
    Entry{9068, u"串口 %1 断开了：转换器被拔出，或线路挂断。请重新插好后再试。",
          u"串口 %1 斷開了：轉換器被拔出，或線路掛斷。請重新插好後再試。",
          u"The serial port %1 went away: the adapter was unplugged or the line hung up. Plug "
          u"it back in and try again."},
    Entry{9069, u"串口 %1 报告线路故障。请检查连线和转换器。（系统说明：%2）",
          u"串口 %1 報告線路故障。請檢查連線和轉換器。（系統說明：%2）",
          u"The serial port %1 reported a line fault. Check the cable and the adapter. (The "
          u"system said: %2)"},
    Entry{9070, u"串口 %1 在操作系统中超时。请检查转换器和它的驱动程序。",
          u"串口 %1 在作業系統中逾時。請檢查轉換器和它的驅動程式。",
          u"The serial port %1 timed out in the operating system. Check the adapter and its "
          u"driver."},
    Entry{9071, u"串口 %1 不支持所需的操作。请检查转换器和它的驱动程序。",
          u"串口 %1 不支援所需的操作。請檢查轉換器和它的驅動程式。",
          u"The serial port %1 does not support a needed operation. Check the adapter and its "
          u"driver."},
    Entry{9072,
          u"%1 在 %3 秒内送来了 "
          u"%2：这不是显示屏的回答。请检查这个端口是否连着显示屏的线路；如果是串口服务器，请检查它"
          u"的端口和设置。",
          u"%1 在 %3 秒內送來了 "
          u"%2：這不是顯示屏的回答。請檢查這個埠是否連著顯示屏的線路；如果是串列埠伺服器，請檢查它"
          u"的埠和設定。",
          u"%1 sent %2 in %3 s: this is not a screen's answer. Check that the port leads to the "
          u"screens' line; for a serial device server, check its port and settings."},
    Entry{9073, u"串口 %1 不接受奇校验。请检查转换器是否支持奇校验（有些 USB 转换器不支持）。",
          u"串口 %1 不接受奇同位。請檢查轉換器是否支援奇同位（有些 USB 轉換器不支援）。",
          u"The serial port %1 refused odd parity. Check that the adapter supports odd parity "
          u"(some USB adapters do not)."},
    Entry{9100,
          u"设置文件无法保存：程序所在的文件夹和您的配置文件夹都不能写入。"
          u"本次所做的选择在程序关闭前有效，下次启动时不会被记住。",
          u"設定檔無法儲存：程式所在的資料夾和您的設定資料夾都不能寫入。"
          u"本次所做的選擇在程式關閉前有效，下次啟動時不會被記住。",
          u"The settings cannot be saved: neither the program's folder nor your configuration "
          u"folder can be written. The choices you make now last until the program closes and "
          u"will not be remembered next time."},
    Entry{9150, u"用法：krntools [--help | --version]", u"用法：krntools [--help | --version]",
          u"Usage: krntools [--help | --version]"},
    Entry{9151, u"通过 RS-232 串口设置 LED 显示屏控制卡。不带参数启动时打开主窗口。",
          u"透過 RS-232 序列埠設定 LED 顯示屏控制卡。不帶參數啟動時開啟主視窗。",
          u"Configures LED display controllers over an RS-232 line. Started without "
          u"arguments, it opens its window."},
    Entry{9152, u"  -h, --help     显示本帮助并退出", u"  -h, --help     顯示本說明並結束",
          u"  -h, --help     show this help and exit"},
    Entry{9153, u"  -v, --version  显示版本号并退出", u"  -v, --version  顯示版本號並結束",
          u"  -v, --version  show the version and exit"},
    Entry{9154,
          u"设置保存在程序所在文件夹的 krntools.ini 中；程序已安装（如在 /usr/bin 中）或该文件夹"
          u"不可写时，保存在用户配置文件夹（Linux 上为 ~/.config/krntools/）中。",
          u"設定保存在程式所在資料夾的 krntools.ini 中；程式已安裝（如在 /usr/bin 中）或該資料夾"
          u"不可寫入時，保存在使用者設定資料夾（Linux 上為 ~/.config/krntools/）中。",
          u"Choices are kept in krntools.ini beside the program or, for an installed program (in "
          u"/usr/bin, say) or where that folder cannot be written, in the per-user configuration "
          u"folder (~/.config/krntools/ on Linux)."},
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
    Entry{9220, u"屏号 %1，%2，%3：%4（%5 ms）", u"屏號 %1，%2，%3：%4（%5 ms）",
          u"Screen %1 at %2, %3: %4 (%5 ms)"},
    Entry{9221, u"屏回答了 %1，不是确认。", u"屏回答了 %1，不是確認。",
          u"The screen answered %1, not an acknowledgement."},
    Entry{9222, u"全部 %1 块屏已完成。", u"全部 %1 塊屏已完成。", u"All %1 screens done."},
    Entry{9223, u"%1 块屏中 %2 块已完成；未完成的屏号：%3。",
          u"%1 塊屏中 %2 塊已完成；未完成的屏號：%3。", u"%2 of %1 screens done; not done: %3."},
    Entry{9224, u"屏号 %1，%2，%3：%4", u"屏號 %1，%2，%3：%4", u"Screen %1 at %2, %3: %4"},
    Entry{9225, u"串口\t设备\t描述\t厂商\t序列号", u"埠\t裝置\t描述\t廠商\t序號",
          u"Port\tDevice\tDescription\tMaker\tSerial number"},
    Entry{9226, u"没有找到串口。", u"沒有找到串列埠。", u"No serial ports found."},
    Entry{9227, u"无法打开 %1：%2", u"無法開啟 %1：%2", u"%1 could not be opened: %2"},
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
          u"  plan SITE            列出现场文件每一行要发送的帧，不打开串口\n"
          u"  apply SITE [--rows LIST] [--jobs N] [--report FILE] [--password PW]\n"
          u"                       发送现场文件的各行，多条线路同时进行\n"
          u"  commission SITE [--next] [--report FILE] [--password PW]\n"
          u"                       逐块设置出厂的控制卡，进度记在 SITE.journal\n"
          u"\n"
          u"退出状态：0 所有屏完成，1 有屏没有回答或拒绝，2 用法错误（未发送任何内容），3 "
          u"无法打开串口；被 Ctrl+C 或 SIGTERM 中断时为 130 或 143。",
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
          u"  plan SITE            列出現場檔案每一列要傳送的幀，不開啟串列埠\n"
          u"  apply SITE [--rows LIST] [--jobs N] [--report FILE] [--password PW]\n"
          u"                       傳送現場檔案的各列，多條線路同時進行\n"
          u"  commission SITE [--next] [--report FILE] [--password PW]\n"
          u"                       逐塊設定出廠的控制卡，進度記在 SITE.journal\n"
          u"\n"
          u"結束狀態：0 所有屏完成，1 有屏沒有回答或拒絕，2 用法錯誤（未傳送任何內容），3 "
          u"無法開啟串列埠；被 Ctrl+C 或 SIGTERM 中斷時為 130 或 143。",
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
          u"  plan SITE            the frames each row of a site file would send; opens nothing\n"
          u"  apply SITE [--rows LIST] [--jobs N] [--report FILE] [--password PW]\n"
          u"                       send a site file's rows, many lines at once\n"
          u"  commission SITE [--next] [--report FILE] [--password PW]\n"
          u"                       factory-fresh controllers one at a time, noted in SITE.journal\n"
          u"\n"
          u"Exit status: 0 every screen done, 1 a screen did not answer or refused,\n"
          u"2 usage error (nothing sent), 3 the port could not be opened;\n"
          u"130 or 143 when Ctrl+C or SIGTERM stopped it."},
    Entry{9231, u"串口服务器自己的波特率", u"串列埠伺服器自己的鮑率",
          u"the device server's own line speed"},
    Entry{9232, u"已中断：%2 块屏中完成了 %1 块。", u"已中斷：%2 塊屏中完成了 %1 塊。",
          u"Interrupted: %1 of %2 screens done."},
    Entry{9233, u"查找已中断：已找到 %1 块屏。", u"查找已中斷：已找到 %1 塊屏。",
          u"Search interrupted: %1 screens found."},
    Entry{9234, u"在最后一帧之前停止（已确认 %1 帧）。", u"在最後一幀之前停止（已確認 %1 幀）。",
          u"Stopped before its last frame (%1 frames acknowledged)."},
    Entry{9240, u"找到屏号 %1，%2（回答 %4，%3 ms）。", u"找到屏號 %1，%2（回答 %4，%3 ms）。",
          u"Found screen %1 at %2 (answer %4, %3 ms)."},
    Entry{9241, u"没有屏回答。", u"沒有屏回答。", u"No screen answered."},
    Entry{9242, u"找到 %1 块屏。", u"找到 %1 塊屏。", u"Screens found: %1."},
    Entry{9243, u"%1，屏号 %2，已找到 %3", u"%1，屏號 %2，已找到 %3", u"%1, screen %2, found %3"},
    Entry{9244, u"%1，广播，已找到 %2", u"%1，廣播，已找到 %2", u"%1, broadcast, found %2"},
    Entry{9245, u"查找屏", u"查找屏", u"Find screens"},
    Entry{9246, u"查找屏(&F)...", u"查找屏(&F)...", u"&Find screens..."},
    Entry{9247, u"取消", u"取消", u"Cancel"},
    Entry{9248, u"使用", u"使用", u"Use"},
    Entry{9249, u"查找完成。", u"查找完成。", u"Search finished."},
    Entry{9250, u"查找已取消。", u"查找已取消。", u"Search cancelled."},
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
    Entry{9311, u"网络连接没有打开。", u"網路連線沒有開啟。",
          u"The network connection is not open."},
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
    Entry{9315,
          u"串口服务器 %1 没有接受串口参数 %2，其串口现在为 %3。请检查它的串口是否支持该波特率。",
          u"串列埠伺服器 %1 沒有接受串列埠參數 %2，其串列埠現在為 "
          u"%3。請檢查它的串列埠是否支援該鮑率。",
          u"The device server %1 did not take the line settings %2; its serial port is now at "
          u"%3. Check that its serial port supports that speed."},
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
    Entry{9600, u"第 %1 行“%2”列：“%3”不是%4。", u"第 %1 行「%2」欄：「%3」不是%4。",
          u"Row %1, column %2: \"%3\" is not %4."},
    Entry{9601, u"第 %1 行：“%2”列是空的，%3需要它。", u"第 %1 行：「%2」欄是空的，%3需要它。",
          u"Row %1: the column %2 is empty, and %3 needs it."},
    Entry{9602, u"现场文件没有“%1”（“%2”）列。", u"現場檔案沒有「%1」（「%2」）欄。",
          u"The site file has no column %1 (%2)."},
    Entry{9603, u"表头第 %1 列“%2”不是现场文件的列。", u"表頭第 %1 欄「%2」不是現場檔案的欄。",
          u"Column %1 of the header, \"%2\", is not a column of a site file."},
    Entry{9604, u"无法读取现场文件 %1：%2", u"無法讀取現場檔案 %1：%2",
          u"The site file %1 cannot be read: %2"},
    Entry{9605, u"现场文件 %1 没有数据行。", u"現場檔案 %1 沒有資料列。",
          u"The site file %1 has no rows."},
    Entry{9606, u"%1 中有设置硬件属性的行：请用 --password 给出密码。",
          u"%1 中有設定硬體屬性的列：請用 --password 給出密碼。",
          u"Rows of %1 set the hardware options: give the password with --password."},
    Entry{9607, u"表头中“%1”列出现了两次。", u"表頭中「%1」欄出現了兩次。",
          u"The column %1 is named twice in the header."},
    Entry{9608, u"第 %1 行：引号没有闭合。", u"第 %1 行：引號沒有閉合。",
          u"Row %1: a quote is not closed."},
    Entry{9609, u"%2 中没有第 %1 行。", u"%2 中沒有第 %1 行。", u"%2 has no row %1."},
    Entry{9610, u"0 到 254 的屏号", u"0 到 254 的屏號", u"a screen number from 0 to 254"},
    Entry{9611, u"9600、19200、38400、57600 之一", u"9600、19200、38400、57600 之一",
          u"one of 9600, 19200, 38400, 57600"},
    Entry{9612, u"0 到 65535 的整数", u"0 到 65535 的整數", u"a whole number from 0 to 65535"},
    Entry{9613, u"dual 或 single（双色或单色）", u"dual 或 single（雙色或單色）",
          u"dual or single (双色 or 单色)"},
    Entry{9614, u"1/16、1/8、1/4 或 static（静态）", u"1/16、1/8、1/4 或 static（靜態）",
          u"1/16, 1/8, 1/4 or static (静态)"},
    Entry{9615, u"chinese 或 english（中文版或英文版），不下载时钟则留空",
          u"chinese 或 english（中文版或英文版），不下載時鐘則留空",
          u"chinese or english (中文版 or 英文版), or empty for no clock"},
    Entry{9616, u"大于 0 且不超过 1638 的磅值", u"大於 0 且不超過 1638 的點數",
          u"a size above 0 and up to 1638 points"},
    Entry{9617, u"0 或 1", u"0 或 1", u"0 or 1"},
    Entry{9618, u"2、4、8 或 16", u"2、4、8 或 16", u"2, 4, 8 or 16"},
    Entry{9619, u"0 到 8 的整数", u"0 到 8 的整數", u"a whole number from 0 to 8"},
    Entry{9620, u"串口号、设备路径或网络地址", u"埠號、裝置路徑或網路位址",
          u"a port number, a device path or a network address"},
    Entry{9621, u"屏参（宽度、高度、颜色和扫描方式）", u"屏參（寬度、高度、顏色和掃描方式）",
          u"the panel (width, height, colour and scan)"},
    Entry{9622, u"硬件属性（oe、byte-order、invert、wraps、wrap-mode）",
          u"硬體屬性（oe、byte-order、invert、wraps、wrap-mode）",
          u"the hardware options (oe, byte-order, invert, wraps, wrap-mode)"},
    Entry{9623, u"每一行", u"每一列", u"every row"},
    Entry{9630, u"第 %1 行（%2），%3，屏号 %4，%5：%6", u"第 %1 行（%2），%3，屏號 %4，%5：%6",
          u"Row %1 (%2), %3, screen %4 at %5: %6"},
    Entry{9631, u"没有要发送的内容", u"沒有要傳送的內容", u"nothing to send"},
    Entry{9632, u"未发送：这一行前面的命令没有完成", u"未傳送：這一行前面的命令沒有完成",
          u"not sent: an earlier command of the row was not delivered"},
    Entry{9633, u"%2 行中 %1 行已完成；未完成的行：%3。", u"%2 行中 %1 行已完成；未完成的行：%3。",
          u"%1 of %2 rows done; not done: rows %3."},
    Entry{9634, u"全部 %1 行已完成。", u"全部 %1 行已完成。", u"All %1 rows done."},
    Entry{9635, u"第 %1 行（%2），%3，屏号 %4，%5：", u"第 %1 行（%2），%3，屏號 %4，%5：",
          u"Row %1 (%2), %3, screen %4 at %5:"},
    Entry{9636, u"无法打开 %1：%2", u"無法開啟 %1：%2", u"%1 could not be opened: %2"},
    Entry{9640, u"请只把“%1”（第 %2 行）的控制卡接到 %3，然后按回车（s：跳过，q：停止）。",
          u"請只把「%1」（第 %2 行）的控制卡接到 %3，然後按 Enter（s：跳過，q：停止）。",
          u"Connect the controller for \"%1\" (row %2) alone to %3, then press Enter (s: skip, q: "
          u"stop)."},
    Entry{9641, u"正在 %1 上查找控制卡……", u"正在 %1 上尋找控制卡……",
          u"Looking for the controller on %1..."},
    Entry{9642, u"找到了：屏号 %1，%2。", u"找到了：屏號 %1，%2。",
          u"Found it as screen %1 at %2."},
    Entry{9643, u"%1 上没有控制卡回答。", u"%1 上沒有控制卡回答。",
          u"No controller answered on %1."},
    Entry{9644, u"%1 的每一行都已完成，没有发送任何内容。",
          u"%1 的每一列都已完成，沒有傳送任何內容。",
          u"Every row of %1 is done; nothing was sent."},
    Entry{9645, u"第 %1 行（%2）完成：屏号 %3，%4。", u"第 %1 行（%2）完成：屏號 %3，%4。",
          u"Row %1 (%2) is done: screen %3 at %4."},
    Entry{9646, u"还剩 %1 行。", u"還剩 %1 行。", u"%1 rows still to do."},
    Entry{9647, u"第 %1 行（%2）已跳过。", u"第 %1 行（%2）已跳過。", u"Row %1 (%2) skipped."},
    Entry{9650, u"交接报告", u"交接報告", u"Handover report"},
    Entry{9651, u"现场文件", u"現場檔案", u"Site file"},
    Entry{9652, u"日期", u"日期", u"Date"},
    Entry{9653, u"工具", u"工具", u"Tool"},
    Entry{9654, u"本机串口", u"本機串列埠", u"This computer's ports"},
    Entry{9655, u"没有串口", u"沒有串列埠", u"none"},
    Entry{9656, u"行", u"行", u"Row"},
    Entry{9657, u"位置", u"位置", u"Label"},
    Entry{9658, u"串口", u"埠", u"Port"},
    Entry{9659, u"屏号", u"屏號", u"Screen"},
    Entry{9660, u"波特率", u"鮑率", u"Speed"},
    Entry{9661, u"屏参", u"屏參", u"Panel"},
    Entry{9662, u"选项", u"選項", u"Options"},
    Entry{9663, u"命令", u"命令", u"Commands"},
    Entry{9664, u"时钟字模", u"時鐘字模", u"Clock glyphs"},
    Entry{9665, u"无", u"無", u"none"},
    Entry{9666, u"硬件：OE %1，字节顺序 %2，取反 %3，绕线次数 %4，绕线方式 %5",
          u"硬體：OE %1，位元組順序 %2，反相 %3，繞線次數 %4，繞線方式 %5",
          u"hardware: OE %1, byte order %2, inversion %3, wraps %4, wrap mode %5"},
    Entry{9667, u"交接报告已写入 %1。", u"交接報告已寫入 %1。", u"The handover report is in %1."},
    Entry{9668, u"无法写入交接报告 %1：%2", u"無法寫入交接報告 %1：%2",
          u"The handover report %1 cannot be written: %2"},
    Entry{9669, u"%1：%2（%3）", u"%1：%2（%3）", u"%1: %2 (%3)"},
    // The site window.
    Entry{9700, u"现场(&S)...", u"現場(&S)...", u"&Site..."},
    Entry{9701, u"现场 - %1", u"現場 - %1", u"Site - %1"},
    Entry{9702, u"打开现场文件", u"開啟現場檔案", u"Open a site file"},
    Entry{9703, u"现场文件 (*.csv *.txt);;所有文件 (*)", u"現場檔案 (*.csv *.txt);;所有檔案 (*)",
          u"Site files (*.csv *.txt);;All files (*)"},
    Entry{9704, u"发送内容", u"傳送內容", u"Sends"},
    Entry{9705, u"状态", u"狀態", u"State"},
    Entry{9706, u"未完成", u"未完成", u"not done"},
    Entry{9707, u"已完成", u"已完成", u"done"},
    Entry{9708, u"失败：%1", u"失敗：%1", u"failed: %1"},
    Entry{9709, u"已跳过", u"已跳過", u"skipped"},
    Entry{9710, u"发送所选行", u"傳送所選列", u"Apply selected"},
    Entry{9711, u"调试下一台", u"調試下一台", u"Commission next"},
    Entry{9712, u"保存报告...", u"儲存報告...", u"Save report..."},
    Entry{9713, u"%2 行中已处理 %1 行", u"%2 行中已處理 %1 行", u"%1 of %2 rows"},
    Entry{9714, u"请只把“%1”（第 %2 行）的控制卡接到 %3，然后按“确定”。",
          u"請只把「%1」（第 %2 行）的控制卡接到 %3，然後按「確定」。",
          u"Connect the controller for \"%1\" (row %2) alone to %3, then press OK."},
    Entry{9715, u"调试控制卡", u"調試控制卡", u"Commission a controller"},
    Entry{9716, u"跳过", u"跳過", u"Skip"},
    Entry{9717, u"%1 中有设置硬件属性的行。请输入密码：", u"%1 中有設定硬體屬性的列。請輸入密碼：",
          u"Rows of %1 set the hardware options. Password:"},
    Entry{9718, u"密码不正确，没有发送任何内容。", u"密碼不正確，沒有傳送任何內容。",
          u"The password is not correct; nothing was sent."},
    Entry{9719, u"保存交接报告", u"儲存交接報告", u"Save the handover report"},
    Entry{9720, u"网页 (*.html *.htm)", u"網頁 (*.html *.htm)", u"Web pages (*.html *.htm)"},
    Entry{9721, u"第 %1 行已完成，但无法写入调试记录 %2。",
          u"第 %1 行已完成，但無法寫入調試記錄 %2。",
          u"Row %1 is done, but the journal %2 cannot be written."},
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
        throw Failure(Message{TextMissing, {QString::number(id)}});
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

QString render(const Message& message, Language language)
{
    if (message.isEmpty())
        return {};
    QString pattern;
    try {
        pattern = load(message.id, language);
    } catch (const Failure& missing) {
        return render(missing.message(), language);
    }
    // One pass, so an argument that itself holds "%2" (typed by the operator)
    // is never substituted again.
    QString text;
    text.reserve(pattern.size());
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c == u'%' && i + 1 < pattern.size() && pattern.at(i + 1).isDigit()) {
            const qsizetype n = pattern.at(i + 1).digitValue();
            if (n >= 1 && n <= message.args.size()) {
                const TextArg& arg = message.args.at(n - 1);
                text += arg.id != 0 ? render(Message{arg.id}, language) : arg.literal;
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

QString render(const Message& message)
{
    return render(message, languageFor(QLocale()));
}

TextArg speedArg(qint32 speed)
{
    if (speed > 0)
        return QStringLiteral("%1 bit/s").arg(speed);
    return TextRef{ServerSpeedPhrase};
}

QString speedText(qint32 speed, Language language)
{
    const TextArg arg = speedArg(speed);
    return arg.id ? load(arg.id, language) : arg.literal;
}

} // namespace krn::strings
