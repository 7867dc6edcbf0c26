// The real registry under Windows (or Wine): what the program writes through platform::Registry is
// checked with the raw W functions, and what other programs write is read back through it. The tests
// work below HKEY_CURRENT_USER "Software\TempolineRegistryTest"; the settings round trip uses the
// program's own key and removes it again, so run them in a throw-away prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/registry.h"
#include "settings/settings.h"

namespace {

using platform::RegistryRoot;

constexpr RegistryRoot User = RegistryRoot::CurrentUser;
constexpr RegistryRoot Machine = RegistryRoot::LocalMachine;
const std::string TestKey = "Software\\TempolineRegistryTest";
const wchar_t* const WideTestKey = L"Software\\TempolineRegistryTest";

// A key opened by a test with the raw API.
struct RawKey {
    HKEY key = nullptr;
    RawKey(HKEY root, const std::wstring& path, REGSAM access = KEY_READ) {
        if (RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) key = nullptr;
    }
    RawKey(const RawKey&) = delete;
    RawKey& operator=(const RawKey&) = delete;
    ~RawKey() {
        if (key != nullptr) RegCloseKey(key);
    }
};

// A REG_SZ's code units as Windows stores them, terminator included.
std::wstring WithNul(const wchar_t* text) { return std::wstring(text) + L'\0'; }

bool RawKeyExists(HKEY root, const std::wstring& path) { return RawKey(root, path).key != nullptr; }

// The raw data of a value: its type and its bytes as UTF-16 code units.
struct RawValue {
    bool found = false;
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring data;
};

RawValue ReadRaw(HKEY root, const std::wstring& path, const wchar_t* name) {
    RawValue value;
    RawKey key(root, path);
    if (key.key == nullptr) return value;
    wchar_t buffer[2048] = {};
    DWORD bytes = sizeof(buffer);
    if (RegQueryValueExW(key.key, name, nullptr, &value.type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS) {
        return value;
    }
    value.found = true;
    value.bytes = bytes;
    value.data.assign(buffer, bytes / sizeof(wchar_t));
    return value;
}

void WriteRaw(const std::wstring& path, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

class SystemRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, WideTestKey);
        registry = platform::MakeSystemRegistry();
        ASSERT_NE(registry, nullptr);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, WideTestKey); }

    std::unique_ptr<platform::Registry> registry;
};

TEST_F(SystemRegistryTest, ChineseTextIsStoredAsUtf16AndReadsBackAsGbk) {
    const std::string key = TestKey + "\\中文键";
    ASSERT_TRUE(registry->SetValue(User, key, "名称", "天安门"));
    EXPECT_EQ(registry->ReadValue(User, key, "名称"), "天安门");

    // What Windows holds: REG_SZ in UTF-16, terminator included in the byte count, whatever the
    // locale's ANSI code page is.
    const RawValue raw = ReadRaw(HKEY_CURRENT_USER, L"Software\\TempolineRegistryTest\\中文键", L"名称");
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.bytes, 4 * sizeof(wchar_t));
    EXPECT_EQ(raw.data, WithNul(L"天安门"));
}

TEST_F(SystemRegistryTest, TextWrittenByOtherProgramsIsRead) {
    const std::wstring key = std::wstring(WideTestKey) + L"\\Other";
    const std::string narrow_key = TestKey + "\\Other";
    // Without a terminator in the byte count, as careless writers store it.
    WriteRaw(key, L"NoTerminator", REG_SZ, L"北京", 2 * sizeof(wchar_t));
    WriteRaw(key, L"InnerNul", REG_SZ, L"ab\0cd", 6 * sizeof(wchar_t));
    WriteRaw(key, L"Expand", REG_EXPAND_SZ, L"%TEMP%", 7 * sizeof(wchar_t));
    const DWORD number = 1;
    WriteRaw(key, L"Number", REG_DWORD, &number, sizeof(number));
    WriteRaw(key, L"NotGbk", REG_SZ, L"a\U0001F600b", 5 * sizeof(wchar_t));
    WriteRaw(key, L"Empty", REG_SZ, L"", sizeof(wchar_t));

    EXPECT_EQ(registry->ReadValue(User, narrow_key, "NoTerminator"), "北京");
    EXPECT_EQ(registry->ReadValue(User, narrow_key, "InnerNul"), "ab");
    EXPECT_EQ(registry->ReadValue(User, narrow_key, "Expand"), "%TEMP%");  // not expanded
    EXPECT_EQ(registry->ReadValue(User, narrow_key, "Number"), "");
    EXPECT_EQ(registry->ReadValue(User, narrow_key, "Empty"), "");
    const std::string not_gbk = registry->ReadValue(User, narrow_key, "NotGbk");
    ASSERT_GE(not_gbk.size(), 3u);
    EXPECT_EQ(not_gbk.front(), 'a');
    EXPECT_EQ(not_gbk.back(), 'b');
    EXPECT_NE(not_gbk.find('?'), std::string::npos);  // a character GBK lacks
}

