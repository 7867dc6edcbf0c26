#include "settings/settings.h"
#include "text/gbk.h"
#include "text/numbers.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using platform::MemoryRegistry;
using platform::RegistryOperation;
using platform::RegistryRoot;
using namespace settings;

constexpr RegistryRoot User = RegistryRoot::CurrentUser;
constexpr RegistryRoot Machine = RegistryRoot::LocalMachine;
using Kind = RegistryOperation::Kind;

const ProgramPath Program{"C:\\Tools\\Tempoline", "Tempoline.exe"};
constexpr ScreenSize Screen{1024, 768};

// The value names of the main key in the order of loading, written out here independently of the
// code under test.
const std::vector<std::string> ValuesInLoadingOrder = {
    "WholeAutoReportTimeFlag", "GanZhiFromChunjieFlag", "CloseBackAudioPlayFlag", "ModernCalculateAncientFlag",
    "NearLocateMemorialFlag", "DFORMShowDynastyFlag", "DFORMShowInfoTypeFlag", "DFORMBackBitmapName",
    "CalendarShowTypeFlag", "HideHolidaysFlag", "OpenAlarmClockAFlag", "DefiniteAlarmATime",
    "DefiniteAlarmASoundIndex", "OpenAlarmClockBFlag", "DefiniteAlarmBTime", "DefiniteAlarmBSoundIndex", "OpenAlarmClockCFlag",
    "DefiniteAlarmCTime", "DefiniteAlarmCSoundIndex", "FormCenterX", "FormCenterY", "NowProvIndex", "NowCityIndex",
};

const std::vector<std::string> MusicValues = {"HistoryAudioList", "ShowLyricWindowFlag", "LyricFileFindPath",
                                              "LFORMTop"};

// A file system with a few bitmaps and folders.
const std::set<std::string> Bitmaps = {"D:\\图片\\背景.bmp", "C:\\pics\\sky.bmp"};
const std::set<std::string> Folders = {"D:\\歌词", "C:\\lyrics"};
bool BitmapLoads(const std::string& path) { return Bitmaps.count(path) == 1; }
bool FolderExists(const std::string& path) { return Folders.count(path) == 1; }

void Store(MemoryRegistry& registry, const std::string& name, const std::string& value) {
    registry.SetValue(User, SettingsKey, name, value);
}

std::string Stored(const MemoryRegistry& registry, const std::string& name) {
    return registry.StoredValue(User, SettingsKey, name);
}

Settings Load(const MemoryRegistry& registry) { return LoadSettings(registry, Program, Screen, BitmapLoads); }

// The same settings stored (valid) for every value of the main key.
void StoreValidValues(MemoryRegistry& registry) {
    Store(registry, "Version", "4.2");
    for (const char* flag : {"WholeAutoReportTimeFlag", "GanZhiFromChunjieFlag", "CloseBackAudioPlayFlag",
                             "ModernCalculateAncientFlag", "NearLocateMemorialFlag", "DFORMShowDynastyFlag",
                             "CalendarShowTypeFlag", "HideHolidaysFlag", "OpenAlarmClockAFlag", "OpenAlarmClockBFlag",
                             "OpenAlarmClockCFlag"}) {
        Store(registry, flag, "1");
    }
    Store(registry, "DFORMShowInfoTypeFlag", "2");
    Store(registry, "DFORMBackBitmapName", "D:\\图片\\背景.bmp");
    Store(registry, "DefiniteAlarmATime", "1");
    Store(registry, "DefiniteAlarmASoundIndex", "1");
    Store(registry, "DefiniteAlarmBTime", "720");
    Store(registry, "DefiniteAlarmBSoundIndex", "3");
    Store(registry, "DefiniteAlarmCTime", "1439");
    Store(registry, "DefiniteAlarmCSoundIndex", "4");
    Store(registry, "FormCenterX", "512.0");
    Store(registry, "FormCenterY", "300.0");
    Store(registry, "NowProvIndex", "4");
    Store(registry, "NowCityIndex", "30");
    registry.SetValue(Machine, MachineRunKey, RunValueName, "C:\\Tools\\Tempoline\\Tempoline.exe");
}

// Compares every field, naming the one that differs.
void ExpectSameSettings(const Settings& actual, const Settings& expected) {
    EXPECT_EQ(actual.use_registry, expected.use_registry);
    EXPECT_EQ(actual.start_with_windows, expected.start_with_windows);
    EXPECT_EQ(actual.whole_auto_report_time_flag, expected.whole_auto_report_time_flag);
    EXPECT_EQ(actual.gan_zhi_from_chunjie_flag, expected.gan_zhi_from_chunjie_flag);
    EXPECT_EQ(actual.close_back_audio_play_flag, expected.close_back_audio_play_flag);
    EXPECT_EQ(actual.modern_calculate_ancient_flag, expected.modern_calculate_ancient_flag);
    EXPECT_EQ(actual.near_locate_memorial_flag, expected.near_locate_memorial_flag);
    EXPECT_EQ(actual.dform_show_dynasty_flag, expected.dform_show_dynasty_flag);
    EXPECT_EQ(actual.dform_show_info_type_flag, expected.dform_show_info_type_flag);
    EXPECT_EQ(actual.dform_back_bitmap_name, expected.dform_back_bitmap_name);
    EXPECT_EQ(actual.calendar_show_type_flag, expected.calendar_show_type_flag);
    EXPECT_EQ(actual.hide_holidays_flag, expected.hide_holidays_flag);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(actual.alarms[i].open_flag, expected.alarms[i].open_flag) << "alarm " << i;
        EXPECT_EQ(actual.alarms[i].time_minutes, expected.alarms[i].time_minutes) << "alarm " << i;
        EXPECT_EQ(actual.alarms[i].sound_index, expected.alarms[i].sound_index) << "alarm " << i;
    }
    EXPECT_EQ(actual.form_center_x, expected.form_center_x);
    EXPECT_EQ(actual.form_center_y, expected.form_center_y);
    EXPECT_EQ(actual.place.prov_index, expected.place.prov_index);
    EXPECT_EQ(actual.place.city_index, expected.place.city_index);
    EXPECT_DOUBLE_EQ(actual.place.longitude, expected.place.longitude);
    EXPECT_DOUBLE_EQ(actual.place.latitude, expected.place.latitude);
    EXPECT_EQ(actual.history_audio_list, expected.history_audio_list);
    EXPECT_EQ(actual.show_lyric_window_flag, expected.show_lyric_window_flag);
    EXPECT_EQ(actual.lyric_file_find_path, expected.lyric_file_find_path);
    EXPECT_EQ(actual.lform_top, expected.lform_top);
}

// The settings of a program without the registry, written out: 北京 天安门, the window centred.
void ExpectDefaults(const Settings& settings) {
    Settings expected;
    expected.place = {1, 1, -116.38, 39.90};
    ExpectSameSettings(settings, expected);
}

// The operations that change the registry (reads left out).
std::vector<RegistryOperation> Changes(const MemoryRegistry& registry) {
    std::vector<RegistryOperation> changes;
    for (const RegistryOperation& op : registry.Operations()) {
        if (op.kind != Kind::Read) changes.push_back(op);
    }
    return changes;
}

// --- the store's low-level operations ---------------------------------------------------------------

TEST(RegistryStore, WrittenTextReadsBackUnderItsNameAndTheDefaultValue) {
    MemoryRegistry registry;
    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "Software\\测试", "名称", "天安门"));
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "Software\\测试", "名称"), "天安门");
    EXPECT_EQ(registry.StoredValue(User, "Software\\测试", "名称"), "天安门");

    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "Software\\测试", "", "默认"));
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "Software\\测试", ""), "默认");
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "Software\\测试", "名称"), "天安门");
}

