// Fuzz target: the help window's reading of the download page. Whatever the page, a line it
// produces is "    下载" + version + "版→" + the address, with a version the page holds, of digits with
// exactly one inner dot, greater than the running 4.2 (compared here digit by digit, apart from the
// parser's own comparison). Besides the page itself, a page made of the product name, a version
// built from the input and "下载" gives the line exactly when that version is such a one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "help/help_text.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

const std::string kUrl = "http://www.tempoline.org/download/index.html";
const std::string kLead = "    下载";
const std::string kTail = "版→";

bool IsVersion(const std::string& v) {
    const std::size_t dot = v.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == v.size() || v.find('.', dot + 1) != std::string::npos)
        return false;
    return v.find_first_not_of("0123456789.") == std::string::npos;
}

// v > 4.2 as decimal numbers: the whole part without its leading zeros, then the fraction without its
// trailing zeros digit by digit.
bool NewerThanRunning(const std::string& v) {
    const std::size_t dot = v.find('.');
    std::string whole = v.substr(0, dot), fraction = v.substr(dot + 1);
    whole.erase(0, whole.find_first_not_of('0') == std::string::npos ? whole.size() : whole.find_first_not_of('0'));
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    if (whole != "4") return whole.size() > 1 || (whole.size() == 1 && whole > "4");
    return fraction > "2";
}

void CheckLine(const std::string& page, const std::string& line) {
    if (line.empty()) return;
    Check(line.size() > kLead.size() + kTail.size() + kUrl.size());
    Check(line.compare(0, kLead.size(), kLead) == 0);
    Check(line.compare(line.size() - kUrl.size(), kUrl.size(), kUrl) == 0);
    const std::string rest = line.substr(kLead.size(), line.size() - kLead.size() - kUrl.size());
    Check(rest.size() > kTail.size() && rest.compare(rest.size() - kTail.size(), kTail.size(), kTail) == 0);
    const std::string version = rest.substr(0, rest.size() - kTail.size());
    Check(IsVersion(version) && NewerThanRunning(version));
    Check(page.find(version) != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    CheckLine(page, help::NewVersionLine(page, help::VersionText(), kUrl));

    // A version of up to 8 digits from the input, a dot put anywhere (or nowhere) in it.
    std::string version;
    for (std::size_t i = 1; i < size && i <= 8; ++i) version += static_cast<char>('0' + data[i] % 10);
    if (size > 0 && data[0] % 10 <= version.size()) version.insert(data[0] % 10, ".");
    const std::string offered = "<title>橙鹿万年历</title><a>橙鹿万年历" + version + "下载</a>";
    const std::string line = help::NewVersionLine(offered, help::VersionText(), kUrl);
    CheckLine(offered, line);
    Check(line.empty() == !(IsVersion(version) && NewerThanRunning(version)));
    return 0;
}