TEST_F(SystemRegistryTest, ValueTextIsWholeAndOnlyWhatTheProgramCanHoldExactly) {
    const std::wstring key = std::wstring(WideTestKey) + L"\\Exact";
    const std::string narrow_key = TestKey + "\\Exact";
    const std::wstring big(50000, L'x');  // 100,000 bytes
    WriteRaw(key, L"Plain", REG_SZ, L"天安门", 4 * sizeof(wchar_t));
    WriteRaw(key, L"NoTerminator", REG_SZ, L"北京", 2 * sizeof(wchar_t));
    WriteRaw(key, L"Expand", REG_EXPAND_SZ, L"%TEMP%\\a.wav", 12 * sizeof(wchar_t));
    WriteRaw(key, L"Big", REG_SZ, big.c_str(), static_cast<DWORD>((big.size() + 1) * sizeof(wchar_t)));
    WriteRaw(key, L"Emoji", REG_SZ, L"a\U0001F600b", 5 * sizeof(wchar_t));
    WriteRaw(key, L"NoBreakSpace", REG_SZ, L"a\u00A0b", 4 * sizeof(wchar_t));
    WriteRaw(key, L"LoneSurrogate", REG_SZ, L"a\xD800" L"b", 4 * sizeof(wchar_t));
    WriteRaw(key, L"InnerNul", REG_SZ, L"ab\0cd", 6 * sizeof(wchar_t));
    WriteRaw(key, L"OddBytes", REG_SZ, "abc", 3);
    const DWORD number = 1;
    WriteRaw(key, L"Number", REG_DWORD, &number, sizeof(number));
    const struct {
        const char* name;
        bool exists;
        DWORD type;
        bool exact;
        std::string text;
    } cases[] = {
        {"Plain", true, REG_SZ, true, "天安门"},
        {"NoTerminator", true, REG_SZ, true, "北京"},
        {"Expand", true, REG_EXPAND_SZ, true, "%TEMP%\\a.wav"},
        {"Big", true, REG_SZ, true, std::string(50000, 'x')},  // not cut to 1023 bytes
        {"Emoji", true, REG_SZ, false, ""},
        {"NoBreakSpace", true, REG_SZ, false, ""},
        {"LoneSurrogate", true, REG_SZ, false, ""},
        {"InnerNul", true, REG_SZ, false, ""},
        {"OddBytes", true, REG_SZ, false, ""},
        {"Number", true, REG_DWORD, false, ""},
        {"Missing", false, 0, false, ""},
    };
    for (const auto& c : cases) {
        const platform::RegistryValueText v = registry->ReadValueText(User, narrow_key, c.name);
        EXPECT_EQ(v.exists, c.exists) << c.name;
        EXPECT_EQ(v.type, c.type) << c.name;
        EXPECT_EQ(v.exact, c.exact) << c.name;
        EXPECT_EQ(v.text, c.text) << c.name;
    }
    // The store's reading of the same values is as before: cut, "?" for what GBK lacks.
    EXPECT_EQ(platform::ReadRegistryString(*registry, User, narrow_key, "Big"), std::string(1023, 'x'));
    EXPECT_EQ(platform::ReadRegistryString(*registry, User, narrow_key, "NoBreakSpace"), "a?b");
}

TEST_F(SystemRegistryTest, DefaultValueHasTheEmptyName) {
    ASSERT_TRUE(registry->SetValue(User, TestKey, "", "默认值"));
    EXPECT_EQ(registry->ReadValue(User, TestKey, ""), "默认值");
    const RawValue raw = ReadRaw(HKEY_CURRENT_USER, WideTestKey, nullptr);
    ASSERT_TRUE(raw.found);
    EXPECT_EQ(raw.data, WithNul(L"默认值"));

    // A default value set by RegSetValueW (the old way) reads the same.
    const std::wstring sub = std::wstring(WideTestKey) + L"\\Sub";
    ASSERT_EQ(RegSetValueW(HKEY_CURRENT_USER, sub.c_str(), REG_SZ, L"旧", 1), ERROR_SUCCESS);
    EXPECT_EQ(registry->ReadValue(User, TestKey + "\\Sub", ""), "旧");
}