TEST(RegistryStore, MissingKeyOrValueReadsEmpty) {
    MemoryRegistry registry;
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "Software\\Nothing", "Version"), "");
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "Software\\Nothing", ""), "");
    registry.SetValue(User, "Software\\Something", "A", "x");
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "Software\\Something", "B"), "");
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "Software\\Something", ""), "");  // no default set
    EXPECT_EQ(platform::ReadRegistryString(registry, Machine, "Software\\Something", "A"), "");  // other root
}

TEST(RegistryStore, EmptyOrZeroDeletesTheValueInsteadOfWriting) {
    MemoryRegistry registry;
    registry.SetValue(User, "K", "Flag", "1");
    registry.SetValue(User, "K", "Text", "abc");
    registry.ClearOperations();

    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "Flag", "0"));
    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "Text", ""));
    EXPECT_FALSE(registry.HasValue(User, "K", "Flag"));
    EXPECT_FALSE(registry.HasValue(User, "K", "Text"));
    for (const RegistryOperation& op : registry.Operations()) EXPECT_EQ(op.kind, Kind::DeleteValue) << op.name;

    // Only the exact texts delete: other spellings of zero are written.
    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "A", "00"));
    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "B", "0.0"));
    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "C", " 0"));
    EXPECT_EQ(registry.StoredValue(User, "K", "A"), "00");
    EXPECT_EQ(registry.StoredValue(User, "K", "B"), "0.0");
    EXPECT_EQ(registry.StoredValue(User, "K", "C"), " 0");

    // Clearing a value that is not there creates nothing.
    EXPECT_FALSE(platform::WriteRegistryString(registry, User, "Software\\New", "Flag", "0"));
    EXPECT_FALSE(registry.HasKey(User, "Software\\New"));
}

TEST(RegistryStore, KeyPathsAndNamesAreLimitedTo260Bytes) {
    MemoryRegistry registry;
    const std::string name260(260, 'n');
    const std::string name261(261, 'n');
    const std::string key260 = "S\\" + std::string(258, 'k');
    const std::string key261 = key260 + "k";

    EXPECT_TRUE(platform::WriteRegistryString(registry, User, key260, name260, "v"));
    EXPECT_EQ(platform::ReadRegistryString(registry, User, key260, name260), "v");
    EXPECT_TRUE(platform::DeleteRegistryValue(registry, User, key260, name260));
    EXPECT_TRUE(platform::DeleteRegistryKey(registry, User, key260));

    registry.SetValue(User, key261, "n", "v");
    registry.SetValue(User, "S", name261, "v");
    registry.ClearOperations();
    EXPECT_FALSE(platform::WriteRegistryString(registry, User, key261, "n", "w"));
    EXPECT_FALSE(platform::WriteRegistryString(registry, User, "S", name261, "w"));
    EXPECT_EQ(platform::ReadRegistryString(registry, User, key261, "n"), "");
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "S", name261), "");
    EXPECT_FALSE(platform::DeleteRegistryValue(registry, User, "S", name261));
    EXPECT_FALSE(platform::WriteRegistryString(registry, User, "S", name261, "0"));
    EXPECT_FALSE(platform::DeleteRegistryKey(registry, User, key261));
    EXPECT_TRUE(registry.Operations().empty());  // refused before reaching the registry
    EXPECT_EQ(registry.StoredValue(User, key261, "n"), "v");
    EXPECT_EQ(registry.StoredValue(User, "S", name261), "v");
}

TEST(RegistryStore, ValuesAreLimitedTo1023BytesWithoutSplittingAChineseCharacter) {
    MemoryRegistry registry;
    const std::string full(1023, 'a');
    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "Full", full));
    EXPECT_EQ(registry.StoredValue(User, "K", "Full"), full);
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "K", "Full"), full);

    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "Long", full + "bcd"));
    EXPECT_EQ(registry.StoredValue(User, "K", "Long"), full);

    // 1022 bytes and a two-byte character: the character does not fit and is left out whole.
    const std::string split = std::string(1022, 'a') + "天";
    ASSERT_EQ(split.size(), 1024u);
    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "Split", split));
    EXPECT_EQ(registry.StoredValue(User, "K", "Split"), std::string(1022, 'a'));

    // Chinese text that fits exactly stays whole.
    std::string chinese;
    while (chinese.size() < 1022) chinese += "历";
    EXPECT_TRUE(platform::WriteRegistryString(registry, User, "K", "Chinese", chinese + "a"));
    EXPECT_EQ(registry.StoredValue(User, "K", "Chinese"), chinese + "a");
}

TEST(RegistryStore, ReadsStopAtTheFirstNulAnd1023Bytes) {
    MemoryRegistry registry;
    registry.SetValue(User, "K", "Nul", std::string("abc\0def", 7));
    registry.SetValue(User, "K", "Long", std::string(1500, 'x'));
    registry.SetValue(User, "K", "LeadingNul", std::string("\0abc", 4));
    registry.SetValue(User, "K", "Chinese", std::string(1022, 'x') + "天安门");
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "K", "Nul"), "abc");
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "K", "Long"), std::string(1023, 'x'));
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "K", "LeadingNul"), "");
    EXPECT_EQ(platform::ReadRegistryString(registry, User, "K", "Chinese"), std::string(1022, 'x'));
}

TEST(RegistryStore, KeyWithSubkeysIsNotDeleted) {
    MemoryRegistry registry;
    registry.SetValue(User, "Software\\App\\Sub", "A", "1");
    registry.SetValue(User, "Software\\App", "B", "2");
    EXPECT_FALSE(platform::DeleteRegistryKey(registry, User, "Software\\App"));
    EXPECT_EQ(registry.StoredValue(User, "Software\\App", "B"), "2");
    EXPECT_TRUE(platform::DeleteRegistryKey(registry, User, "Software\\App\\Sub"));
    EXPECT_TRUE(platform::DeleteRegistryKey(registry, User, "Software\\App"));
    EXPECT_FALSE(registry.HasKey(User, "Software\\App"));
    EXPECT_TRUE(registry.HasKey(User, "Software"));  // the key above stays
    EXPECT_FALSE(platform::DeleteRegistryKey(registry, User, "Software\\App"));  // already gone
    EXPECT_FALSE(platform::DeleteRegistryValue(registry, User, "Software\\App", "B"));
}

TEST(RegistryStore, UpperCaseLeavesTheSecondByteOfChineseCharactersAlone) {
    EXPECT_EQ(text::UpperCaseAscii("c:\\Program Files\\tempoline.exe"), "C:\\PROGRAM FILES\\TEMPOLINE.EXE");
    // GBK 0x81 0x61 is one character whose second byte is the code of "a"; "丂a" has a real "a".
    const std::string character_and_a = std::string("\x81\x61") + "a";
    EXPECT_EQ(text::UpperCaseAscii(character_and_a), std::string("\x81\x61") + "A");
    EXPECT_EQ(text::UpperCaseAscii("天安门x"), "天安门X");
    EXPECT_EQ(text::UpperCaseAscii(""), "");
}

TEST(RegistryStore, GbkPrefixKeepsWholeCharacters) {
    EXPECT_EQ(text::GbkPrefix("abc", 5), "abc");
    EXPECT_EQ(text::GbkPrefix("abc", 2), "ab");
    EXPECT_EQ(text::GbkPrefix("a天b", 2), "a");
    EXPECT_EQ(text::GbkPrefix("a天b", 3), "a天");
    EXPECT_EQ(text::GbkPrefix("天", 1), "");
    EXPECT_EQ(text::GbkPrefix("", 0), "");
}

// --- the in-memory registry behaves like the real one -----------------------------------------------

