// The texts of the help window and the reading of the program's download page: the five pages
// (0 the title and description above, 1..4 the pages behind the labels "功能", "说明", "快捷键"
// and "关于"), the program's version, and the line that announces a newer version when the download
// page names one. All texts are GBK.
#pragma once

#include <string>

namespace help {

// The program's version, 4.2.
constexpr int VersionMajor = 4;
constexpr int VersionMinor = 2;

// The page on the program's own site that the new-version check reads (HTTP/1.0 GET on port 80),
// and that site's host, used both to connect and in the Referer header.
constexpr const char* DownloadHost = "www.tempoline.org";
constexpr const char* DownloadPath = "/download/index.html";
constexpr const char* DownloadUrl = "http://www.tempoline.org/download/index.html";

// The pages behind the four labels, in label order.
constexpr int FirstLabelPage = 1;
constexpr int LastLabelPage = 4;

// "4.2": the major number, ".", the minor number.
std::string VersionText();

// The text of one page, 0..4; every line is CRLF, four blanks and the line (page 3 begins without
// the CRLF, page 4 with three empty lines). Any other page number gives the empty text.
std::string HelpText(int page);

// Reads the download page (already converted to GBK) for a newer version: the version text that
// stands within the 20 bytes before the first "下载", after a "橙鹿万年历" there, the first
// "橙鹿万年历" of the page coming before that "下载". A version of digits with exactly one inner "."
// whose value is greater than that of `running_version` gives the line
// "    下载" + version + "版→" + url, which the help window appends to its upper box after a CRLF.
// Anything else (markers missing or in the wrong order, no version, a malformed, equal or older
// version) gives the empty text.
//
// Values compare as decimal numbers, not as version parts: "4.10" is 4.1, older than 4.2.
std::string NewVersionLine(const std::string& page_gbk, const std::string& running_version, const std::string& url);

}  // namespace help