TEST_F(SystemRegistryTest, MissingKeysAndValuesReadEmpty) {
    EXPECT_EQ(registry->ReadValue(User, TestKey + "\\Nowhere", "Version"), "");
    EXPECT_EQ(registry->ReadValue(User, TestKey + "\\Nowhere", ""), "");
    ASSERT_TRUE(registry->SetValue(User, TestKey, "A", "1"));
    EXPECT_EQ(registry->ReadValue(User, TestKey, "B"), "");
    EXPECT_EQ(registry->ReadValue(User, TestKey, ""), "");  // no default value set
}

TEST_F(SystemRegistryTest, NamesIgnoreAsciiCase) {
    ASSERT_TRUE(registry->SetValue(User, TestKey + "\\Case", "Version", "4.2"));
    EXPECT_EQ(registry->ReadValue(User, "SOFTWARE\\TEMPOLINEREGISTRYTEST\\CASE", "VERSION"), "4.2");
    EXPECT_TRUE(registry->DeleteValue(User, TestKey + "\\case", "version"));
    EXPECT_EQ(registry->ReadValue(User, TestKey + "\\Case", "Version"), "");
}

TEST_F(SystemRegistryTest, DeletingValuesAndKeys) {
    const std::string key = TestKey + "\\Parent";
    ASSERT_TRUE(registry->SetValue(User, key, "A", "1"));
    ASSERT_TRUE(registry->SetValue(User, key + "\\Child", "B", "2"));
    EXPECT_TRUE(registry->DeleteValue(User, key, "A"));
    EXPECT_EQ(registry->ReadValue(User, key, "A"), "");
    EXPECT_FALSE(registry->DeleteValue(User, key, "A"));
    EXPECT_FALSE(registry->DeleteValue(User, key + "\\Nowhere", "A"));

    EXPECT_FALSE(registry->DeleteKey(User, key));  // it still has a subkey
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, L"Software\\TempolineRegistryTest\\Parent"));
    EXPECT_TRUE(registry->DeleteKey(User, key + "\\Child"));
    EXPECT_TRUE(registry->DeleteKey(User, key));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, L"Software\\TempolineRegistryTest\\Parent"));
    EXPECT_FALSE(registry->DeleteKey(User, key));
    EXPECT_FALSE(registry->DeleteKey(User, ""));  // never the root
}

TEST_F(SystemRegistryTest, NamesThatAreNoGbkTextAreRefused) {
    const std::string broken_name("\x81", 1);  // a lead byte without its second byte
    EXPECT_FALSE(registry->SetValue(User, TestKey, broken_name, "x"));
    EXPECT_FALSE(registry->SetValue(User, TestKey + "\\" + broken_name, "A", "x"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, WideTestKey));
}

TEST_F(SystemRegistryTest, StoreOperationsDeleteForZeroAndLimitValues) {
    ASSERT_TRUE(platform::WriteRegistryString(*registry, User, TestKey, "Flag", "1"));
    EXPECT_EQ(platform::ReadRegistryString(*registry, User, TestKey, "Flag"), "1");
    EXPECT_TRUE(platform::WriteRegistryString(*registry, User, TestKey, "Flag", "0"));
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, WideTestKey, L"Flag").found);

    std::string chinese;
    while (chinese.size() < 1100) chinese += "历";
    ASSERT_TRUE(platform::WriteRegistryString(*registry, User, TestKey, "Long", chinese));
    EXPECT_EQ(platform::ReadRegistryString(*registry, User, TestKey, "Long"), chinese.substr(0, 1022));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, WideTestKey, L"Long").data.size(), 511u + 1u);
}

// --- the settings store on the real registry ---------------------------------------------------------

bool NoBitmap(const std::string&) { return false; }
bool AnyBitmap(const std::string&) { return true; }

const settings::ProgramPath Program{"C:\\Program Files\\橙鹿", "Tempoline.exe"};