TEST(MemoryRegistry, NamesIgnoreAsciiCaseAndKeepTheirFirstSpelling) {
    MemoryRegistry registry;
    registry.SetValue(User, "Software\\Tempoline", "Version", "4.2");
    EXPECT_EQ(registry.ReadValue(User, "SOFTWARE\\TEMPOLINE", "VERSION"), "4.2");
    registry.SetValue(User, "software\\tempoline", "version", "4.3");
    EXPECT_EQ(registry.ReadValue(User, "Software\\Tempoline", "Version"), "4.3");
    EXPECT_EQ(registry.ValueNames(User, "Software\\Tempoline"), std::vector<std::string>{"Version"});
    EXPECT_EQ(registry.KeyCount(), 2u);  // Software, Software\Tempoline
}

TEST(MemoryRegistry, ReadOnlyRootRefusesEveryChangeButReads) {
    MemoryRegistry registry;
    registry.SetValue(Machine, "Soft\\Run", "A", "x");
    registry.SetWritable(Machine, false);
    EXPECT_FALSE(registry.SetValue(Machine, "Soft\\Run", "B", "y"));
    EXPECT_FALSE(registry.DeleteValue(Machine, "Soft\\Run", "A"));
    EXPECT_FALSE(registry.DeleteKey(Machine, "Soft\\Run"));
    EXPECT_EQ(registry.ReadValue(Machine, "Soft\\Run", "A"), "x");
    EXPECT_TRUE(registry.SetValue(User, "Soft\\Run", "B", "y"));  // the other root is not affected
}

TEST(MemoryRegistry, MalformedKeyPathsAreRefused) {
    MemoryRegistry registry;
    EXPECT_FALSE(registry.SetValue(User, "\\Software", "A", "x"));
    EXPECT_FALSE(registry.SetValue(User, "Software\\\\X", "A", "x"));
    EXPECT_FALSE(registry.SetValue(User, "Software\\", "A", "x"));
    EXPECT_EQ(registry.KeyCount(), 0u);
    // The second byte of a GBK character may be 0x5C, the code of "\": it separates nothing.
    const std::string key = std::string("Software\\\x95\x5C");
    EXPECT_TRUE(registry.SetValue(User, key, "A", "x"));
    EXPECT_EQ(registry.KeyCount(), 2u);
    EXPECT_TRUE(registry.DeleteKey(User, key));
    EXPECT_FALSE(registry.DeleteKey(User, ""));  // the root is never deleted
}

// --- the program's path ----------------------------------------------------------------------------

TEST(ProgramPathTest, SplitAtTheLastSeparatorAndJoinedBack) {
    const ProgramPath p = SplitProgramPath("C:\\Program Files\\Tempoline\\Tempoline.exe");
    EXPECT_EQ(p.folder, "C:\\Program Files\\Tempoline");
    EXPECT_EQ(p.file_name, "Tempoline.exe");
    EXPECT_EQ(ProgramFullPath(p), "C:\\Program Files\\Tempoline\\Tempoline.exe");

    const ProgramPath root = SplitProgramPath("D:\\Tempoline.exe");
    EXPECT_EQ(root.folder, "D:\\");
    EXPECT_EQ(root.file_name, "Tempoline.exe");
    EXPECT_EQ(ProgramFullPath(root), "D:\\Tempoline.exe");

    const ProgramPath slash = SplitProgramPath("E:/apps/Tempoline.exe");
    EXPECT_EQ(slash.folder, "E:/apps");
    EXPECT_EQ(slash.file_name, "Tempoline.exe");

    const ProgramPath unc = SplitProgramPath("\\\\server\\share\\Tempoline.exe");
    EXPECT_EQ(unc.folder, "\\\\server\\share");
    EXPECT_EQ(ProgramFullPath(unc), "\\\\server\\share\\Tempoline.exe");

    const ProgramPath drive_relative = SplitProgramPath("C:Tempoline.exe");
    EXPECT_EQ(drive_relative.folder, "C:");
    EXPECT_EQ(ProgramFullPath(drive_relative), "C:Tempoline.exe");

    const ProgramPath bare = SplitProgramPath("Tempoline.exe");
    EXPECT_EQ(bare.folder, "");
    EXPECT_EQ(ProgramFullPath(bare), "Tempoline.exe");

    // A folder that already ends in "\" gets no second one.
    EXPECT_EQ(ProgramFullPath({"C:\\Tools\\", "T.exe"}), "C:\\Tools\\T.exe");
    EXPECT_EQ(ProgramFullPath({"C:\\Tools", "T.exe"}), "C:\\Tools\\T.exe");
}

TEST(ProgramPathTest, ChineseFolderWhoseSecondByteIsABackslashIsNotCut) {
    // GBK 0x95 0x5C is one character; its second byte is the code of "\".
    const std::string folder = std::string("C:\\\x95\x5C");
    const ProgramPath p = SplitProgramPath(folder + "\\Tempoline.exe");
    EXPECT_EQ(p.folder, folder);
    EXPECT_EQ(p.file_name, "Tempoline.exe");
    EXPECT_EQ(ProgramFullPath(p), folder + "\\Tempoline.exe");
}

// --- acceptance rules ------------------------------------------------------------------------------

