#include <gtest/gtest.h>

#include <string>

#include "text/encoding.h"

namespace {

TEST(Encoding, LiteralsAreGbkInsideAndUtf8Outside) {
    const std::string gbk = "历算时区为东8区";
    EXPECT_EQ(gbk.size(), 15u);  // seven characters of two bytes and one digit
    EXPECT_EQ(static_cast<unsigned char>(gbk[0]), 0xC0u);  // 历 is C0 FA in GBK
    EXPECT_EQ(static_cast<unsigned char>(gbk[1]), 0xFAu);
    EXPECT_EQ(text::GbkToUtf8(gbk), "\xE5\x8E\x86\xE7\xAE\x97\xE6\x97\xB6\xE5\x8C\xBA\xE4\xB8\xBA\xE4\xB8\x9C" "8"
                                    "\xE5\x8C\xBA");
    EXPECT_EQ(text::Utf8ToGbk(text::GbkToUtf8(gbk)), gbk);
    EXPECT_EQ(text::GbkToUtf8("AD02-10-2024"), "AD02-10-2024");
    EXPECT_EQ(text::GbkToUtf8(""), "");
}

TEST(Encoding, BrokenInputIsReplacedNotLost) {
    // A byte that leads nothing (0xFF) and a lead byte cut off at the end.
    const std::string broken = std::string("A") + "\xFF" + "B" + "\x81";
    const std::string utf8 = text::GbkToUtf8(broken);
    EXPECT_NE(utf8.find('A'), std::string::npos);
    EXPECT_NE(utf8.find('B'), std::string::npos);
    EXPECT_LT(utf8.find('A') + 1, utf8.find('B'));  // something stands for the bad byte
    EXPECT_GT(utf8.size(), utf8.find('B') + 1);
    // Invalid UTF-8 towards GBK.
    const std::string gbk = text::Utf8ToGbk("x\xC3(y");
    EXPECT_NE(gbk.find('x'), std::string::npos);
    EXPECT_NE(gbk.find('y'), std::string::npos);
    // A character GBK does not have comes through as a replacement, the rest intact.
    EXPECT_EQ(text::Utf8ToGbk("a\xF0\x9F\x98\x80" "b").front(), 'a');
    EXPECT_EQ(text::Utf8ToGbk("a\xF0\x9F\x98\x80" "b").back(), 'b');
}

// The conversion works through a buffer of its own: texts longer than it, characters cut by its
// edge and a bad byte anywhere must come through whole. 历 is C0 FA in GBK and E5 8E 86 in UTF-8.
TEST(Encoding, LongTextsComeThroughWhole) {
    const std::string li_gbk = "\xC0\xFA";
    const std::string li_utf8 = "\xE5\x8E\x86";
    for (int count : {85, 86, 127, 128, 129, 300, 5000}) {
        std::string gbk, utf8;
        for (int i = 0; i < count; ++i) {
            gbk += li_gbk;
            utf8 += li_utf8;
        }
        EXPECT_EQ(text::GbkToUtf8(gbk), utf8) << count;
        EXPECT_EQ(text::Utf8ToGbk(utf8), gbk) << count;
        if (count >= 100) {
            // A bad byte after a buffer's worth of output: replaced by one character (U+FFFD here,
            // what the code page's table says under Windows), everything around it intact.
            const std::string got = text::GbkToUtf8(gbk.substr(0, 200) + "\xFF" + gbk.substr(200));
            ASSERT_GT(got.size(), utf8.size()) << count;
            EXPECT_EQ(got.substr(0, 300), utf8.substr(0, 300)) << count;
            EXPECT_EQ(got.substr(got.size() - (utf8.size() - 300)), utf8.substr(300)) << count;
            EXPECT_LE(got.size() - utf8.size(), 3u) << count;
        }
    }
}

}  // namespace
