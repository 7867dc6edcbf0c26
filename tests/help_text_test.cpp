#include "help/help_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "text/encoding.h"

namespace {

using help::HelpText;
using help::NewVersionLine;

const std::string Url = help::DownloadUrl;

// A text written in UTF-8 (u8 literals are not touched by the GBK execution character set), as the
// program holds it.
std::string Gbk(const char8_t* utf8) { return text::Utf8ToGbk(reinterpret_cast<const char*>(utf8)); }

std::vector<std::string> Lines(const std::string& page) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (;;) {
        const std::size_t crlf = page.find("\r\n", from);
        lines.push_back(page.substr(from, crlf == std::string::npos ? std::string::npos : crlf - from));
        if (crlf == std::string::npos) return lines;
        from = crlf + 2;
    }
}

TEST(HelpVersion, IsFourPointTwo) {
    EXPECT_EQ(help::VersionMajor, 4);
    EXPECT_EQ(help::VersionMinor, 2);
    EXPECT_EQ(help::VersionText(), "4.2");
}

TEST(HelpText, TitlePageIsNameVersionAndDescriptionOnOneLine) {
    const std::string expected =
        Gbk(u8"\r\n    橙鹿万年历V4.2只有一个文件，是一款绿色免安装万年历软件，直接运行即可使用。显示公历400~3600年共"
            u8"3200年范围内的公历、农历、回历、星期、星座、干支、属相、节日、节气、九伏梅、日出日落天亮天黑时刻等信息。");
    EXPECT_EQ(HelpText(0), expected);
    // GBK bytes: CRLF, four blanks, 橙 = B3 C8, ..., "V4.2".
    EXPECT_EQ(HelpText(0).substr(0, 20), "\r\n    \xB3\xC8\xC2\xB9\xCD\xF2\xC4\xEA\xC0\xFA" "V4.2");
}

TEST(HelpText, FeaturesPageHasSixLinesWithQuotes) {
    const std::string expected = Gbk(
        u8"\r\n    1.支持日历、月历以及公农回历互转互查功能；"
        u8"\r\n    2.支持音乐播放、天气预报功能；"
        u8"\r\n    3.支持纪念日、提醒日、倒计日功能(选择\"使用注册表\"后有效)；"
        u8"\r\n    4.支持闹钟、语音报时和整点自动报时功能；"
        u8"\r\n    5.提供查询公历400~5000年范围内儒略日、间隔日、干支历、气塑日、条件月、条件日、日出日落天亮天黑时刻等信息"
        u8"的实用工具；"
        u8"\r\n    6.可以更换橙鹿日历背景图片。");
    EXPECT_EQ(HelpText(1), expected);
    EXPECT_NE(HelpText(1).find("(\xD1\xA1\xD4\xF1\"\xCA\xB9"), std::string::npos);  // (选择"使 with a plain "
}

TEST(HelpText, NotesPageHasFourLines) {
    const std::string expected = Gbk(
        u8"\r\n    1.回历9月份起止日期还须根据望月修订；"
        u8"\r\n    2.使用的日期格式：MM-DD-YYYY， 即2位月数-2位日数-4位年数，前缀BC、AD表示纪元前、后；"
        u8"\r\n    3.农历闰月的表示：月数+12；"
        u8"\r\n    4.命令行参数：/A(橙鹿音乐)；/W(橙鹿天气)；/H(黄历)。");
    EXPECT_EQ(HelpText(2), expected);
    EXPECT_EQ(Lines(HelpText(2)).size(), 5u);  // the empty text before the first CRLF and four lines
}

TEST(HelpText, ShortcutKeysPageStartsWithoutCrlf) {
    const std::string expected = Gbk(
        u8"    1.系统级快捷键"
        u8"\r\n    Ctrl+Alt+R(激活软件)"
        u8"\r\n    Ctrl+Alt+A(橙鹿音乐)"
        u8"\r\n    Ctrl+Alt+W(橙鹿天气)"
        u8"\r\n    Ctrl+Alt+H(黄历)"
        u8"\r\n    Ctrl+Alt+V(语音报时)"
        u8"\r\n    Ctrl+Alt+X(退出软件)"
        u8"\r\n    2.橙鹿音乐窗体级快捷键"
        u8"\r\n    Ctrl+键盘方向键(上下键移动播放列表项目，左右键调整歌词偏移量)"
        u8"\r\n    Ctrl+鼠标左右键(点击播放进程条阴影设置局部播放起止位置)");
    EXPECT_EQ(HelpText(3), expected);
    EXPECT_EQ(HelpText(3).substr(0, 6), "    1.");
}

TEST(HelpText, AboutPageHasThreeEmptyLinesThenOwnershipAndContact) {
    const std::string page = HelpText(4);
    EXPECT_EQ(page.substr(0, 12), "\r\n\r\n\r\n\r\n    ");
    const std::vector<std::string> lines = Lines(page);
    ASSERT_EQ(lines.size(), 6u);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(lines[k], "") << k;
    EXPECT_EQ(lines[4], Gbk(u8"    橙鹿万年历（Tempoline）由 Tempoline 开发团队制作并拥有版权。"));
    EXPECT_EQ(lines[5].substr(0, 4), "    ");
    EXPECT_NE(lines[5].find("https://github.com/tempoline/"), std::string::npos);
}