TEST(AcceptanceRules, CanonicalIntegerIsTheTextTheProgramWrites) {
    std::int32_t value = 77;
    EXPECT_TRUE(text::ParseCanonicalInteger("0", value));
    EXPECT_EQ(value, 0);
    EXPECT_TRUE(text::ParseCanonicalInteger("-12", value));
    EXPECT_EQ(value, -12);
    EXPECT_TRUE(text::ParseCanonicalInteger("2147483647", value));
    EXPECT_EQ(value, 2147483647);
    for (const char* text : {"", " 5", "5 ", "+5", "05", "-0", "12.5", "1e3", "abc", "2147483648", "0x10", "5\n"}) {
        value = 77;
        EXPECT_FALSE(text::ParseCanonicalInteger(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 77) << "left unchanged for \"" << text << '"';
    }
    EXPECT_FALSE(text::ParseCanonicalInteger(std::string("5\0", 2), value));
}

TEST(AcceptanceRules, FlagsAreOnOnlyForOne) {
    EXPECT_EQ(AcceptFlag("1"), 1);
    for (const char* text : {"", "0", "2", " 1", "1 ", "01", "true", "-1", "1.0"}) {
        EXPECT_EQ(AcceptFlag(text), 0) << '"' << text << '"';
    }
}

TEST(AcceptanceRules, InfoTypeIsOneOrTwo) {
    EXPECT_EQ(AcceptInfoType("1"), 1);
    EXPECT_EQ(AcceptInfoType("2"), 2);
    for (const char* text : {"", "0", "3", "-1", " 2", "02", "2.0"}) {
        EXPECT_EQ(AcceptInfoType(text), 0) << '"' << text << '"';
    }
}

TEST(AcceptanceRules, AlarmTimeIsAMinuteOfTheDayFromOneTo1439) {
    EXPECT_EQ(AcceptAlarmTime("1"), 1);
    EXPECT_EQ(AcceptAlarmTime("1439"), 1439);
    EXPECT_EQ(AcceptAlarmTime("720"), 720);
    for (const char* text : {"0", "1440", "12.5", " 5", "5 ", "abc", "", "-5", "007", "+5", "99999999999"}) {
        EXPECT_EQ(AcceptAlarmTime(text), 0) << '"' << text << '"';
    }
}

TEST(AcceptanceRules, SoundIndexIsOneToFour) {
    EXPECT_EQ(AcceptSoundIndex("1"), 1);
    EXPECT_EQ(AcceptSoundIndex("2"), 2);
    EXPECT_EQ(AcceptSoundIndex("3"), 3);
    EXPECT_EQ(AcceptSoundIndex("4"), 4);
    for (const char* text : {"", "0", "5", "9", " 1", "01", "1.0", "a", "-1"}) {
        EXPECT_EQ(AcceptSoundIndex(text), 0) << '"' << text << '"';
    }
}

TEST(AcceptanceRules, FormCenterIsANumberWhoseIntegerPartLiesOnTheScreen) {
    EXPECT_EQ(AcceptFormCenter("512.0", 1024), 512);
    EXPECT_EQ(AcceptFormCenter("0.0", 1024), 0);
    EXPECT_EQ(AcceptFormCenter("1024.0", 1024), 1024);  // the screen's edge still counts
    EXPECT_EQ(AcceptFormCenter("512", 1024), 512);
    EXPECT_EQ(AcceptFormCenter("512.", 1024), 512);
    EXPECT_EQ(AcceptFormCenter("12.9", 1024), 12);  // the integer part, not rounded
    EXPECT_EQ(AcceptFormCenter("1024.9", 1024), 1024);
    for (const char* text : {"-5.0", "1025.0", "", "abc", " 512.0", "512.0 ", ".5", "5.0.0", "5,0", "+5.0", "-0.5",
                             "99999999999.0", "5e2"}) {
        EXPECT_EQ(AcceptFormCenter(text, 1024), -1) << '"' << text << '"';
    }
    EXPECT_EQ(AcceptFormCenter("800.0", 768), -1);  // beyond the height for the Y coordinate
}

TEST(AcceptanceRules, BitmapPathNeedsADriveNoWildcardsAtMost260BytesAndALoadableFile) {
    std::vector<std::string> asked;
    const PathPredicate loads_all = [&asked](const std::string& path) {
        asked.push_back(path);
        return true;
    };
    EXPECT_EQ(AcceptBitmapPath("C:\\pics\\sky.bmp", loads_all), "C:\\pics\\sky.bmp");
    EXPECT_EQ(AcceptBitmapPath("d:\\图片\\背景.bmp", loads_all), "d:\\图片\\背景.bmp");
    const std::string path260 = "C:\\" + std::string(253, 'p') + ".bmp";
    ASSERT_EQ(path260.size(), 260u);
    EXPECT_EQ(AcceptBitmapPath(path260, loads_all), path260);
    asked.clear();

    // The text rules refuse without asking the file system.
    const std::string path261 = "C:\\" + std::string(254, 'p') + ".bmp";
    for (const std::string& text : {std::string(""), std::string("C"), std::string("\\pics\\sky.bmp"),
                                    std::string("1:\\sky.bmp"), std::string("pics\\sky.bmp"), std::string("C:\\*.bmp"),
                                    std::string("C:\\sky?.bmp"), std::string("\\\\server\\share\\sky.bmp"), path261}) {
        EXPECT_EQ(AcceptBitmapPath(text, loads_all), "") << '"' << text << '"';
    }
    EXPECT_TRUE(asked.empty());

    // A file that is gone, or is no bitmap, is dropped.
    EXPECT_EQ(AcceptBitmapPath("C:\\pics\\gone.bmp", BitmapLoads), "");
    EXPECT_EQ(AcceptBitmapPath("C:\\pics\\sky.bmp", BitmapLoads), "C:\\pics\\sky.bmp");
    EXPECT_EQ(AcceptBitmapPath("C:\\pics\\sky.bmp", PathPredicate()), "");
}

TEST(AcceptanceRules, MusicValues) {
    EXPECT_EQ(AcceptLyricStyle("1"), 1);
    EXPECT_EQ(AcceptLyricStyle("3"), 3);
    for (const char* text : {"", "0", "4", " 1", "01"}) EXPECT_EQ(AcceptLyricStyle(text), 0) << '"' << text << '"';

    EXPECT_EQ(AcceptLyricFolder("D:\\歌词", FolderExists), "D:\\歌词");
    EXPECT_EQ(AcceptLyricFolder("D:\\gone", FolderExists), "");
    EXPECT_EQ(AcceptLyricFolder("", FolderExists), "");

    EXPECT_EQ(AcceptWindowTop("0"), 0);
    EXPECT_EQ(AcceptWindowTop("600"), 600);
    EXPECT_EQ(AcceptWindowTop("-1"), -1);
    for (const char* text : {"", "abc", "12.5", " 600", "600.0"}) EXPECT_EQ(AcceptWindowTop(text), -1) << text;

    // A window's corner: "left,top" within -32768..32767, else nothing is taken.
    const struct {
        const char* stored;
        bool taken;
        std::int32_t left, top;
    } corners[] = {{"100,200", true, 100, 200}, {"-1600,-20", true, -1600, -20}, {"32767,-32768", true, 32767, -32768},
                   {"", false, 7, 7},         {"100", false, 7, 7},          {"100,", false, 7, 7},
                   {"100,200,3", false, 7, 7}, {"100, 200", false, 7, 7},     {"32768,0", false, 7, 7},
                   {"0,-32769", false, 7, 7},  {"1.5,2", false, 7, 7}};
    for (const auto& c : corners) {
        std::int32_t left = 7, top = 7;
        EXPECT_EQ(AcceptWindowCorner(c.stored, left, top), c.taken) << c.stored;
        EXPECT_EQ(left, c.left) << c.stored;
        EXPECT_EQ(top, c.top) << c.stored;
    }
}

// --- loading -----------------------------------------------------------------------------------------

TEST(LoadSettingsTest, FirstStartGivesDefaultsAndExitWritesOnlyTheDeletionOfAnAbsentVersion) {
    MemoryRegistry registry;
    const Settings settings = Load(registry);
    ExpectDefaults(settings);
    // Only "Version" is read: nothing else is looked at without the registry.
    ASSERT_EQ(registry.Operations().size(), 1u);
    EXPECT_EQ(registry.Operations()[0].kind, Kind::Read);
    EXPECT_EQ(registry.Operations()[0].name, "Version");

    registry.ClearOperations();
    SaveSettings(registry, settings, Program, true);
    ASSERT_EQ(registry.Operations().size(), 1u);
    const RegistryOperation& op = registry.Operations()[0];
    EXPECT_EQ(op.kind, Kind::DeleteValue);
    EXPECT_EQ(op.root, User);
    EXPECT_EQ(op.subkey, "Software\\Tempoline");
    EXPECT_EQ(op.name, "Version");
    EXPECT_FALSE(op.succeeded);
    EXPECT_EQ(registry.KeyCount(), 0u);
}

TEST(LoadSettingsTest, AnyVersionOtherThan42MeansTheRegistryIsNotUsed) {
    for (const char* version : {"4.1", "4.20", "4.2 ", " 4.2", "4", "42", "4.3", ""}) {
        MemoryRegistry registry;
        StoreValidValues(registry);
        Store(registry, "Version", version);
        SCOPED_TRACE(std::string("Version \"") + version + '"');
        ExpectDefaults(Load(registry));
    }
}

TEST(LoadSettingsTest, StoredValidValuesAreAllLoaded) {
    MemoryRegistry registry;
    StoreValidValues(registry);
    Settings expected;
    expected.use_registry = 1;
    expected.start_with_windows = 1;
    expected.whole_auto_report_time_flag = 1;
    expected.gan_zhi_from_chunjie_flag = 1;
    expected.close_back_audio_play_flag = 1;
    expected.modern_calculate_ancient_flag = 1;
    expected.near_locate_memorial_flag = 1;
    expected.dform_show_dynasty_flag = 1;
    expected.dform_show_info_type_flag = 2;
    expected.dform_back_bitmap_name = "D:\\图片\\背景.bmp";
    expected.calendar_show_type_flag = 1;
    expected.hide_holidays_flag = 1;
    expected.alarms = {{{1, 1, 1}, {1, 720, 3}, {1, 1439, 4}}};
    expected.form_center_x = 512;
    expected.form_center_y = 300;
    expected.place = {4, 30, -108.72, 29.29};  // 重庆 武隆
    ExpectSameSettings(Load(registry), expected);
}

TEST(LoadSettingsTest, ValuesAreReadInTheirOrder) {
    MemoryRegistry registry;
    StoreValidValues(registry);
    registry.ClearOperations();
    Load(registry);
    std::vector<std::string> main_key_reads;
    int run_reads = 0;
    for (const RegistryOperation& op : registry.Operations()) {
        ASSERT_EQ(op.kind, Kind::Read);
        if (op.subkey == SettingsKey) {
            main_key_reads.push_back(op.name);
        } else {
            EXPECT_EQ(op.name, "Tempoline");
            EXPECT_EQ(main_key_reads.size(), 1u) << "the Run entry is read right after Version";
            ++run_reads;
        }
    }
    EXPECT_EQ(run_reads, 2);  // HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
    std::vector<std::string> expected = {"Version"};
    expected.insert(expected.end(), ValuesInLoadingOrder.begin(), ValuesInLoadingOrder.end());
    EXPECT_EQ(main_key_reads, expected);
}

struct FallbackCase {
    const char* name;
    const char* stored;
};

TEST(LoadSettingsTest, EveryRefusedValueFallsBackAndLeavesTheOthers) {
    // One refused text per value; every other value stays as stored.
    const FallbackCase cases[] = {
        {"WholeAutoReportTimeFlag", "2"},   {"GanZhiFromChunjieFlag", " 1"},  {"CloseBackAudioPlayFlag", "yes"},
        {"ModernCalculateAncientFlag", "01"}, {"NearLocateMemorialFlag", "1.0"}, {"DFORMShowDynastyFlag", "-1"},
        {"DFORMShowInfoTypeFlag", "3"},     {"DFORMBackBitmapName", "D:\\图片\\没有.bmp"},
        {"CalendarShowTypeFlag", "11"},     {"HideHolidaysFlag", "Y"},       {"OpenAlarmClockAFlag", "on"},   {"DefiniteAlarmATime", "0"},
        {"DefiniteAlarmATime", "1440"},     {"DefiniteAlarmATime", "12.5"},  {"DefiniteAlarmATime", " 5"},
        {"DefiniteAlarmATime", "abc"},      {"DefiniteAlarmBTime", "-30"},   {"DefiniteAlarmASoundIndex", "5"},
        {"DefiniteAlarmCSoundIndex", "0"},  {"FormCenterX", "-5.0"},         {"FormCenterX", "1025.0"},
        {"FormCenterX", ""},                {"FormCenterY", "769.0"},        {"FormCenterY", "x"},
    };
    MemoryRegistry reference;
    StoreValidValues(reference);
    const Settings all_valid = Load(reference);
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " = \"" + c.stored + '"');
        MemoryRegistry registry;
        StoreValidValues(registry);
        Store(registry, c.name, c.stored);
        Settings expected = all_valid;
        const std::string name = c.name;
        if (name == "WholeAutoReportTimeFlag") expected.whole_auto_report_time_flag = 0;
        if (name == "GanZhiFromChunjieFlag") expected.gan_zhi_from_chunjie_flag = 0;
        if (name == "CloseBackAudioPlayFlag") expected.close_back_audio_play_flag = 0;
        if (name == "ModernCalculateAncientFlag") expected.modern_calculate_ancient_flag = 0;
        if (name == "NearLocateMemorialFlag") expected.near_locate_memorial_flag = 0;
        if (name == "DFORMShowDynastyFlag") expected.dform_show_dynasty_flag = 0;
        if (name == "DFORMShowInfoTypeFlag") expected.dform_show_info_type_flag = 0;
        if (name == "DFORMBackBitmapName") expected.dform_back_bitmap_name = "";
        if (name == "CalendarShowTypeFlag") expected.calendar_show_type_flag = 0;
        if (name == "HideHolidaysFlag") expected.hide_holidays_flag = 0;
        if (name == "OpenAlarmClockAFlag") expected.alarms[0].open_flag = 0;
        if (name == "DefiniteAlarmATime") expected.alarms[0].time_minutes = 0;
        if (name == "DefiniteAlarmBTime") expected.alarms[1].time_minutes = 0;
        if (name == "DefiniteAlarmASoundIndex") expected.alarms[0].sound_index = 0;
        if (name == "DefiniteAlarmCSoundIndex") expected.alarms[2].sound_index = 0;
        if (name == "FormCenterX") expected.form_center_x = -1;
        if (name == "FormCenterY") expected.form_center_y = -1;
        ExpectSameSettings(Load(registry), expected);
    }
}

