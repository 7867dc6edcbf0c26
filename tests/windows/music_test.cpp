// The music player for real: Wine's MCI playing WAV and MP3 files made by sox, the window's buttons,
// bar and menus driven with messages, the lyrics of the position, the files a user may have that
// are broken, and the player as the program opens it (menu, hotkey, /A, shortcut).
#include <windows.h>

#include <psapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "music/lyrics.h"
#include "music/player.h"
#include "music/player_window.h"
#include "shell/command_ids.h"
#include "shell/program_win32.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"

namespace {

using namespace music;
using test::Capture;
using test::Pump;
using test::PumpUntil;

std::string Folder(const char* path) {
    std::string s = path;
    for (char& c : s) c = c == '/' ? '\\' : c;
    return s;
}

const std::string kAudio = Folder(TEMPO_TEST_AUDIO);

bool CopyTo(const std::string& from, const std::string& to) {
    return CopyFileW(text::GbkToWide(from).c_str(), text::GbkToWide(to).c_str(), FALSE) != 0;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(text::GbkToWide(path).c_str(), std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(text::GbkToWide(path).c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Clicks a point of the window as the mouse would: pressed, released.
void ClickAt(HWND window, int x, int y) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void Press(HWND window, int button) {
    const RECT r = ButtonRect(button);
    ClickAt(window, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void Command(HWND window, int id) { SendMessageW(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// A key pressed or released as the keyboard does it.
void Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// A left click at a point of the screen as the mouse does it.
void ClickScreen(POINT p) {
    INPUT input[3] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, input, sizeof(INPUT));
}

// Whether window `upper` lies above `lower` in the Z-order.
bool Above(HWND upper, HWND lower) {
    for (HWND w = GetWindow(lower, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (w == upper) return true;
    }
    return false;
}

// Ctrl held (as GetKeyState sees it) while a key goes down and up in a control.
void CtrlKey(HWND control, WPARAM key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(control, WM_KEYDOWN, key, 0);
    SendMessageW(control, WM_KEYUP, key, 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

// UTF-8 and UTF-16 bytes of a lyric file, written by hand.
std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }
std::string Utf16Le(std::u16string_view s) {
    std::string out = "\xFF\xFE";
    for (char16_t c : s) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// The memory this process has committed for itself (Wine gives it as PagefileUsage).
SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// Files dropped on a window, as Explorer hands them over.
void Drop(HWND window, const std::vector<std::string>& paths) {
    std::wstring list;
    for (const std::string& p : paths) list += text::GbkToWide(p) + L'\0';
    list += L'\0';
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = text::WideToGbk(temp) + "tempo-music\\";
        CreateDirectoryW(text::GbkToWide(folder_).c_str(), nullptr);
        mci_ = platform::MakeSystemMci();
        context_.mci = mci_.get();
        context_.history = &history_;
        context_.lyric_style = &style_;
        context_.lyric_folder = &lyric_folder_;
        context_.lyric_top = &top_;
    }
    void TearDown() override {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        Pump();
        for (const std::string& f : made_) {
            SetFileAttributesW(text::GbkToWide(f).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(text::GbkToWide(f).c_str());
        }
    }
    HWND Open() {
        window_ = OpenPlayer(nullptr, context_);
        Pump();
        return window_;
    }
    Player& P() { return *PlayerOf(window_); }
    // A copy of a test sound under a name of this test's folder.
    std::string Copy(const char* source, const std::string& name) {
        const std::string path = folder_ + name;
        EXPECT_TRUE(CopyTo(kAudio + "\\" + source, path)) << name;
        made_.push_back(path);
        return path;
    }
    std::string Made(const std::string& name, const std::string& bytes) {
        const std::string path = folder_ + name;
        WriteFile(path, bytes);
        made_.push_back(path);
        return path;
    }
    // The device's position now, asked directly.
    std::int32_t DevicePosition() {
        std::string reply;
        mci_->Send("Status AudioMCI Position", &reply);
        return NumericReply(reply);
    }
    void Wait(DWORD ms) { PumpUntil([] { return false; }, ms); }
    // Pumps for at most `ms` until `done`, noting each file as it starts (by name): the files
    // played in that time, the one playing first among them.
    std::vector<std::string> Played(DWORD ms, const std::function<bool(const std::vector<std::string>&)>& done) {
        std::vector<std::string> played = {FileNameOf(P().current_path())};
        std::int32_t last_position = P().position_ms();
        const DWORD start = GetTickCount();
        PumpUntil(
            [&] {
                const std::string now = FileNameOf(P().current_path());
                // The same file started again: its position went back.
                if (now != played.back() || P().position_ms() + 1000 < last_position) played.push_back(now);
                last_position = P().position_ms();
                return done(played);
            },
            ms);
        std::printf("played %s in %lu ms, at %d of %d ms\n", [&] {
            std::string all;
            for (const std::string& p : played) all += p + " ";
            return all;
        }().c_str(), GetTickCount() - start, P().position_ms(), P().total_length());
        return played;
    }
    // Answers the open dialog ("选择音频文件") with a path, typed into its file name box.
    test::ModalSteps Choosing(const std::string& path) {
        std::vector<std::function<void()>> steps;
        for (int i = 0; i < 100; ++i) {
            steps.push_back([path] {
                HWND dialog = test::FindByCaption("选择音频文件");
                if (!dialog || !IsWindowVisible(dialog)) return;
                HWND edit = nullptr;
                EnumChildWindows(
                    dialog,
                    [](HWND w, LPARAM found) -> BOOL {
                        wchar_t name[16] = {};
                        GetClassNameW(w, name, 16);
                        if (lstrcmpiW(name, L"Edit") != 0 || !IsWindowVisible(w)) return TRUE;
                        *reinterpret_cast<HWND*>(found) = w;
                        return FALSE;
                    },
                    reinterpret_cast<LPARAM>(&edit));
                if (!edit) return;
                SetWindowTextW(edit, text::GbkToWide(path).c_str());
                SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            });
        }
        return test::ModalSteps(std::move(steps));
    }

    std::unique_ptr<platform::MciDevice> mci_;
    PlayerContext context_;
    std::string history_, lyric_folder_, folder_;
    std::int16_t style_ = 0;
    std::int32_t top_ = -1;
    HWND window_ = nullptr;
    RECT r_{};
    std::vector<std::string> made_;
};

TEST_F(MusicTest, AWavAndAnMp3PlayForTheirLengthPauseSeekAndHalt) {
    ASSERT_NE(Open(), nullptr);
    const std::string wav = Copy("tone15.wav", "tone15.wav");
    Drop(window_, {wav});
    ASSERT_TRUE(P().file_open());
    EXPECT_NEAR(P().total_length(), 15000, 60);
    EXPECT_EQ(P().TitleText(), "tone15.wav");
    EXPECT_EQ(P().PlayButtonText(), "||");
    EXPECT_FALSE(P().list_play());
    // The 100 ms timer moves the bar as the sound plays.
    Wait(1500);
    EXPECT_GT(P().position_ms(), 500);
    EXPECT_LT(P().position_ms(), 4000);
    EXPECT_EQ(P().bar(), MsToBar(P().position_ms(), P().total_length()));
    // ＞: paused, the position stands.
    Press(window_, kPlayButton);
    EXPECT_EQ(P().play_state(), kPaused);
    const std::int32_t paused_at = DevicePosition();
    Wait(600);
    EXPECT_NEAR(DevicePosition(), paused_at, 60);
    // The thumb dragged to pixel 120 of the bar: 7.5 s.
    const RECT bar = ProgressBarRect();
    const int y = (bar.top + bar.bottom) / 2;
    SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.left + 8 + 60, y));
    SendMessageW(window_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(bar.left + 8 + 120, y));
    SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(bar.left + 8 + 120, y));
    EXPECT_NEAR(DevicePosition(), 7500, 100);
    EXPECT_EQ(P().play_state(), kPaused);
    Press(window_, kPlayButton);
    Wait(500);
    EXPECT_GT(DevicePosition(), 7600);
    // >|: one file, no play mode: it halts at the end.
    Press(window_, kEndButton);
    EXPECT_EQ(P().play_state(), kHalted);
    EXPECT_EQ(P().PlayButtonText(), "＞");
    EXPECT_EQ(P().bar(), kBarPixels);

    // An MP3 of 12 s.
    const std::string mp3 = Copy("tone12.mp3", "tone12.mp3");
    Drop(window_, {mp3});
    ASSERT_TRUE(P().file_open());
    EXPECT_NEAR(P().total_length(), 12000, 150);
    Wait(1200);
    EXPECT_GT(P().position_ms(), 300);
    EXPECT_EQ(P().list().entries, (std::vector<std::string>{mp3, wav}));
    // Closing writes the list back.
    SendMessageW(window_, WM_COMMAND, kExitCommand, 0);
    Pump();
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(history_, mp3 + "|" + wav + "|");
}

TEST_F(MusicTest, ThreeDroppedSongsPlayInOrderWithTheirLyricsShiftedAndSaved) {
    style_ = 2;  // 卡拉ＯＫ
    const std::string first = Copy("tone15.wav", "一.wav"), second = Copy("tone15.wav", "二.wav"),
                      third = Copy("tone12.mp3", "三.mp3");
    const std::string lrc = "[ti:一]\r\n[00:01.00]第一行\r\n[00:05.50][00:14.00]第二行\r\n[00:10.00]第三行\r\n";
    const std::string lrc_path = Made("一.lrc", lrc);
    ASSERT_NE(Open(), nullptr);
    Drop(window_, {first, second, third});
    EXPECT_TRUE(P().list_play());
    EXPECT_EQ(P().list().entries, (std::vector<std::string>{first, second, third}));
    EXPECT_EQ(P().current_path(), first);
    ASSERT_NE(LyricOf(window_), nullptr);
    EXPECT_TRUE(LyricOf(window_)->loaded);
    HWND lyric_window = LyricWindowOf(window_);
    ASSERT_NE(lyric_window, nullptr);
    EXPECT_TRUE(IsWindowVisible(lyric_window));
    RECT r;
    GetWindowRect(lyric_window, &r);
    EXPECT_EQ(r.right - r.left, 18 * 6 + 40);  // the longest line has 6 bytes
    EXPECT_EQ(r.bottom - r.top, 76);
    // At 6 s the line of 5.5 s sings.
    const RECT bar = ProgressBarRect();
    const int y = (bar.top + bar.bottom) / 2;
    const int at6s = MsToBar(6000, P().total_length()) + 1;
    SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar.left + 8 + at6s, y));
    SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(bar.left + 8 + at6s, y));
    Wait(300);
    EXPECT_EQ(LyricOf(window_)->texts[static_cast<size_t>(LyricOf(window_)->current - 1)], "第二行");
    // Half a second later, and saved into the file as its first line.
    Command(window_, kLyricLater);
    EXPECT_EQ(LyricOf(window_)->offset, 500);
    Command(window_, kLyricOffsetSave);
    EXPECT_EQ(ReadFile(lrc_path), "[offset:500]\r\n" + lrc);
    // Ctrl+Right: 0.2 s more; the menu says so.
    SendMessageW(window_, WM_KEYDOWN, VK_CONTROL, 0);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(window_, WM_KEYUP, VK_RIGHT, 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(LyricOf(window_)->offset, 700);
    EXPECT_EQ(OffsetCaption(LyricOf(window_)->offset), "歌词偏移量：滞后0.7秒");
    // 修改时间标签 and 保存歌词文件: the times carry the offset, the file is written whole.
    Command(window_, kLyricBake);
    Command(window_, kLyricWrite);
    EXPECT_EQ(ReadFile(lrc_path), "[ti:一]\r\n[ar:]\r\n[al:]\r\n[by:橙鹿]\r\n[offset:0]\r\n[00:01.70]第一行\r\n"
                                  "[00:06.20]第二行\r\n[00:10.70]第三行\r\n[00:14.70]第二行\r\n");
    // >|: the end of the first song, the second starts, without lyrics.
    Press(window_, kEndButton);
    EXPECT_EQ(P().current_path(), second);
    EXPECT_FALSE(LyricOf(window_)->loaded);
    EXPECT_EQ(LyricWindowOf(window_), nullptr);
    Press(window_, kEndButton);
    EXPECT_EQ(P().current_path(), third);
    Press(window_, kEndButton);  // the last one ends: halted
    EXPECT_EQ(P().play_state(), kHalted);
    EXPECT_EQ(P().current_path(), third);
}

TEST_F(MusicTest, CtrlUpAndDownMoveTheChosenEntryAndTheVolumeBarSetsTheVolume) {
    const std::string a = Copy("tone15.wav", "a.wav"), b = Copy("tone15.wav", "b.wav"), c = Copy("tone15.wav", "c.wav");
    history_ = a + "|" + b + "|" + c + "|";
    ASSERT_NE(Open(), nullptr);
    HWND list = GetDlgItem(window_, kPlayListId);
    SendMessageW(list, LB_SETCURSEL, 2, 0);  // c
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    SendMessageW(list, WM_KEYDOWN, VK_UP, 0);  // swallowed: the selection stays
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
    SendMessageW(list, WM_KEYUP, VK_UP, 0);
    SendMessageW(list, WM_KEYUP, VK_UP, 0);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(P().list().entries, (std::vector<std::string>{c, a, b}));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
    // A press on the volume bar at 190 + 20 pixels: volume 40.
    const RECT volume = VolumeBarRect();
    ClickAt(window_, volume.left + 20, (volume.top + volume.bottom) / 2);
    EXPECT_EQ(P().volume(), 40);
}

TEST_F(MusicTest, ALyricFileThatCannotBeWrittenIsLeftAsItWas) {
    const std::string song = Copy("tone15.wav", "ro.wav");
    const std::string lrc = "[00:01.00]x\r\n";
    const std::string lrc_path = Made("ro.lrc", lrc);
    ASSERT_NE(Open(), nullptr);
    Drop(window_, {song});
    ASSERT_TRUE(LyricOf(window_)->loaded);
    Command(window_, kLyricLater);
    // Another program holds the file open, sharing nothing.
    HANDLE held = CreateFileW(text::GbkToWide(lrc_path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(test::Answered([&] { Command(window_, kLyricOffsetSave); }, "橙鹿音乐", IDOK));
    EXPECT_TRUE(test::Answered([&] { Command(window_, kLyricWrite); }, "橙鹿音乐", IDOK));
    CloseHandle(held);
    EXPECT_EQ(ReadFile(lrc_path), lrc);
    // Nothing is left beside it.
    WIN32_FIND_DATAW found;
    int files = 0;
    HANDLE search = FindFirstFileW(text::GbkToWide(folder_ + "ro.*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do ++files;
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    EXPECT_EQ(files, 2);
}

TEST_F(MusicTest, BrokenFilesAndListsNeverStopThePlayer) {
    // A stored list of 5,000 bytes: 40 entries, most missing, quotes and blanks in paths.
    const std::string blanks = Copy("tone15.wav", "a b c.wav");
    std::string stored = blanks + "|";
    for (int i = 0; i < 40; ++i) stored += folder_ + "\"missing\" " + std::to_string(i) + ".mp3|";
    while (stored.size() < 5000) stored += "C:\\nowhere\\" + std::string(50, 'x') + ".wav|";
    history_ = stored;
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(P().list().entries, std::vector<std::string>{blanks});
    // Its blanks need quotes where the volume keeps no short names; either way it plays.
    PlayerOf(window_)->PlayEntry(1);
    EXPECT_TRUE(P().file_open());

    const std::string empty = Copy("empty.wav", "empty.wav");
    const std::string letter = Copy("notsound.mp3", "letter.mp3");
    const std::string mp3 = ReadFile(kAudio + "\\tone12.mp3");
    const std::string cut = Made("cut.mp3", mp3.substr(0, 1500));
    for (const std::string& bad : {empty, letter}) {
        Drop(window_, {bad});
        EXPECT_FALSE(P().file_open()) << bad;
        EXPECT_EQ(P().PlayButtonText(), "＞") << bad;
    }
    Drop(window_, {cut});  // a few frames: it plays them or nothing
    if (P().file_open()) {
        EXPECT_LT(P().total_length(), 2000);
    }
    Wait(300);
    // A 10 MB lyric of one line with bytes that are no GBK (larger than any lyric: not read), and
    // another of 100,000 tags.
    std::string huge(10u << 20, '\xFF');
    huge.replace(0, 10, "[00:01.00]");
    const std::string song = Copy("tone15.wav", "huge.wav");
    Made("huge.lrc", huge);
    Drop(window_, {song});
    EXPECT_TRUE(P().file_open());
    EXPECT_FALSE(LyricOf(window_)->loaded);
    std::string tags;
    for (int i = 0; i < 100000; ++i) tags += "[00:0" + std::to_string(i % 10) + "." + std::to_string(i % 100) + "]";
    const std::string many = Copy("tone15.wav", "many.wav");
    Made("many.lrc", tags + "la\n[00:02.00]no CR LF\n");
    Drop(window_, {many});
    EXPECT_TRUE(LyricOf(window_)->loaded);
    Wait(300);
    // The playing file deleted: the device keeps it or loses it, the player goes on.
    const std::string gone = Copy("tone15.wav", "gone.wav");
    Drop(window_, {gone});
    DeleteFileW(text::GbkToWide(gone).c_str());
    Wait(500);
    Press(window_, kNextButton);
    Press(window_, kStopButton);
    EXPECT_FALSE(P().file_open());
    EXPECT_TRUE(IsWindow(window_));
}

// Songs that play to their ends, in each play mode: the device stops at the end of a file (and
// reads position 0 there), and the player goes on as the mode says.
TEST_F(MusicTest, SongsPlayToTheirEndsInEveryPlayMode) {
    const std::string a = Copy("short-a.wav", "a.wav"), b = Copy("short-b.wav", "b.wav"), c = Copy("short-c.wav", "c.wav");
    using Names = std::vector<std::string>;
    ASSERT_NE(Open(), nullptr);
    // 列表播放 (three dropped at once): a, b, c, then it halts at the end of c.
    Drop(window_, {a, b, c});
    ASSERT_TRUE(P().list_play());
    ASSERT_FALSE(P().loop_play());
    EXPECT_NEAR(P().total_length(), 2000, 60);
    EXPECT_EQ(Played(12000, [&](const Names&) { return P().play_state() == kHalted; }), (Names{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(P().play_state(), kHalted);
    EXPECT_EQ(P().current_path(), c);
    EXPECT_EQ(P().PlayButtonText(), "＞");
    EXPECT_EQ(P().bar(), kBarPixels);
    EXPECT_EQ(P().TimeLabel(), "0:02/0:02");
    // 列表播放 and 循环播放: halted at the last entry, the first starts at once, and after the last
    // the first comes again.
    Command(window_, kLoopPlayCommand);
    EXPECT_EQ(P().current_path(), a);
    EXPECT_EQ(Played(12000, [](const Names& played) { return played.size() == 4; }), (Names{"a.wav", "b.wav", "c.wav", "a.wav"}));
    EXPECT_EQ(P().play_state(), kPlaying);
    // 循环播放 alone: the same file over again.
    Command(window_, kListPlayCommand);
    ASSERT_FALSE(P().list_play());
    EXPECT_EQ(Played(9000, [](const Names& played) { return played.size() == 3; }), (Names{"a.wav", "a.wav", "a.wav"}));
    EXPECT_EQ(P().play_state(), kPlaying);
    // Neither: the file halts at its end.
    Command(window_, kLoopPlayCommand);
    EXPECT_EQ(Played(5000, [&](const Names&) { return P().play_state() == kHalted; }), (Names{"a.wav"}));
    EXPECT_EQ(P().play_state(), kHalted);
    EXPECT_EQ(P().bar(), kBarPixels);
    // ＞ plays it again from its start.
    Press(window_, kPlayButton);
    EXPECT_EQ(P().play_state(), kPlaying);
    Wait(600);
    EXPECT_GT(P().position_ms(), 200);
    EXPECT_LT(P().position_ms(), 1500);
}

// The playing entry and the selection are two things: the user's selection stays where it is put
// while a song plays, and the list's commands act on it.
TEST_F(MusicTest, TheListCommandsActOnTheSelectionWhileASongPlays) {
    std::vector<std::string> t;
    for (int i = 1; i <= 5; ++i) t.push_back(Copy("tone15.wav", "t0" + std::to_string(i) + ".wav"));
    history_ = t[0] + "|" + t[1] + "|" + t[2] + "|" + t[3] + "|";
    ASSERT_NE(Open(), nullptr);
    HWND list = GetDlgItem(window_, kPlayListId);
    const RECT image = ImageRect(2);
    ClickAt(window_, image.left + 2, image.top + 2);  // the list shows
    ASSERT_TRUE(IsWindowVisible(list));
    const auto selected = [list] { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); };
    const auto select = [list](int index) {  // a click on the entry
        RECT r;
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 20, (r.top + r.bottom) / 2));
        SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 20, (r.top + r.bottom) / 2));
    };
    const auto entries = [&](std::vector<int> numbers) {
        std::vector<std::string> e;
        for (int n : numbers) e.push_back(t[static_cast<size_t>(n - 1)]);
        return e;
    };
    // t03 plays (a double click on it); the selection goes to t01 and stays there.
    select(2);
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(kPlayListId, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    ASSERT_EQ(P().current_path(), t[2]);
    select(0);
    Wait(600);
    EXPECT_EQ(selected(), 0);
    // A right click on t01, then 删除 (its key R): t01 goes, t03 plays on.
    RECT r;
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    POINT at{r.left + 20, (r.top + r.bottom) / 2};
    ClientToScreen(list, &at);
    SetForegroundWindow(window_);
    {
        const test::ModalSteps steps({[] {}, [] { Key('R', false); }, [] { Key('R', true); }});
        SendMessageW(window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(at.x, at.y));
    }
    Pump();
    EXPECT_EQ(P().list().entries, entries({2, 3, 4}));
    EXPECT_EQ(P().current_path(), t[2]);
    EXPECT_EQ(P().list().current, 2);
    EXPECT_TRUE(P().file_open());
    // 上移 on t04: it passes t03, which plays on.
    select(2);
    Wait(300);
    Command(window_, kListMoveUp);
    EXPECT_EQ(P().list().entries, entries({2, 4, 3}));
    EXPECT_EQ(selected(), 1);
    EXPECT_EQ(P().list().current, 3);
    // 下移 on t02.
    select(0);
    Wait(300);
    Command(window_, kListMoveDown);
    EXPECT_EQ(P().list().entries, entries({4, 2, 3}));
    EXPECT_EQ(selected(), 1);
    // Ctrl+Up and Ctrl+Down on t02.
    Wait(300);
    CtrlKey(list, VK_UP);
    EXPECT_EQ(P().list().entries, entries({2, 4, 3}));
    EXPECT_EQ(selected(), 0);
    Wait(300);
    CtrlKey(list, VK_DOWN);
    EXPECT_EQ(P().list().entries, entries({4, 2, 3}));
    EXPECT_EQ(selected(), 1);
    // 插入 before t02: t05 from the open dialog.
    Wait(300);
    {
        const test::ModalSteps steps = Choosing(t[4]);
        Command(window_, kListInsert);
    }
    EXPECT_EQ(P().list().entries, entries({4, 5, 2, 3}));
    EXPECT_EQ(P().current_path(), t[2]);
    EXPECT_EQ(P().list().current, 4);
    // Through all of it, t03 played on.
    EXPECT_EQ(P().play_state(), kPlaying);
    EXPECT_GT(P().position_ms(), 1500);
}

// 静音 silences what is played, and the sound comes back at its volume.
TEST_F(MusicTest, MuteSilencesThePlayingSong) {
    Capture capture;
    ASSERT_TRUE(capture.Available()) << "ALSA's default device is no file: run with the test HOME";
    ASSERT_NE(Open(), nullptr);
    Drop(window_, {Copy("tone15.wav", "loud.wav")});
    ASSERT_TRUE(P().file_open());
    const auto level = [&] {
        Wait(500);  // what was played before has gone through
        capture.Mark();
        Wait(1000);
        return capture.Peak();
    };
    const int loud = level();
    Command(window_, kMuteCommand);
    ASSERT_TRUE(P().mute());
    const int muted = level();
    Command(window_, kMuteCommand);
    const int back = level();
    std::printf("peak at volume %d: %d playing, %d muted, %d unmuted\n", P().volume(), loud, muted, back);
    EXPECT_GT(loud, 1000);
    EXPECT_LT(muted, loud / 100);
    EXPECT_GT(back, loud * 8 / 10);
    EXPECT_EQ(P().volume(), 60);
}

// An Escape that closes the popup menu closes nothing else; one pressed in the player closes it.
TEST_F(MusicTest, EscapeThatClosesTheMenuLeavesThePlayerOpen) {
    ASSERT_NE(Open(), nullptr);
    Drop(window_, {Copy("tone15.wav", "esc.wav")});
    SetForegroundWindow(window_);
    SetFocus(window_);
    Pump();
    RECT r;
    GetWindowRect(window_, &r);
    {
        const test::ModalSteps steps({[] {}, [] { Key(VK_ESCAPE, false); }});
        SendMessageW(window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_), MAKELPARAM(r.left + 100, r.top + 10));
    }
    Key(VK_ESCAPE, true);  // released once the menu has gone
    Wait(300);
    ASSERT_TRUE(IsWindow(window_));
    EXPECT_EQ(P().play_state(), kPlaying);
    // The same in the play list's menu.
    const RECT image = ImageRect(2);
    ClickAt(window_, image.left + 2, image.top + 2);
    HWND list = GetDlgItem(window_, kPlayListId);
    SetFocus(list);
    GetWindowRect(list, &r);
    {
        const test::ModalSteps steps({[] {}, [] { Key(VK_ESCAPE, false); }});
        SendMessageW(window_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(r.left + 20, r.top + 8));
    }
    Key(VK_ESCAPE, true);
    Wait(300);
    ASSERT_TRUE(IsWindow(window_));
    // Escape pressed and released in the player: it closes.
    SetFocus(window_);
    Key(VK_ESCAPE, false);
    Key(VK_ESCAPE, true);
    PumpUntil([&] { return !IsWindow(window_); }, 2000);
    EXPECT_FALSE(IsWindow(window_));
}

// A lyric file in UTF-8 shows its lines, and saves back with every character it had.
TEST_F(MusicTest, AUtf8LyricShowsTheRightLineAndSavesBackIntact) {
    style_ = 2;  // 卡拉ＯＫ
    const std::string song = Copy("tone15.wav", "月亮.wav");
    const std::string lrc = U8(u8"[ti:月亮代表我的心]\r\n[ar:邓丽君]\r\n[00:01.00]你问我爱你有多深\r\n"
                               u8"[00:05.00]사랑해요 我爱你有几分\r\n[00:10.00]我的情也真\r\n");
    const std::string lrc_path = Made("月亮.lrc", lrc);
    ASSERT_NE(Open(), nullptr);
    Drop(window_, {song});
    ASSERT_TRUE(LyricOf(window_)->loaded);
    EXPECT_EQ(LyricOf(window_)->encoding, TextEncoding::kUtf8);
    EXPECT_EQ(LyricOf(window_)->title, "月亮代表我的心");
    // At 2 s the first line sings, at 6 s the second.
    const RECT bar = ProgressBarRect();
    const int y = (bar.top + bar.bottom) / 2;
    const auto seek = [&](int ms) {
        const int x = bar.left + 8 + MsToBar(ms, P().total_length()) + 1;
        SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Wait(300);
        return LyricOf(window_)->texts[static_cast<size_t>(LyricOf(window_)->current - 1)];
    };
    EXPECT_EQ(seek(2000), "你问我爱你有多深");
    EXPECT_EQ(seek(6000), "???? 我爱你有几分");  // Korean, which GBK lacks, shows as "?"
    HWND lyric_window = LyricWindowOf(window_);
    ASSERT_NE(lyric_window, nullptr);
    GetWindowRect(lyric_window, &r_);
    EXPECT_EQ(r_.right - r_.left, 18 * 17 + 40);  // the longest line: 17 bytes in GBK
    // 滞后0.5秒 and 保存偏移量: only the new first line differs.
    Command(window_, kLyricLater);
    Command(window_, kLyricOffsetSave);
    EXPECT_EQ(ReadFile(lrc_path), "[offset:500]\r\n" + lrc);
    // 修改时间标签 and 保存歌词文件: every character kept, in UTF-8.
    Command(window_, kLyricBake);
    Command(window_, kLyricWrite);
    const std::string written = U8(u8"[ti:月亮代表我的心]\r\n[ar:邓丽君]\r\n[al:]\r\n[by:橙鹿]\r\n[offset:0]\r\n"
                                   u8"[00:01.50]你问我爱你有多深\r\n[00:05.50]사랑해요 我爱你有几分\r\n[00:10.50]我的情也真\r\n");
    EXPECT_EQ(ReadFile(lrc_path), written);
    // A UTF-16 file with its mark: the offset saved changes only its tag.
    const std::u16string lyric16 = u"[offset:-200]\r\n[00:01.00]안녕 你好\r\n";
    const std::string utf16_path = Made("月亮.lrc", Utf16Le(lyric16));
    Drop(window_, {song});
    ASSERT_TRUE(LyricOf(window_)->loaded);
    EXPECT_EQ(LyricOf(window_)->offset, -200);
    EXPECT_EQ(seek(2000), "?? 你好");
    Command(window_, kLyricLater);
    Command(window_, kLyricOffsetSave);
    const std::string saved16 = Utf16Le(u"[offset:300]\r\n[00:01.00]안녕 你好\r\n");
    EXPECT_EQ(ReadFile(utf16_path), saved16);
}

// A lyric line of 100 KB: the karaoke window as wide as the screen at most, and little memory.
TEST_F(MusicTest, AVeryLongLyricLineStaysWithinTheScreen) {
    const std::string song = Copy("tone15.wav", "long.wav");
    std::string line;
    while (line.size() < 100000) line += "长长的一行 long line ";
    Made("long.lrc", "[00:00.50]" + line + "\r\n[00:01.00]短\r\n");
    ASSERT_NE(Open(), nullptr);
    const SIZE_T before = PrivateBytes();
    for (std::int16_t style : {2, 3, 1}) {
        style_ = style;
        Drop(window_, {song});
        ASSERT_TRUE(LyricOf(window_)->loaded);
        Wait(300);  // painted a few times
        HWND lyric_window = LyricWindowOf(window_);
        ASSERT_NE(lyric_window, nullptr);
        GetWindowRect(lyric_window, &r_);
        EXPECT_LE(r_.right - r_.left, GetSystemMetrics(SM_CXSCREEN)) << style;
    }
    const SIZE_T after = PrivateBytes();
    std::printf("a 100 KB lyric line in the three lyric windows: %ld KB more memory\n",
                static_cast<long>((static_cast<long long>(after) - static_cast<long long>(before)) / 1024));
    EXPECT_LT(static_cast<long long>(after) - static_cast<long long>(before), 64LL << 20);
}

// The player as the program opens it.
class MusicProgramTest : public test::CalendarTest {};

TEST_F(MusicProgramTest, TheMenuAndTheHotkeyOpenOnePlayerThatOutlivesAViewSwitch) {
    program_.settings.use_registry = 1;
    ASSERT_NE(Open(views::CalendarView::kDay, 2460351), nullptr);
    Command(shell::command::kMusicPlayer);
    HWND player = program_.music_player;
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(GetWindow(player, GW_OWNER), Window());
    SendMessageW(Window(), WM_HOTKEY, shell::kHotkeyMusic, 0);
    EXPECT_EQ(program_.music_player, player);
    EXPECT_TRUE(Above(player, Window()));
    // Each switch of the page gives the player to the new page, above it, and it stays above it
    // when the page is clicked.
    const auto click_page = [this, player] {
        RECT page, covered;
        GetWindowRect(Window(), &page);
        GetWindowRect(player, &covered);
        POINT at{page.left + 8, page.bottom - 8};  // a corner the player does not cover
        if (at.x >= covered.left && at.x < covered.right && at.y >= covered.top && at.y < covered.bottom) at.x = page.right - 8;
        ClickScreen(at);
        PumpUntil([this] { return GetForegroundWindow() == Window(); }, 1000);
    };
    for (int id : {shell::command::kMonthPage, shell::command::kDayPage, shell::command::kMonthPage}) {
        Command(id);
        ASSERT_TRUE(IsWindow(player));
        EXPECT_EQ(GetWindow(player, GW_OWNER), Window()) << id;
        // (Under Wine the X server's order of the new page settles first.)
        EXPECT_TRUE(PumpUntil([&] { return Above(player, Window()); }, 1000)) << id;
        click_page();
        EXPECT_EQ(GetForegroundWindow(), Window()) << id;
        PumpUntil([] { return false; }, 300);
        EXPECT_TRUE(Above(player, Window())) << id;
    }
    // Closing it keeps its list in the registry.
    PlayerOf(player)->AddFiles({kAudio + "\\tone15.wav"});
    SendMessageW(player, WM_COMMAND, kExitCommand, 0);
    Pump();
    EXPECT_EQ(program_.music_player, nullptr);
    EXPECT_EQ(Stored("HistoryAudioList"), kAudio + "\\tone15.wav|");
}

TEST_F(MusicProgramTest, TheShortcutOpensThePlayerAloneAndItsCloseEndsTheProgram) {
    // The link the command makes, beside the program.
    program_.path = settings::SplitProgramPath(text::WideToGbk(TEMPO_PROGRAM_PATH));
    ASSERT_NE(Open(views::CalendarView::kDay, 2460351), nullptr);
    Command(shell::command::kMusicShortcut);
    const std::wstring link_path = text::GbkToWide(program_.path.folder) + L"\\" + text::GbkToWide("橙鹿音乐") + L".LNK";
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    ASSERT_TRUE(SUCCEEDED(file->Load(link_path.c_str(), STGM_READ)));
    wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetArguments(arguments, MAX_PATH);
    file->Release();
    link->Release();
    DeleteFileW(link_path.c_str());
    EXPECT_EQ(std::wstring(arguments), L"/A");
    // Started as the link says: the player is the program's window.
    std::wstring command = L"\"" + std::wstring(target) + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    HWND player = nullptr;
    for (int waited = 0; waited < 20000 && !player; waited += 100) {
        Sleep(100);
        player = FindWindowW(L"TempolineMusic", nullptr);
    }
    ASSERT_NE(player, nullptr);
    DWORD owner_process = 0;
    GetWindowThreadProcessId(player, &owner_process);
    EXPECT_EQ(owner_process, info.dwProcessId);
    // Alone: no calendar page of that program.
    struct Search {
        DWORD process;
        int pages = 0;
    } search{info.dwProcessId};
    EnumWindows(
        [](HWND w, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t name[64] = {};
            GetClassNameW(w, name, 64);
            DWORD process = 0;
            GetWindowThreadProcessId(w, &process);
            if (process == s->process && std::wstring(name).find(L"Page") != std::wstring::npos) ++s->pages;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    EXPECT_EQ(search.pages, 0);
    PostMessageW(player, WM_COMMAND, kExitCommand, 0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

}  // namespace
