// The libraries the program loads when a feature first needs them: found in the system folder
// only, and where one cannot be loaded its feature answers as it does when the system refuses it.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/network.h"
#include "platform/sound.h"
#include "tests/windows/test_server.h"
#include "tests/windows/test_support.h"
#include "weather/weather_window.h"
#include "weather/weather_worker.h"
#include "win/shell_services.h"
#include "win/system_library.h"

namespace {

using test::Pump;
using test::PumpUntil;

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return folder;
}

std::wstring ProgramFolder() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder = module;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

TEST(LateLibraries, OnlyFromTheSystemFolderAndMissingOnesGiveNothing) {
    EXPECT_EQ(win::SystemLibrary(L"no-such-library.dll"), nullptr);
    EXPECT_EQ(win::SystemFunction<FARPROC>(L"no-such-library.dll", "Anything"), nullptr);
    EXPECT_EQ(win::SystemFunction<FARPROC>(L"kernel32.dll", "NoSuchFunctionAnywhere"), nullptr);
    // A function found works.
    const auto length = win::SystemFunction<decltype(&lstrlenW)>(L"kernel32.dll", "lstrlenW");
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length(L"橙鹿"), 2);
    // A library that lies beside the program but not in the system folder is not taken, though
    // the ordinary search would find it there.
    const std::wstring copy = ProgramFolder() + L"\\tempoline-late-library.dll";
    ASSERT_TRUE(CopyFileW((SystemFolder() + L"\\winmm.dll").c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(win::SystemLibrary(L"tempoline-late-library.dll"), nullptr);
    HMODULE beside = LoadLibraryW(L"tempoline-late-library.dll");
    EXPECT_NE(beside, nullptr);
    if (beside) FreeLibrary(beside);
    DeleteFileW(copy.c_str());
}

// The user's application-data folder, which the start reads without the shell, is the one the
// shell names; where the environment does not say, the shell is asked.
TEST(LateLibraries, TheApplicationDataFolderIsTheShells) {
    wchar_t shell_says[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, shell_says)));
    EXPECT_EQ(win::ApplicationDataFolder(), shell_says);
    wchar_t kept[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"APPDATA", kept, MAX_PATH), 0u);
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    EXPECT_EQ(win::ApplicationDataFolder(), shell_says);
    SetEnvironmentVariableW(L"APPDATA", L"Z:\\no\\such\\folder");  // a stale value is not taken
    EXPECT_EQ(win::ApplicationDataFolder(), shell_says);
    SetEnvironmentVariableW(L"APPDATA", kept);
}

TEST(LateLibraries, WithoutTheSoundLibraryNothingPlaysAndEveryCommandIsRefused) {
    const std::unique_ptr<platform::MciDevice> mci = platform::MakeSystemMci(L"no-such-winmm.dll");
    std::string reply = "left from before";
    EXPECT_FALSE(mci->Send("sysinfo all quantity", &reply));
    EXPECT_EQ(reply, "");
    EXPECT_FALSE(mci->Send("open \"C:\\\\any.mp3\" type MPEGVideo alias AudioMCI"));
    // The real device answers the same question.
    const std::unique_ptr<platform::MciDevice> real = platform::MakeSystemMci();
    EXPECT_TRUE(real->Send("sysinfo all quantity", &reply));
    EXPECT_FALSE(reply.empty());
    // A resource "played" without the library returns at once, having played nothing.
    const std::unique_ptr<platform::SoundPlayer> player = platform::MakeSystemSoundPlayer(L"no-such-winmm.dll");
    test::Capture capture;
    capture.Mark();
    player->PlayResource("SoundRing");
    player->Stop();
    if (capture.Available()) {
        EXPECT_EQ(capture.Peak(), 0);
    }
}

// Without the sockets library the weather viewer says what it says when the network is down, and
// nothing reaches the server.
TEST(LateLibraries, WithoutTheSocketsLibraryTheWeatherViewerFindsTheNetworkDown) {
    const std::unique_ptr<platform::Network> network = platform::MakeSystemNetwork(L"no-such-ws2_32.dll");
    test::TestServer server(test::TestServer::kServe, "HTTP/1.0 200 OK\r\n\r\n");
    HWND viewer = weather::OpenWeatherViewer(nullptr, {network.get(), server.Host(), 9, 1});
    ASSERT_NE(viewer, nullptr);
    Pump();
    SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(weather::kQueryId, BN_CLICKED), 0);
    EXPECT_TRUE(PumpUntil([viewer] { return weather::WeatherFetchState(viewer) == weather::kFinished; }, 30000));
    Pump();
    EXPECT_EQ(test::Text(viewer, weather::kStatusId), "  网络断开！！！");
    EXPECT_EQ(server.connections(), 0);
    DestroyWindow(viewer);
    Pump();
}

// Without the common dialogs' library the open dialog tells the user so, and nothing is chosen.
TEST(LateLibraries, WithoutItsLibraryTheOpenDialogSaysSo) {
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    std::string said;
    std::vector<std::function<void()>> steps(200, [&said] {  // 10 s to show, each step reads and answers
        HWND box = test::FindByCaption("提示");
        if (!box || !IsWindowVisible(box) || !said.empty()) return;
        said = test::Text(box, 0xFFFF);  // the text of a message box
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    bool chosen = true;
    {
        const test::ModalSteps answer(std::move(steps));
        chosen = win::ChooseFileToOpen(dialog, L"no-such-comdlg32.dll");
    }
    EXPECT_FALSE(chosen);
    EXPECT_NE(said.find("no-such-comdlg32.dll"), std::string::npos) << said;
}

}  // namespace