TEST(LoadSettingsTest, TheCentreIsCheckedAgainstTheScreenOfThisStart) {
    MemoryRegistry registry;
    StoreValidValues(registry);
    Store(registry, "FormCenterX", "1500.0");
    Store(registry, "FormCenterY", "1000.0");
    const Settings small = LoadSettings(registry, Program, {1024, 768}, BitmapLoads);
    EXPECT_EQ(small.form_center_x, -1);
    EXPECT_EQ(small.form_center_y, -1);
    const Settings large = LoadSettings(registry, Program, {1920, 1080}, BitmapLoads);
    EXPECT_EQ(large.form_center_x, 1500);
    EXPECT_EQ(large.form_center_y, 1000);
}

struct PlaceCase {
    const char* province;
    const char* city;
    int expected_province;
    int expected_city;
    double longitude;
    double latitude;
};

TEST(LoadSettingsTest, CityIsCheckedAgainstTheAcceptedProvince) {
    const PlaceCase cases[] = {
        {"4", "30", 4, 30, -108.72, 29.29},  // 重庆 has 34 places
        {"4", "34", 4, 34, 0.0, 0.0},        // 秀山, no coordinates
        {"4", "31", 4, 31, 0.0, 0.0},        // 彭水, no coordinates
        {"4", "35", 4, 1, -106.55, 29.57},   // beyond 重庆's count
        {"1", "17", 1, 1, -116.38, 39.90},   // 北京 has 16
        {"1", "16", 1, 16, -117.10, 40.13},  // 平谷
        {"36", "20", 1, 1, -116.38, 39.90},  // no such province: 北京, whose count refuses 20
        {"36", "16", 1, 16, -117.10, 40.13}, // ... and whose count accepts 16
        {"3.5", "13", 1, 13, -115.98, 39.72},
        {"0", "2", 1, 2, -116.40, 39.90},
        {"", "", 1, 1, -116.38, 39.90},
        {"35", "2", 35, 2, 0.0, 90.0},       // the last province counts: 北极点
        {"32", "2", 32, 1, -114.18, 22.20},  // 香港 has one place
        {"29", " 8", 29, 1, -113.23, 23.16}, // not a canonical integer
        {"29", "08", 29, 1, -113.23, 23.16},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(std::string("NowProvIndex \"") + c.province + "\", NowCityIndex \"" + c.city + '"');
        MemoryRegistry registry;
        Store(registry, "Version", "4.2");
        Store(registry, "NowProvIndex", c.province);
        Store(registry, "NowCityIndex", c.city);
        const Settings settings = Load(registry);
        EXPECT_EQ(settings.place.prov_index, c.expected_province);
        EXPECT_EQ(settings.place.city_index, c.expected_city);
        EXPECT_DOUBLE_EQ(settings.place.longitude, c.longitude);
        EXPECT_DOUBLE_EQ(settings.place.latitude, c.latitude);
    }
}