TEST(SettingsOnSystemRegistry, SaveLoadAndRemoveEverything) {
    auto registry = platform::MakeSystemRegistry();
    settings::RemoveAllSettings(*registry);  // quiet on an empty store

    settings::Settings settings;
    settings.use_registry = 1;
    settings.start_with_windows = 1;
    settings.dform_show_info_type_flag = 2;
    settings.dform_back_bitmap_name = "D:\\图片\\背景.bmp";
    settings.alarms[1] = {1, 480, 3};
    settings.form_center_x = 400;
    settings.place = places::LoadLocalPlace("4", "30");
    settings.lyric_file_find_path = "D:\\歌词";
    settings::SaveSettings(*registry, settings, Program, true);
    registry->SetValue(User, settings::SolarMemorialKey, "05-12", "AD2008纪念");

    const settings::Settings loaded = settings::LoadSettings(*registry, Program, {1024, 768}, AnyBitmap);
    EXPECT_EQ(loaded.use_registry, 1);
    EXPECT_EQ(loaded.start_with_windows, 1);
    EXPECT_EQ(loaded.dform_show_info_type_flag, 2);
    EXPECT_EQ(loaded.dform_back_bitmap_name, "D:\\图片\\背景.bmp");
    EXPECT_EQ(loaded.alarms[1].time_minutes, 480);
    EXPECT_EQ(loaded.alarms[1].sound_index, 3);
    EXPECT_EQ(loaded.form_center_x, 400);
    EXPECT_EQ(loaded.form_center_y, -1);
    EXPECT_EQ(loaded.place.prov_index, 4);
    EXPECT_EQ(loaded.place.city_index, 30);
    EXPECT_EQ(settings::LoadSettings(*registry, Program, {1024, 768}, NoBitmap).dform_back_bitmap_name, "");

    const RawValue run = ReadRaw(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Tempoline");
    ASSERT_TRUE(run.found);
    EXPECT_EQ(run.data, WithNul(L"\"C:\\Program Files\\橙鹿\\Tempoline.exe\""));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, L"Software\\Tempoline", L"FormCenterX").data, WithNul(L"400.0"));

    settings::RemoveAllSettings(*registry);
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, L"Software\\Tempoline"));
    EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Tempoline").found);
    EXPECT_EQ(settings::LoadSettings(*registry, Program, {1024, 768}, AnyBitmap).use_registry, 0);
}

// A user without administrator rights cannot write HKEY_LOCAL_MACHINE's Run key. The key's access
// list is narrowed to reading for the test and restored afterwards.
class LockedMachineRunKey : public ::testing::Test {
protected:
    void SetUp() override {
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RunPath, 0, READ_CONTROL | WRITE_DAC, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
            GTEST_SKIP() << "the Run key's access list cannot be changed here";
        }
        DWORD size = 0;
        RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
        saved_.resize(size);
        ASSERT_EQ(RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size), ERROR_SUCCESS);

        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone_));
        const DWORD acl_size = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(everyone_);
        acl_.resize(acl_size);
        auto* acl = reinterpret_cast<ACL*>(acl_.data());
        ASSERT_TRUE(InitializeAcl(acl, acl_size, ACL_REVISION));
        ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone_));
        SECURITY_DESCRIPTOR descriptor;
        ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
        ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
        ASSERT_EQ(RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
        locked_ = true;
    }
    void TearDown() override {
        if (locked_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
        if (everyone_ != nullptr) FreeSid(everyone_);
        if (key_ != nullptr) RegCloseKey(key_);
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tempoline");
    }

    // The lock holds when the key can no longer be opened for writing.
    bool Locked() const {
        HKEY probe = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, RunPath, 0, KEY_ALL_ACCESS, &probe) != ERROR_SUCCESS) return true;
        RegCloseKey(probe);
        return false;
    }

    static constexpr const wchar_t* RunPath = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    HKEY key_ = nullptr;
    std::string saved_;
    std::string acl_;
    PSID everyone_ = nullptr;
    bool locked_ = false;
};

TEST_F(LockedMachineRunKey, RunEntryFallsBackToTheUser) {
    if (!Locked()) GTEST_SKIP() << "this system does not enforce registry access lists";
    auto registry = platform::MakeSystemRegistry();
    settings::Settings settings;
    settings.use_registry = 1;
    settings.start_with_windows = 1;
    settings::SaveSettings(*registry, settings, Program, false);
    EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, RunPath, L"Tempoline").found);
    const RawValue user_run =
        ReadRaw(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Tempoline");
    ASSERT_TRUE(user_run.found);
    EXPECT_EQ(user_run.data, WithNul(L"\"C:\\Program Files\\橙鹿\\Tempoline.exe\""));
    EXPECT_EQ(settings::LoadSettings(*registry, Program, {1024, 768}, NoBitmap).start_with_windows, 1);

    settings.start_with_windows = 0;
    settings::SaveSettings(*registry, settings, Program, false);
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Tempoline").found);
}

}  // namespace
