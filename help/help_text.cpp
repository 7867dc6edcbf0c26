#include "help/help_text.h"

#include <cstddef>
#include <string_view>

namespace help {

namespace {

constexpr std::string_view Crlf = "\r\n";
constexpr std::string_view Indent = "    ";
constexpr std::string_view ProductName = "橙鹿万年历";  // 10 bytes in GBK
constexpr std::string_view DownloadWord = "下载";
// How far before "下载" the product name and the version may stand.
constexpr std::size_t VersionWindowBytes = 20;

// One line of a page: CRLF, four blanks, the line.
void AddLine(std::string& page, std::string_view line) {
    page += Crlf;
    page += Indent;
    page += line;
}

std::string TitlePage() {
    std::string page;
    AddLine(page, "橙鹿万年历V");
    page += VersionText();
    page += "只有一个文件，是一款绿色免安装万年历软件，直接运行即可使用。显示公历400~3600年共3200年范围内的公历、"
            "农历、回历、星期、星座、干支、属相、节日、节气、九伏梅、日出日落天亮天黑时刻等信息。";
    return page;
}

std::string FeaturesPage() {
    std::string page;
    AddLine(page, "1.支持日历、月历以及公农回历互转互查功能；");
    AddLine(page, "2.支持音乐播放、天气预报功能；");
    AddLine(page, "3.支持纪念日、提醒日、倒计日功能(选择\"使用注册表\"后有效)；");
    AddLine(page, "4.支持闹钟、语音报时和整点自动报时功能；");
    AddLine(page, "5.提供查询公历400~5000年范围内儒略日、间隔日、干支历、气塑日、条件月、条件日、日出日落天亮天黑时刻等"
                  "信息的实用工具；");
    AddLine(page, "6.可以更换橙鹿日历背景图片。");
    return page;
}

std::string NotesPage() {
    std::string page;
    AddLine(page, "1.回历9月份起止日期还须根据望月修订；");
    AddLine(page, "2.使用的日期格式：MM-DD-YYYY， 即2位月数-2位日数-4位年数，前缀BC、AD表示纪元前、后；");
    AddLine(page, "3.农历闰月的表示：月数+12；");
    AddLine(page, "4.命令行参数：/A(橙鹿音乐)；/W(橙鹿天气)；/H(黄历)。");
    return page;
}

std::string ShortcutKeysPage() {
    std::string page;
    page += Indent;
    page += "1.系统级快捷键";  // the first line only has no CRLF before it
    AddLine(page, "Ctrl+Alt+R(激活软件)");
    AddLine(page, "Ctrl+Alt+A(橙鹿音乐)");
    AddLine(page, "Ctrl+Alt+W(橙鹿天气)");
    AddLine(page, "Ctrl+Alt+H(黄历)");
    AddLine(page, "Ctrl+Alt+V(语音报时)");
    AddLine(page, "Ctrl+Alt+X(退出软件)");
    AddLine(page, "2.橙鹿音乐窗体级快捷键");
    AddLine(page, "Ctrl+键盘方向键(上下键移动播放列表项目，左右键调整歌词偏移量)");
    AddLine(page, "Ctrl+鼠标左右键(点击播放进程条阴影设置局部播放起止位置)");
    return page;
}

std::string AboutPage() {
    std::string page;
    page += Crlf;  // three empty lines
    page += Crlf;
    page += Crlf;
    AddLine(page, "橙鹿万年历（Tempoline）由 Tempoline 开发团队制作并拥有版权。");
    AddLine(page, "问题和建议请到 https://github.com/tempoline/tempoline/issues 反馈。");
    return page;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A non-negative decimal number as its digits: the whole part without leading zeros and the
// fraction without trailing zeros, so that equal values have equal digits.
struct DecimalDigits {
    std::string whole;
    std::string fraction;
};

// The number at the start of `s` (after blanks): digits, optionally a "." and more digits; the
// rest is ignored, and a text without such a number reads as 0.
DecimalDigits LeadingDecimal(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    DecimalDigits d;
    while (i < s.size() && IsDigit(s[i])) d.whole += s[i++];
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) d.fraction += s[i++];
    }
    const std::size_t first = d.whole.find_first_not_of('0');
    d.whole.erase(0, first == std::string::npos ? d.whole.size() : first);
    const std::size_t last = d.fraction.find_last_not_of('0');
    d.fraction.erase(last == std::string::npos ? 0 : last + 1);
    return d;
}

// a > b as numbers. Whole parts: the longer is greater, else the digits decide; fractions without
// trailing zeros compare digit by digit, a prefix being the smaller ("1" < "12", "05" < "1").
bool DecimalGreater(const DecimalDigits& a, const DecimalDigits& b) {
    if (a.whole.size() != b.whole.size()) return a.whole.size() > b.whole.size();
    if (a.whole != b.whole) return a.whole > b.whole;
    return a.fraction > b.fraction;
}

// The version text found in `after` (the bytes after the product name before "下载"): digits and
// dots kept, every other byte a blank, blanks trimmed at both ends.
std::string VersionCandidate(std::string_view after) {
    std::string candidate;
    for (char c : after) candidate += (IsDigit(c) || c == '.') ? c : ' ';
    const std::size_t first = candidate.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::size_t last = candidate.find_last_not_of(' ');
    return candidate.substr(first, last - first + 1);
}

// A version text as accepted: no blank, exactly one ".", and that "." neither first nor last.
bool IsVersionText(const std::string& candidate) {
    if (candidate.find(' ') != std::string::npos) return false;
    const std::size_t dot = candidate.find('.');
    if (dot == std::string::npos || candidate.find('.', dot + 1) != std::string::npos) return false;
    return dot != 0 && dot + 1 != candidate.size();
}

}  // namespace

std::string VersionText() { return std::to_string(VersionMajor) + "." + std::to_string(VersionMinor); }

std::string HelpText(int page) {
    switch (page) {
        case 0: return TitlePage();
        case 1: return FeaturesPage();
        case 2: return NotesPage();
        case 3: return ShortcutKeysPage();
        case 4: return AboutPage();
        default: return {};
    }
}

std::string NewVersionLine(const std::string& page_gbk, const std::string& running_version, const std::string& url) {
    const std::string_view page = page_gbk;
    const std::size_t name = page.find(ProductName);
    const std::size_t word = page.find(DownloadWord);
    if (name == std::string_view::npos || word == std::string_view::npos || word <= name) return {};
    // The bytes before "下载", at most 20 of them (fewer when the page has no more before it).
    const std::size_t start = word > VersionWindowBytes ? word - VersionWindowBytes : 0;
    const std::string_view window = page.substr(start, word - start);
    const std::size_t named = window.find(ProductName);
    if (named == std::string_view::npos) return {};
    const std::string candidate = VersionCandidate(window.substr(named + ProductName.size()));
    if (!IsVersionText(candidate)) return {};
    if (!DecimalGreater(LeadingDecimal(candidate), LeadingDecimal(running_version))) return {};
    return std::string(Indent) + "下载" + candidate + "版→" + url;
}

}  // namespace help