TEST(LoadSettingsTest, StartWithWindowsWhenEitherRunEntryNamesThisProgram) {
    struct RunCase {
        const char* machine;
        const char* user;
        int expected;
    };
    const RunCase cases[] = {
        {"C:\\Tools\\Tempoline\\Tempoline.exe", nullptr, 1},
        {"c:\\tools\\TEMPOLINE\\tempoline.EXE", nullptr, 1},  // Windows paths ignore case
        {nullptr, "C:\\Tools\\Tempoline\\Tempoline.exe", 1},
        {"\"C:\\Tools\\Tempoline\\Tempoline.exe\"", nullptr, 1},
        {"D:\\Other\\Tempoline.exe", nullptr, 0},  // another copy of the program
        {"D:\\Other\\Tempoline.exe", "C:\\Tools\\Tempoline\\Tempoline.exe", 1},
        {"C:\\Tools\\Tempoline\\Tempoline.exe ", nullptr, 0},
        {"C:\\Tools\\Tempoline\\Tempoline.exe /M", nullptr, 0},
        {"\"C:\\Tools\\Tempoline\\Tempoline.exe", nullptr, 0},
        {nullptr, nullptr, 0},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(std::string("machine ") + (c.machine ? c.machine : "-") + ", user " + (c.user ? c.user : "-"));
        MemoryRegistry registry;
        Store(registry, "Version", "4.2");
        if (c.machine) registry.SetValue(Machine, MachineRunKey, "Tempoline", c.machine);
        if (c.user) registry.SetValue(User, UserRunKey, "Tempoline", c.user);
        EXPECT_EQ(Load(registry).start_with_windows, c.expected);
    }
    // Without the registry the entry is not looked at.
    MemoryRegistry registry;
    registry.SetValue(Machine, MachineRunKey, "Tempoline", "C:\\Tools\\Tempoline\\Tempoline.exe");
    EXPECT_EQ(Load(registry).start_with_windows, 0);
}

TEST(RunEntry, QuotedWhenThePathHoldsABlank) {
    EXPECT_EQ(RunEntryText(Program), "C:\\Tools\\Tempoline\\Tempoline.exe");
    const ProgramPath spaced{"C:\\Program Files\\Tempoline", "Tempoline.exe"};
    EXPECT_EQ(RunEntryText(spaced), "\"C:\\Program Files\\Tempoline\\Tempoline.exe\"");
    EXPECT_TRUE(RunEntryNamesProgram(RunEntryText(spaced), spaced));
    EXPECT_TRUE(RunEntryNamesProgram("C:\\PROGRAM FILES\\Tempoline\\Tempoline.exe", spaced));
    EXPECT_FALSE(RunEntryNamesProgram("", {"", ""}));
    EXPECT_FALSE(RunEntryNamesProgram("\"\"", spaced));
}

// --- saving ------------------------------------------------------------------------------------------

// Settings with every value away from its default.
Settings ChangedSettings() {
    Settings s;
    s.use_registry = 1;
    s.start_with_windows = 1;
    s.whole_auto_report_time_flag = 1;
    s.gan_zhi_from_chunjie_flag = 1;
    s.close_back_audio_play_flag = 1;
    s.modern_calculate_ancient_flag = 1;
    s.near_locate_memorial_flag = 1;
    s.dform_show_dynasty_flag = 1;
    s.dform_show_info_type_flag = 1;
    s.dform_back_bitmap_name = "C:\\pics\\sky.bmp";
    s.calendar_show_type_flag = 1;
    s.hide_holidays_flag = 1;
    s.alarms = {{{1, 90, 2}, {1, 1, 4}, {1, 1439, 1}}};
    s.form_center_x = 1024;
    s.form_center_y = 0;
    s.place = places::LoadLocalPlace("35", "1");  // 南极点
    s.history_audio_list = "C:\\音乐\\歌.mp3|D:\\B.WAV|";
    s.show_lyric_window_flag = 3;
    s.lyric_file_find_path = "D:\\歌词";
    s.lform_top = 600;
    return s;
}

TEST(SaveSettingsTest, EveryValueSurvivesSaveAndLoad) {
    MemoryRegistry registry;
    const Settings saved = ChangedSettings();
    SaveSettings(registry, saved, Program, true);
    Settings loaded = Load(registry);
    LoadMusicSettings(registry, loaded, FolderExists);
    ExpectSameSettings(loaded, saved);

    // The stored forms.
    EXPECT_EQ(Stored(registry, "Version"), "4.2");
    EXPECT_EQ(Stored(registry, "WholeAutoReportTimeFlag"), "1");
    EXPECT_EQ(Stored(registry, "DFORMShowInfoTypeFlag"), "1");
    EXPECT_EQ(Stored(registry, "DFORMBackBitmapName"), "C:\\pics\\sky.bmp");
    EXPECT_EQ(Stored(registry, "DefiniteAlarmATime"), "90");
    EXPECT_EQ(Stored(registry, "DefiniteAlarmASoundIndex"), "2");
    EXPECT_EQ(Stored(registry, "FormCenterX"), "1024.0");
    EXPECT_EQ(Stored(registry, "FormCenterY"), "0.0");
    EXPECT_EQ(Stored(registry, "NowProvIndex"), "35");
    EXPECT_EQ(Stored(registry, "NowCityIndex"), "1");
    EXPECT_EQ(Stored(registry, "HistoryAudioList"), "C:\\音乐\\歌.mp3|D:\\B.WAV|");
    EXPECT_EQ(Stored(registry, "ShowLyricWindowFlag"), "3");
    EXPECT_EQ(Stored(registry, "LyricFileFindPath"), "D:\\歌词");
    EXPECT_EQ(Stored(registry, "LFORMTop"), "600");
    EXPECT_EQ(registry.StoredValue(Machine, MachineRunKey, "Tempoline"), "C:\\Tools\\Tempoline\\Tempoline.exe");
}

TEST(SaveSettingsTest, ValuesAreWrittenInTheOrderOfLoading) {
    MemoryRegistry registry;
    Settings s = ChangedSettings();
    s.gan_zhi_from_chunjie_flag = 0;  // deletions take their place in the order too
    SaveSettings(registry, s, Program, true);
    std::vector<std::string> names;
    for (const RegistryOperation& op : Changes(registry)) {
        if (op.subkey == SettingsKey) names.push_back(op.name);
    }
    std::vector<std::string> expected = {"Version"};
    expected.insert(expected.end(), ValuesInLoadingOrder.begin(), ValuesInLoadingOrder.end());
    expected.insert(expected.end(), MusicValues.begin(), MusicValues.end());
    EXPECT_EQ(names, expected);
    // The Run entry comes right after "Version".
    const std::vector<RegistryOperation> changes = Changes(registry);
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(changes[1].subkey, MachineRunKey);
}

