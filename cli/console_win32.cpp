#include "cli/console_win32.h"

#include <windows.h>

#include <algorithm>
#include <iostream>
#include <streambuf>
#include <string>

namespace cli {

std::vector<std::string> Utf8Arguments(int argc, wchar_t** argv) {
    std::vector<std::string> out;
    for (int i = 0; i < argc; ++i) {
        const std::wstring_view w = argv[i];
        std::string s;
        if (!w.empty()) {
            const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
            s.resize(static_cast<size_t>(n > 0 ? n : 0));
            if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
        }
        out.push_back(std::move(s));
    }
    return out;
}

namespace {

// How many bytes at the end of `s` begin a UTF-8 sequence that is not complete yet (0..3); they
// wait for the rest, which the next write brings.
size_t IncompleteTail(const std::string& s) {
    const size_t n = s.size();
    for (size_t back = 1; back <= 3 && back <= n; ++back) {
        const unsigned char c = static_cast<unsigned char>(s[n - back]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// A stream buffer over a console handle: UTF-8 in, UTF-16 out through WriteConsoleW, a line at a
// time (and at every flush).
class ConsoleBuffer : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? 0 : traits_type::eof();
        pending_.push_back(traits_type::to_char_type(c));
        if (c == '\n' && !WriteComplete()) return traits_type::eof();
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        pending_.append(s, static_cast<size_t>(n));
        if (pending_.find('\n') != std::string::npos || pending_.size() > 4096) {
            if (!WriteComplete()) return 0;
        }
        return n;
    }
    int sync() override { return WriteComplete() ? 0 : -1; }

private:
    // Writes the complete characters waiting; false when the console refuses them.
    bool WriteComplete() {
        const size_t ready = pending_.size() - IncompleteTail(pending_);
        if (ready == 0) return true;
        const int n = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(ready), nullptr, 0);
        std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0) MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(ready), wide.data(), n);
        pending_.erase(0, ready);
        size_t done = 0;
        while (done < wide.size()) {
            DWORD written = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
            if (!WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) || written == 0) return false;
            done += written;
        }
        return true;
    }

    HANDLE console_;
    std::string pending_;
};

// The buffer of a standard handle that is a console; nullptr for a pipe, a file or no handle.
ConsoleBuffer* ConsoleBufferFor(DWORD which) {
    const HANDLE h = GetStdHandle(which);
    DWORD mode = 0;
    if (h == nullptr || h == INVALID_HANDLE_VALUE || !GetConsoleMode(h, &mode)) return nullptr;
    return new ConsoleBuffer(h);  // lives as long as the streams, to the end of the process
}

}  // namespace

void UseUnicodeConsole() {
    if (ConsoleBuffer* out = ConsoleBufferFor(STD_OUTPUT_HANDLE)) std::cout.rdbuf(out);
    if (ConsoleBuffer* err = ConsoleBufferFor(STD_ERROR_HANDLE)) std::cerr.rdbuf(err);
}

}  // namespace cli