TEST(HelpText, EveryLineIsIndentedByFourBlanks) {
    for (int page = 0; page <= 4; ++page) {
        for (const std::string& line : Lines(HelpText(page))) {
            if (line.empty()) continue;
            EXPECT_EQ(line.substr(0, 4), "    ") << page << ": " << text::GbkToUtf8(line);
        }
    }
}

TEST(HelpText, OtherPageNumbersAreEmpty) {
    for (int page : {-1, 5, 6, 100, INT_MIN, INT_MAX}) EXPECT_EQ(HelpText(page), "") << page;
    for (int page = 0; page <= 4; ++page) EXPECT_FALSE(HelpText(page).empty()) << page;
}

// --- the download page ---------------------------------------------------------------------------

// The line for a newer version 4.3: "    下载4.3版→" and the address, in GBK bytes.
TEST(HelpNewVersion, NewerVersionGivesTheDownloadLine) {
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历4.3下载"), "4.2", Url),
              "    \xCF\xC2\xD4\xD8" "4.3" "\xB0\xE6\xA1\xFA" + Url);
    // A page as the site serves it, converted from UTF-8.
    const std::string page = Gbk(
        u8"<html><head><title>橙鹿万年历 - Tempoline</title></head><body>\r\n"
        u8"<p><a href=\"/download/tempoline-4.3.zip\">橙鹿万年历V4.3版下载</a></p></body></html>");
    EXPECT_EQ(NewVersionLine(page, "4.2", Url), Gbk(u8"    下载4.3版→") + Url);
    EXPECT_EQ(NewVersionLine(page, help::VersionText(), "http://x/"), Gbk(u8"    下载4.3版→http://x/"));
}

TEST(HelpNewVersion, SameOrOlderVersionAddsNothing) {
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.2版下载"), "4.2", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.20版下载"), "4.2", Url), "");  // the same value
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.1版下载"), "4.2", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V3.9版下载"), "4.2", Url), "");
    // Values are decimal numbers: 4.10 is 4.1, older than 4.2; 4.21 is newer.
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.10版下载"), "4.2", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.21版下载"), "4.2", Url), Gbk(u8"    下载4.21版→") + Url);
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V10.0版下载"), "4.2", Url), Gbk(u8"    下载10.0版→") + Url);
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V5.0版下载"), "4.2", Url), Gbk(u8"    下载5.0版→") + Url);
    // Leading zeros do not count, and the version is shown as the page writes it.
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V04.3版下载"), "4.2", Url), Gbk(u8"    下载04.3版→") + Url);
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V004.2版下载"), "4.2", Url), "");
    // The running version is read the same way.
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.3版下载"), "4.3", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.3版下载"), "4.25", Url), Gbk(u8"    下载4.3版→") + Url);
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.3版下载"), "10.1", Url), "");
}

TEST(HelpNewVersion, MalformedVersionsAreIgnored) {
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.2.1版下载"), "4.2", Url), "");  // two dots
    // ... also where the version before the second dot would be newer.
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.2.1版下载"), "4.1", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V5.0.0版下载"), "4.2", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V.5版下载"), "4.2", Url), "");     // leading dot
    // Even where its value would be newer: .5 is no version, 0.5 is.
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V.5版下载"), "0.1", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V0.5版下载"), "0.1", Url), Gbk(u8"    下载0.5版→") + Url);
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V5.版下载"), "4.2", Url), "");     // trailing dot
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V5版下载"), "4.2", Url), "");      // no dot
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.3 2版下载"), "4.2", Url), "");  // a blank inside
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.3第2版下载"), "4.2", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历最新版下载"), "4.2", Url), "");    // no version at all
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历下载"), "4.2", Url), "");
}

TEST(HelpNewVersion, MarkersMissingOrInTheWrongOrderAddNothing) {
    EXPECT_EQ(NewVersionLine("", "4.2", Url), "");
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历V4.3版"), "4.2", Url), "");     // no 下载
    EXPECT_EQ(NewVersionLine(Gbk(u8"万年历V4.3版下载"), "4.2", Url), "");     // no product name
    EXPECT_EQ(NewVersionLine(Gbk(u8"下载：橙鹿万年历V4.3"), "4.2", Url), "");  // 下载 first
    // Only the first 下载 counts: one before the first product name ends the reading.
    EXPECT_EQ(NewVersionLine(Gbk(u8"软件下载 橙鹿万年历V4.3版下载"), "4.2", Url), "");
    // The product name must stand within the 20 bytes before that 下载.
    EXPECT_EQ(NewVersionLine(Gbk(u8"橙鹿万年历 最新的版本 V4.3 下载"), "4.2", Url), "");
}

TEST(HelpNewVersion, TheNameMustLieWholeInTheTwentyBytesBeforeDownload) {
    // Ten bytes between the name and 下载: the name fills the first ten of the twenty.
    EXPECT_EQ(NewVersionLine(Gbk(u8"首页 橙鹿万年历 V4.3 最新下载"), "4.2", Url), Gbk(u8"    下载4.3版→") + Url);
    // Eleven: its first byte falls outside.
    EXPECT_EQ(NewVersionLine(Gbk(u8"首页 橙鹿万年历  V4.3 最新下载"), "4.2", Url), "");
    // An earlier product name elsewhere on the page does not matter; the one before 下载 does.
    EXPECT_EQ(NewVersionLine(Gbk(u8"<title>橙鹿万年历</title> 简介 <a>橙鹿万年历4.3下载</a>"), "4.2", Url),
              Gbk(u8"    下载4.3版→") + Url);
}

}  // namespace