TEST(SaveSettingsTest, ClearedSettingsDeleteTheirValuesInsteadOfWritingZero) {
    MemoryRegistry registry;
    SaveSettings(registry, ChangedSettings(), Program, true);
    registry.ClearOperations();

    Settings cleared;  // every flag, alarm and index 0, no picture
    cleared.use_registry = 1;
    cleared.form_center_x = 0;
    cleared.form_center_y = -1;
    SaveSettings(registry, cleared, Program, true);
    for (const RegistryOperation& op : Changes(registry)) {
        if (op.kind == Kind::SetValue) {
            EXPECT_NE(op.value, "0") << op.name;
        }
    }
    for (const char* name : {"WholeAutoReportTimeFlag", "GanZhiFromChunjieFlag", "CloseBackAudioPlayFlag",
                             "ModernCalculateAncientFlag", "NearLocateMemorialFlag", "DFORMShowDynastyFlag",
                             "DFORMShowInfoTypeFlag", "DFORMBackBitmapName", "CalendarShowTypeFlag",
                             "HideHolidaysFlag", "OpenAlarmClockAFlag", "DefiniteAlarmATime", "DefiniteAlarmASoundIndex",
                             "OpenAlarmClockBFlag", "DefiniteAlarmBTime", "DefiniteAlarmBSoundIndex",
                             "OpenAlarmClockCFlag", "DefiniteAlarmCTime", "DefiniteAlarmCSoundIndex",
                             "HistoryAudioList", "ShowLyricWindowFlag", "LyricFileFindPath", "LFORMTop"}) {
        EXPECT_FALSE(registry.HasValue(User, SettingsKey, name)) << name;
    }
    // The centre is written even at 0 or -1, as a number with one decimal.
    EXPECT_EQ(Stored(registry, "FormCenterX"), "0.0");
    EXPECT_EQ(Stored(registry, "FormCenterY"), "-1.0");
    EXPECT_EQ(Stored(registry, "NowProvIndex"), "1");
    EXPECT_FALSE(registry.HasValue(Machine, MachineRunKey, "Tempoline"));

    Settings loaded = Load(registry);
    LoadMusicSettings(registry, loaded, FolderExists);
    Settings expected = cleared;
    expected.place = {1, 1, -116.38, 39.90};
    ExpectSameSettings(loaded, expected);
}

TEST(SaveSettingsTest, WithoutTheRegistryOnlyVersionIsDeleted) {
    MemoryRegistry registry;
    SaveSettings(registry, ChangedSettings(), Program, true);
    registry.ClearOperations();

    // The user switched "使用注册表(&U)" off.
    Settings off = Load(registry);
    off.use_registry = 0;
    SaveSettings(registry, off, Program, true);
    const std::vector<RegistryOperation> changes = Changes(registry);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, Kind::DeleteValue);
    EXPECT_EQ(changes[0].name, "Version");
    EXPECT_TRUE(changes[0].succeeded);
    // The other values stay, but are not read again.
    EXPECT_EQ(Stored(registry, "DefiniteAlarmATime"), "90");
    EXPECT_TRUE(registry.HasValue(Machine, MachineRunKey, "Tempoline"));
    ExpectDefaults(Load(registry));

    // Switched on again, everything in memory is written once more.
    Settings on = ChangedSettings();
    SaveSettings(registry, on, Program, false);
    EXPECT_EQ(Load(registry).alarms[0].time_minutes, 90);
}

TEST(SaveSettingsTest, MusicValuesAreSavedOnlyWhileThePlayerIsOpen) {
    MemoryRegistry registry;
    Settings s = ChangedSettings();
    SaveSettings(registry, s, Program, false);
    for (const std::string& name : MusicValues) EXPECT_FALSE(registry.HasValue(User, SettingsKey, name)) << name;
    SaveSettings(registry, s, Program, true);
    for (const std::string& name : MusicValues) EXPECT_TRUE(registry.HasValue(User, SettingsKey, name)) << name;
}

// --- the Run entry ---------------------------------------------------------------------------------

TEST(RunEntrySaving, WrittenUnderTheMachineWhenAllowedElseUnderTheUser) {
    const ProgramPath spaced{"C:\\Program Files\\Tempoline", "Tempoline.exe"};
    Settings s = ChangedSettings();

    // With administrator rights: the machine's entry; a user entry left from before goes.
    MemoryRegistry admin;
    admin.SetValue(User, UserRunKey, "Tempoline", "C:\\Old\\Tempoline.exe");
    admin.SetValue(User, UserRunKey, "OtherProgram", "C:\\Other.exe");
    SaveSettings(admin, s, spaced, false);
    EXPECT_EQ(admin.StoredValue(Machine, MachineRunKey, "Tempoline"), "\"C:\\Program Files\\Tempoline\\Tempoline.exe\"");
    EXPECT_FALSE(admin.HasValue(User, UserRunKey, "Tempoline"));
    EXPECT_EQ(admin.StoredValue(User, UserRunKey, "OtherProgram"), "C:\\Other.exe");
    EXPECT_EQ(LoadSettings(admin, spaced, Screen, BitmapLoads).start_with_windows, 1);

    // Without: the user's entry, and the flag survives the next start.
    MemoryRegistry user;
    user.SetWritable(Machine, false);
    SaveSettings(user, s, spaced, false);
    EXPECT_FALSE(user.HasValue(Machine, MachineRunKey, "Tempoline"));
    EXPECT_EQ(user.StoredValue(User, UserRunKey, "Tempoline"), "\"C:\\Program Files\\Tempoline\\Tempoline.exe\"");
    EXPECT_EQ(LoadSettings(user, spaced, Screen, BitmapLoads).start_with_windows, 1);

    // Switched off: both entries go (the machine's only where that is allowed).
    s.start_with_windows = 0;
    SaveSettings(user, s, spaced, false);
    EXPECT_FALSE(user.HasValue(User, UserRunKey, "Tempoline"));
    EXPECT_EQ(LoadSettings(user, spaced, Screen, BitmapLoads).start_with_windows, 0);

    admin.SetValue(User, UserRunKey, "Tempoline", "C:\\Old\\Tempoline.exe");
    SaveSettings(admin, s, spaced, false);
    EXPECT_FALSE(admin.HasValue(Machine, MachineRunKey, "Tempoline"));
    EXPECT_FALSE(admin.HasValue(User, UserRunKey, "Tempoline"));
    EXPECT_EQ(admin.StoredValue(User, UserRunKey, "OtherProgram"), "C:\\Other.exe");
}

TEST(RunEntrySaving, AProgramMovedElsewhereIsNotStartedFromItsOldPlace) {
    MemoryRegistry registry;
    Settings s = ChangedSettings();
    SaveSettings(registry, s, {"C:\\Old", "Tempoline.exe"}, false);
    const ProgramPath moved{"D:\\New", "Tempoline.exe"};
    Settings loaded = LoadSettings(registry, moved, Screen, BitmapLoads);
    EXPECT_EQ(loaded.start_with_windows, 0);
    loaded.start_with_windows = 1;  // the user switches it on again in the moved copy
    SaveSettings(registry, loaded, moved, false);
    EXPECT_EQ(registry.StoredValue(Machine, MachineRunKey, "Tempoline"), "D:\\New\\Tempoline.exe");
}

// --- music values ------------------------------------------------------------------------------------

TEST(MusicSettings, LoadedWithTheirRulesOnlyWithTheRegistry) {
    MemoryRegistry registry;
    Store(registry, "Version", "4.2");
    Store(registry, "HistoryAudioList", "C:\\A.MP3|D:\\B.WAV|");
    Store(registry, "ShowLyricWindowFlag", "2");
    Store(registry, "LyricFileFindPath", "C:\\lyrics");
    Store(registry, "LFORMTop", "450");

    Settings settings = Load(registry);
    EXPECT_EQ(settings.history_audio_list, "");  // not loaded with the other settings
    EXPECT_EQ(settings.lform_top, -1);
    LoadMusicSettings(registry, settings, FolderExists);
    EXPECT_EQ(settings.history_audio_list, "C:\\A.MP3|D:\\B.WAV|");
    EXPECT_EQ(settings.show_lyric_window_flag, 2);
    EXPECT_EQ(settings.lyric_file_find_path, "C:\\lyrics");
    EXPECT_EQ(settings.lform_top, 450);

    Store(registry, "ShowLyricWindowFlag", "4");
    Store(registry, "LyricFileFindPath", "C:\\gone");
    Store(registry, "LFORMTop", "450.0");
    LoadMusicSettings(registry, settings, FolderExists);
    EXPECT_EQ(settings.show_lyric_window_flag, 0);
    EXPECT_EQ(settings.lyric_file_find_path, "");
    EXPECT_EQ(settings.lform_top, -1);

    // Without the registry: the defaults, even over values held before, and nothing is read.
    Settings off = ChangedSettings();
    off.use_registry = 0;
    registry.ClearOperations();
    LoadMusicSettings(registry, off, FolderExists);
    EXPECT_TRUE(registry.Operations().empty());
    EXPECT_EQ(off.history_audio_list, "");
    EXPECT_EQ(off.show_lyric_window_flag, 0);
    EXPECT_EQ(off.lyric_file_find_path, "");
    EXPECT_EQ(off.lform_top, -1);
}

