// The resources of Tempoline.exe (resources/tempoline.rc), linked into this test program as they
// are into the program: the icon by name, the application manifest and the version information.
// Windows build only (runs under Wine).
#include <windows.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

// The size of the colour bitmap of an icon, or 0x0 when there is none.
SIZE icon_size(HICON icon) {
  SIZE size{0, 0};
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return size;
  BITMAP bitmap{};
  if (GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap)) {
    size.cx = bitmap.bmWidth;
    size.cy = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return size;
}

std::vector<char> own_version_info() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &handle);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoW(path, 0, size, block.data())) block.clear();
  return block;
}

std::wstring version_string(std::vector<char>& block, const wchar_t* name) {
  std::wstring key = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
    return L"(missing)";
  return value;
}

}  // namespace

TEST(Resources, IconLoadsByNameAtEverySize) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  for (int size : {16, 20, 24, 32, 40, 48, 64, 128, 256}) {
    HICON icon = static_cast<HICON>(LoadImageW(self, L"FORM_APPICON", IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    SIZE got = icon_size(icon);
    EXPECT_EQ(got.cx, size);
    EXPECT_EQ(got.cy, size);
    DestroyIcon(icon);
  }
  EXPECT_NE(LoadIconW(self, L"FORM_APPICON"), nullptr);
}

// The sizes Windows asks for at 100 %, 125 %, 150 % and 200 % (small icons 16, 20, 24, 32; large
// ones 32, 40, 48, 64) and the largest, 256, are images of the icon itself, none made by scaling
// another: the icon's directory (RT_GROUP_ICON: a 6-byte header, then 14 bytes per image, a width
// of 0 meaning 256) lists each.
TEST(Resources, TheIconHoldsAnImageForEveryScale) {
  HRSRC found = FindResourceW(nullptr, L"FORM_APPICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(found, nullptr);
  const auto* directory = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_NE(directory, nullptr);
  const int count = directory[4] | directory[5] << 8;
  std::vector<int> sizes;
  for (int i = 0; i < count; ++i) {
    const unsigned char* entry = directory + 6 + 14 * i;
    sizes.push_back(entry[0] == 0 ? 256 : entry[0]);
    EXPECT_EQ(entry[0], entry[1]) << "square";
  }
  for (int size : {16, 20, 24, 32, 40, 48, 64, 256})
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), size), sizes.end()) << size;
}

// The player's images at 100 %, 150 % and 200 %: 20 x 16, 30 x 24 and 40 x 32 pixels.
TEST(Resources, PlayerImagesAtEveryScale) {
  for (const wchar_t* name : {L"CTL_SOUND", L"CTL_MUTE", L"CTL_LYRIC", L"CTL_NOLRC", L"CTL_LIST", L"CTL_NOLIST"}) {
    const struct {
      const wchar_t* suffix;
      int width, height;
    } scales[] = {{L"", 20, 16}, {L"_150", 30, 24}, {L"_200", 40, 32}};
    for (const auto& scale : scales) {
      const std::wstring resource = std::wstring(name) + scale.suffix;
      HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), resource.c_str(), IMAGE_BITMAP, 0, 0, 0));
      ASSERT_NE(bitmap, nullptr) << std::string(resource.begin(), resource.end());
      BITMAP info{};
      GetObjectW(bitmap, sizeof info, &info);
      EXPECT_EQ(info.bmWidth, scale.width);
      EXPECT_EQ(info.bmHeight, scale.height);
      DeleteObject(bitmap);
    }
  }
}

// The manifest declares the program aware of each monitor's DPI (version 2, else 1), with the
// system's DPI as the fallback of older Windows, and the program runs so.
TEST(Resources, ManifestDeclaresPerMonitorDpiAwareness) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // the manifest
  ASSERT_NE(found, nullptr);
  const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
  const std::string manifest(text, SizeofResource(nullptr, found));
  EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
  using GetContext = HANDLE(WINAPI*)();
  using AwarenessOf = int(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto context = reinterpret_cast<GetContext>(reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
  const auto awareness = reinterpret_cast<AwarenessOf>(reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  if (context && awareness) {
    EXPECT_EQ(awareness(context()), 2);  // DPI_AWARENESS_PER_MONITOR_AWARE
  }
}

TEST(Resources, ManifestSelectsCommonControls6) {
  EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
  // Load comctl32 the way the program does, through the activation context of the manifest.
  HMODULE comctl = LoadLibraryW(L"comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  DWORD major = 0;
  if (auto get_version = reinterpret_cast<DLLGETVERSIONPROC>(
          reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")))) {
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (SUCCEEDED(get_version(&info))) major = info.dwMajorVersion;
  }
  // Windows reports 6.x. Wine's comctl32 reports 5.81 from either copy; there the proof is that
  // the loader took the side-by-side copy of common controls 6 instead of the one in system32.
  wchar_t path[MAX_PATH] = L"";
  GetModuleFileNameW(comctl, path, MAX_PATH);
  std::wstring lower(path);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  bool side_by_side = lower.find(L"common-controls_6595b64144ccf1df_6.") != std::wstring::npos;
  EXPECT_TRUE(major == 6 || side_by_side) << "comctl32 " << major << " loaded from " << lower;
  FreeLibrary(comctl);
}

TEST(Resources, VersionInformation) {
  std::vector<char> block = own_version_info();
  ASSERT_FALSE(block.empty());
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(2, 4)));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(MAKELONG(2, 4)));
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);

  // "Tempoline 橙鹿万年历", written with escapes so that the execution character set plays no part.
  EXPECT_EQ(version_string(block, L"FileDescription"), L"Tempoline \u6a59\u9e7f\u4e07\u5e74\u5386");
  EXPECT_EQ(version_string(block, L"ProductName"), L"Tempoline");
  EXPECT_EQ(version_string(block, L"FileVersion"), L"4.2.0.0");
  EXPECT_EQ(version_string(block, L"ProductVersion"), L"4.2.0.0");
  EXPECT_EQ(version_string(block, L"OriginalFilename"), L"Tempoline.exe");
}