TEST(MusicSettings, SavedOnlyWithTheRegistryAndAnUnplacedWindowLeavesNoValue) {
    MemoryRegistry registry;
    Settings s = ChangedSettings();
    s.use_registry = 0;
    SaveMusicSettings(registry, s);
    EXPECT_TRUE(registry.Operations().empty());

    s.use_registry = 1;
    SaveMusicSettings(registry, s);
    EXPECT_EQ(Stored(registry, "LFORMTop"), "600");
    s.lform_top = -1;
    s.show_lyric_window_flag = 0;
    s.history_audio_list.clear();
    SaveMusicSettings(registry, s);
    EXPECT_FALSE(registry.HasValue(User, SettingsKey, "LFORMTop"));
    EXPECT_FALSE(registry.HasValue(User, SettingsKey, "ShowLyricWindowFlag"));
    EXPECT_FALSE(registry.HasValue(User, SettingsKey, "HistoryAudioList"));
    Settings loaded = s;
    LoadMusicSettings(registry, loaded, FolderExists);
    EXPECT_EQ(loaded.lform_top, -1);
}

TEST(AlmanacPlace, KeptOnlyWithTheRegistryOnceMovedAndReadBackOnlyWhenValid) {
    MemoryRegistry registry;
    Settings s;
    s.almanac_placed = true;
    s.almanac_left = -1200;
    s.almanac_top = 40;
    SaveAlmanacPlace(registry, s);  // the registry is not in use
    EXPECT_TRUE(registry.Operations().empty());
    s.use_registry = 1;
    SaveAlmanacPlace(registry, s);
    EXPECT_EQ(Stored(registry, "AlmanacPlace"), "-1200,40");
    Settings loaded;
    loaded.use_registry = 1;
    LoadAlmanacPlace(registry, loaded);
    EXPECT_TRUE(loaded.almanac_placed);
    EXPECT_EQ(loaded.almanac_left, -1200);
    EXPECT_EQ(loaded.almanac_top, 40);
    // Never moved: nothing written; a value another program garbled opens it beside the page.
    Settings unplaced;
    unplaced.use_registry = 1;
    registry.ClearOperations();
    SaveAlmanacPlace(registry, unplaced);
    EXPECT_TRUE(registry.Operations().empty());
    Store(registry, "AlmanacPlace", "-1200;40");
    LoadAlmanacPlace(registry, loaded);
    EXPECT_FALSE(loaded.almanac_placed);
}

// --- removing everything -----------------------------------------------------------------------------

TEST(RemoveAllSettingsTest, DeletesSubkeysThenTheKeyThenTheRunEntries) {
    MemoryRegistry registry;
    SaveSettings(registry, ChangedSettings(), Program, true);
    registry.SetValue(User, SolarMemorialKey, "05-12", "AD2008      纪念日标题 ");
    registry.SetValue(User, LunarMemorialKey, "08-15", "AD1990            中秋 ");
    registry.SetValue(User, MuharramMemorialKey, "01-01", "AD2000          新年 ");
    registry.SetValue(User, SolarRemindedKey, "A", "AD05-01-2030提醒");
    registry.SetValue(User, UserRunKey, "Tempoline", "C:\\Tools\\Tempoline\\Tempoline.exe");
    // Things of other programs stay.
    registry.SetValue(User, "Software\\Other", "Keep", "1");
    registry.SetValue(Machine, MachineRunKey, "Other", "C:\\Other.exe");
    registry.ClearOperations();

    RemoveAllSettings(registry);
    const std::vector<RegistryOperation> changes = Changes(registry);
    ASSERT_EQ(changes.size(), 7u);
    const char* keys[] = {"Software\\Tempoline\\SolarMemorial", "Software\\Tempoline\\LunarMemorial",
                          "Software\\Tempoline\\MuharramMemorial", "Software\\Tempoline\\SolarReminded",
                          "Software\\Tempoline"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(changes[i].kind, Kind::DeleteKey);
        EXPECT_EQ(changes[i].root, User);
        EXPECT_EQ(changes[i].subkey, keys[i]);
        EXPECT_TRUE(changes[i].succeeded) << keys[i];
    }
    EXPECT_EQ(changes[5].kind, Kind::DeleteValue);
    EXPECT_EQ(changes[5].root, Machine);
    EXPECT_EQ(changes[5].subkey, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_EQ(changes[5].name, "Tempoline");
    EXPECT_EQ(changes[6].root, User);
    EXPECT_EQ(changes[6].subkey, "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_TRUE(changes[6].succeeded);

    EXPECT_FALSE(registry.HasKey(User, "Software\\Tempoline"));
    EXPECT_FALSE(registry.HasValue(Machine, MachineRunKey, "Tempoline"));
    EXPECT_FALSE(registry.HasValue(User, UserRunKey, "Tempoline"));
    EXPECT_EQ(registry.StoredValue(User, "Software\\Other", "Keep"), "1");
    EXPECT_EQ(registry.StoredValue(Machine, MachineRunKey, "Other"), "C:\\Other.exe");
    ExpectDefaults(Load(registry));
}

TEST(RemoveAllSettingsTest, QuietWhenNothingIsStored) {
    MemoryRegistry registry;
    registry.SetWritable(Machine, false);
    RemoveAllSettings(registry);
    EXPECT_EQ(Changes(registry).size(), 7u);
    for (const RegistryOperation& op : Changes(registry)) EXPECT_FALSE(op.succeeded);
    EXPECT_EQ(registry.KeyCount(), 0u);
}

TEST(RemoveAllSettingsTest, AKeyWithASubkeyOfUnknownKindStays) {
    // Keys are deleted one level at a time; a subkey the program never writes keeps its key.
    MemoryRegistry registry;
    SaveSettings(registry, ChangedSettings(), Program, false);
    registry.SetValue(User, "Software\\Tempoline\\Unknown", "A", "1");
    RemoveAllSettings(registry);
    EXPECT_TRUE(registry.HasKey(User, "Software\\Tempoline\\Unknown"));
    EXPECT_TRUE(registry.HasValue(User, SettingsKey, "Version"));
    EXPECT_FALSE(registry.HasValue(Machine, MachineRunKey, "Tempoline"));
}

TEST(WebHostTest, OnlyAPlainHostAndPortIsTaken) {
    const struct {
        const char* stored;
        const char* taken;
    } cases[] = {
        {"127.0.0.1:8080", "127.0.0.1:8080"}, {"weather.example.org", "weather.example.org"}, {"h-1:1", "h-1:1"},
        {"", ""}, {"h:0", ""}, {"h:65536", ""}, {"h:080", ""}, {"h:", ""}, {"a b", ""}, {"h/x", ""},
        {"-h", ""}, {"h:1:2", ""}, {"http://h", ""}, {"主机", ""},
    };
    for (const auto& c : cases) {
        MemoryRegistry registry;
        Store(registry, WebHostValue, c.stored);
        EXPECT_EQ(LoadWebHost(registry), c.taken) << c.stored;
    }
    EXPECT_EQ(LoadWebHost(MemoryRegistry()), "");
}

}  // namespace
