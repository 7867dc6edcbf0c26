// The music player apart from its window: the list of recent files, the rules that move through
// it, the MCI command strings and the play modes, driven through a recording MCI device.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <string>
#include <vector>

#include "music/play_list.h"
#include "music/player.h"

namespace {

using music::EndOfRange;
using music::Player;
using music::PlayList;

std::vector<std::string> Files(int first, int last) {
    std::vector<std::string> files;
    for (int i = first; i <= last; ++i) files.push_back("C:\\Music\\" + std::to_string(i) + ".mp3");
    return files;
}

const personal::FileExists kAllExist = [](const std::string&) { return true; };

TEST(PlayList, TheStoredListKeepsExistingAudioFilesOnceAndAtMostThirty) {
    const std::set<std::string> existing = {"C:\\a.mp3", "D:\\My Music\\\"b\".WAV", "C:\\c.wma", "C:\\d.mid",
                                            "C:\\e.txt", "C:\\f.MP3"};
    const personal::FileExists exists = [&](const std::string& p) { return existing.count(p) > 0; };
    EXPECT_EQ(music::ReadAudioList("C:\\a.mp3|C:\\gone.mp3|D:\\My Music\\\"b\".WAV|C:\\e.txt|C:\\a.mp3|C:\\c.wma|"
                                   "C:\\d.mid|C:\\f.MP3",  // the last has no "|": no entry
                                   exists),
              (std::vector<std::string>{"C:\\a.mp3", "D:\\My Music\\\"b\".WAV", "C:\\c.wma", "C:\\d.mid"}));
    // 5,000 bytes of 40 entries: the first 30.
    const std::vector<std::string> forty = Files(1, 40);
    std::string stored = music::AudioListText(forty);
    while (stored.size() < 5000) stored = "C:\\missing\\" + std::string(100, 'x') + ".mp3|" + stored;
    const personal::FileExists outside_missing = [](const std::string& p) { return p.find("missing") == std::string::npos; };
    EXPECT_EQ(music::ReadAudioList(stored, outside_missing), Files(1, 30));
    EXPECT_EQ(music::ReadAudioList("", kAllExist), std::vector<std::string>{});
    EXPECT_EQ(music::ReadAudioList("|||", kAllExist), std::vector<std::string>{});
}

TEST(PlayList, ChosenFilesGoInFrontWithoutDoublesAndTheOldestFallsOff) {
    PlayList list;
    list.PutInFront(Files(1, 30));
    EXPECT_EQ(list.entries, Files(1, 30));
    // A 31st file: the oldest (the last) goes.
    list.PutInFront(Files(31, 31));
    EXPECT_EQ(list.Count(), 30);
    EXPECT_EQ(list.entries.front(), Files(31, 31)[0]);
    EXPECT_EQ(list.entries.back(), Files(29, 29)[0]);
    // A file already listed moves to the front; nothing falls off.
    list.PutInFront(Files(10, 10));
    EXPECT_EQ(list.Count(), 30);
    EXPECT_EQ(list.entries[0], Files(10, 10)[0]);
    EXPECT_EQ(list.entries[1], Files(31, 31)[0]);
    EXPECT_EQ(list.Find(Files(29, 29)[0]), 30);
    // Several at once keep their order in front.
    list.PutInFront({Files(40, 40)[0], Files(41, 41)[0]});
    EXPECT_EQ(list.entries[0], Files(40, 40)[0]);
    EXPECT_EQ(list.entries[1], Files(41, 41)[0]);
}

TEST(PlayList, EditsKeepTheIndexOnThePlayingFile) {
    PlayList list;
    list.entries = Files(1, 5);
    list.current = 3;  // 3.mp3 plays
    const std::string playing = list.Entry(3);
    EXPECT_EQ(list.MoveUp(3), 2);
    EXPECT_EQ(list.Entry(list.current), playing);
    EXPECT_EQ(list.MoveDown(1), 2);  // 1.mp3 swaps with the playing one
    EXPECT_EQ(list.Entry(list.current), playing);
    EXPECT_EQ(list.MoveUp(1), 0);
    EXPECT_EQ(list.MoveDown(5), 0);
    EXPECT_EQ(list.InsertBefore(1, {Files(6, 6)[0], Files(1, 1)[0], Files(7, 7)[0]}), 2);  // 1.mp3 is listed
    EXPECT_EQ(list.entries[0], Files(6, 6)[0]);
    EXPECT_EQ(list.entries[1], Files(7, 7)[0]);
    EXPECT_EQ(list.Entry(list.current), playing);
    EXPECT_TRUE(list.Remove(1));
    EXPECT_EQ(list.Entry(list.current), playing);
    EXPECT_TRUE(list.Remove(list.current));
    EXPECT_EQ(list.current, 0);
    EXPECT_EQ(list.Find(playing), 0);
    // 添加 stops at 30; 插入 beyond 30 drops the last.
    list.entries = Files(1, 29);
    EXPECT_EQ(list.Append(Files(28, 40)), 1);
    EXPECT_EQ(list.Count(), 30);
    list.current = 30;
    EXPECT_EQ(list.InsertBefore(2, Files(50, 50)), 1);
    EXPECT_EQ(list.Count(), 30);
    EXPECT_EQ(list.current, 0);  // the playing last entry fell off
}

TEST(PlayList, NextAndPreviousEntries) {
    const struct {
        int count, current;
        bool chosen;
        int next, previous;
    } cases[] = {
        {0, 0, false, 0, 0}, {3, 0, false, 1, 1}, {3, 1, true, 2, 3}, {3, 2, true, 3, 1},
        {3, 3, true, 1, 2},  {3, 5, true, 1, 1},  {3, 2, false, 1, 1}, {1, 1, true, 1, 1},
    };
    for (const auto& c : cases) {
        PlayList list;
        list.entries = Files(1, c.count);
        list.current = c.current;
        EXPECT_EQ(list.NextIndex(c.chosen), c.next) << c.count << " " << c.current;
        EXPECT_EQ(list.PreviousIndex(c.chosen), c.previous) << c.count << " " << c.current;
    }
}

TEST(PlayList, TheEndOfTheRangeByThePlayModes) {
    const struct {
        bool list, loop;
        int current, count;
        EndOfRange action;
    } cases[] = {
        {false, false, 1, 3, EndOfRange::kHalt},      {false, false, 3, 3, EndOfRange::kHalt},
        {false, true, 1, 3, EndOfRange::kRestart},    {false, true, 3, 3, EndOfRange::kRestart},
        {true, false, 1, 3, EndOfRange::kNextTrack},  {true, false, 3, 3, EndOfRange::kHalt},
        {true, true, 1, 3, EndOfRange::kNextTrack},   {true, true, 3, 3, EndOfRange::kNextTrack},
    };
    for (const auto& c : cases)
        EXPECT_EQ(music::EndOfRangeAction(c.list, c.loop, c.current, c.count), c.action) << c.list << c.loop << c.current;
}

TEST(MusicNumbers, RepliesBarsAndTimes) {
    EXPECT_EQ(music::NumericReply("183456"), 183450);
    EXPECT_EQ(music::NumericReply(std::string("183456\0junk", 11)), 183450);
    for (const char* bad : {"", "7", "12a4", "-500", " 1234"}) EXPECT_EQ(music::NumericReply(bad), 0) << bad;
    EXPECT_EQ(music::NumericReply("99999999999999999999"), 0);
    // 240 pixels over 183450 ms: pixel 100 is 76437.5 ms, truncated; 76437 ms is pixel 99.99..
    EXPECT_EQ(music::BarToMs(100, 183450), 76437);
    EXPECT_EQ(music::MsToBar(76437, 183450), 99);
    EXPECT_EQ(music::MsToBar(183450, 183450), 240);
    EXPECT_EQ(music::MsToBar(5000, 0), 0);
    EXPECT_EQ(music::TimeText(187999), "3:07");
    EXPECT_EQ(music::TimeText(0), "0:00");
    EXPECT_EQ(music::TimeText(3723000), "62:03");
    EXPECT_EQ(music::TimeText(-1), "");
}

class PlayerTest : public ::testing::Test {
protected:
    PlayerTest() : player_(mci_, 4242, kAllExist) { mci_.length = "183456"; }
    // The commands sent since the last call.
    std::vector<std::string> Sent() {
        std::vector<std::string> sent(mci_.commands.begin() + static_cast<long>(seen_), mci_.commands.end());
        seen_ = mci_.commands.size();
        return sent;
    }
    void At(std::int32_t ms) { mci_.position = std::to_string(ms / 10) + "0"; }
    platform::RecordingMci mci_;
    Player player_;
    size_t seen_ = 0;
};

TEST_F(PlayerTest, OpeningAFileSendsTheCommandsInOrder) {
    player_.AddFiles({"C:\\Music\\1.mp3"});
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Open C:\\Music\\1.mp3 Alias AudioMCI Type MPEGVideo Parent 4242 Style Child",
                                                "Set AudioMCI Time Format MS", "Status AudioMCI Length",
                                                "Setaudio AudioMCI Volume TO 600", "Set AudioMCI Audio All Off",
                                                "Set AudioMCI Audio All On", "Play AudioMCI", "Setaudio AudioMCI On"}));
    EXPECT_EQ(player_.total_length(), 183450);
    EXPECT_EQ(player_.PlayButtonText(), "||");
    EXPECT_EQ(player_.TitleText(), "1.mp3");
    EXPECT_FALSE(player_.list_play());
    EXPECT_TRUE(player_.timer_running());
    // A path with blanks where the volume has no short names goes in quotes.
    EXPECT_EQ(platform::MciDevice::CommandPath("D:\\My Music\\a b.mp3"), "\"D:\\My Music\\a b.mp3\"");
    EXPECT_EQ(platform::MciDevice::CommandPath("D:\\MYMUSI~1\\AB~1.MP3"), "D:\\MYMUSI~1\\AB~1.MP3");
}

TEST_F(PlayerTest, ARefusedFileOrOneWithoutLengthLeavesNothingOpen) {
    mci_.length = "0";
    player_.AddFiles({"C:\\Music\\empty.wav"});
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Open C:\\Music\\empty.wav Alias AudioMCI Type MPEGVideo Parent 4242 Style Child",
                                                "Set AudioMCI Time Format MS", "Status AudioMCI Length", "Close AudioMCI"}));
    EXPECT_FALSE(player_.file_open());
    EXPECT_EQ(player_.PlayButtonText(), "＞");
    EXPECT_FALSE(player_.timer_running());
    mci_.length = "183456";
    mci_.refused = "Open";
    player_.AddFiles({"C:\\Music\\broken.mp3"});
    EXPECT_EQ(Sent().size(), 1u);
    EXPECT_FALSE(player_.file_open());
    EXPECT_EQ(player_.play_state(), music::kNothing);
}

TEST_F(PlayerTest, TheEndOfTheLastEntryHaltsUnlessLoopingThenTheFirstStarts) {
    player_.AddFiles(Files(1, 3));  // several: list play
    EXPECT_TRUE(player_.list_play());
    EXPECT_EQ(player_.current_path(), Files(1, 1)[0]);
    At(100000);
    player_.Tick();
    EXPECT_EQ(player_.bar(), 130);
    EXPECT_EQ(player_.TimeLabel(), "1:39/3:03");  // pixel 130 is 99368 ms
    At(183450);
    player_.Tick();
    EXPECT_EQ(player_.current_path(), Files(2, 2)[0]);
    player_.NextTrack();
    EXPECT_EQ(player_.list().current, 3);
    Sent();
    player_.Tick();  // the position is still at the end
    EXPECT_EQ(Sent().back(), "Pause AudioMCI");
    EXPECT_EQ(player_.play_state(), music::kHalted);
    EXPECT_EQ(player_.PlayButtonText(), "＞");
    // 循环播放 switched on while halted: the first entry starts at once.
    player_.SetLoopPlay(true);
    EXPECT_EQ(player_.current_path(), Files(1, 1)[0]);
    EXPECT_EQ(player_.play_state(), music::kPlaying);
    // Loop alone: the same file again from the start of its range.
    player_.SetListPlay(false);
    Sent();
    player_.Tick();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Status AudioMCI Position", "Status AudioMCI Mode", "Seek AudioMCI To 0",
                                                "Play AudioMCI"}));
    EXPECT_EQ(player_.current_path(), Files(1, 1)[0]);
}

TEST_F(PlayerTest, APartOfTheFile) {
    player_.AddFiles(Files(1, 1));
    player_.MarkRangeStart(50);  // off: nothing
    EXPECT_EQ(player_.range_start(), 0);
    player_.SetPartialPlay(true);
    player_.MarkRangeStart(5);
    EXPECT_EQ(player_.range_start(), 0);
    player_.MarkRangeEnd(300);
    EXPECT_EQ(player_.range_end(), 240);
    player_.MarkRangeEnd(108);
    EXPECT_EQ(player_.range_end(), 100);
    player_.MarkRangeStart(108);  // at the end mark: ignored
    EXPECT_EQ(player_.range_start(), 0);
    Sent();
    player_.MarkRangeStart(48);  // beyond the position: playback goes there
    EXPECT_EQ(player_.range_start(), 40);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Seek AudioMCI To 30575", "Play AudioMCI"}));
    // Before the start the position is held at it; past the end it halts there.
    At(1000);
    player_.Tick();
    EXPECT_EQ(player_.bar(), 40);
    At(150000);
    player_.Tick();
    EXPECT_EQ(player_.bar(), 100);
    EXPECT_EQ(player_.play_state(), music::kHalted);
    // Partial play off: the whole file again, and playing on from where it halted.
    Sent();
    player_.SetPartialPlay(false);
    EXPECT_EQ(Sent(), std::vector<std::string>{"Play AudioMCI"});
    EXPECT_EQ(player_.range_end(), 240);
    EXPECT_EQ(player_.play_state(), music::kPlaying);
    // Closing resets partial play; it cannot be switched on with nothing open.
    player_.Stop();
    player_.SetPartialPlay(true);
    EXPECT_FALSE(player_.partial_play());
}

TEST_F(PlayerTest, ButtonsDragVolumeMuteAndChannels) {
    player_.AddFiles(Files(1, 2));
    Sent();
    player_.PlayPause();
    player_.PlayPause();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Pause AudioMCI", "Play AudioMCI"}));
    player_.BeginDrag();
    EXPECT_FALSE(player_.timer_running());
    player_.EndDrag(120);
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Pause AudioMCI", "Seek AudioMCI To 91725", "Play AudioMCI"}));
    EXPECT_TRUE(player_.timer_running());
    player_.JumpToRangeEnd();  // list play: the next entry
    EXPECT_EQ(player_.current_path(), Files(2, 2)[0]);
    player_.PreviousTrack();
    EXPECT_EQ(player_.current_path(), Files(1, 1)[0]);
    player_.PreviousTrack();  // from the first to the last
    EXPECT_EQ(player_.current_path(), Files(2, 2)[0]);
    Sent();
    player_.SetVolume(98);
    player_.VolumeUp();
    player_.VolumeUp();
    EXPECT_EQ(player_.volume(), 100);
    player_.SetVolume(0);
    player_.VolumeDown();
    EXPECT_EQ(player_.volume(), 0);
    player_.ToggleMute();
    player_.ToggleMute();
    player_.SetChannel(1);
    player_.SetChannel(2);
    player_.SetChannel(0);
    EXPECT_EQ(Sent(), (std::vector<std::string>{
                          "Setaudio AudioMCI Volume TO 980", "Setaudio AudioMCI Volume TO 1000",
                          "Setaudio AudioMCI Volume TO 0", "Setaudio AudioMCI OFF", "Setaudio AudioMCI Volume TO 0",
                          "Setaudio AudioMCI ON", "Setaudio AudioMCI Volume TO 0",
                          "Set AudioMCI Audio All Off", "Set AudioMCI Audio Left On", "Set AudioMCI Audio All Off",
                          "Set AudioMCI Audio Right On", "Set AudioMCI Audio All Off", "Set AudioMCI Audio All On"}));
    // Muted and on the left, the next file opens that way.
    player_.ToggleMute();
    player_.SetChannel(1);
    player_.PlayEntry(1);
    EXPECT_FALSE(player_.list_play());
    const std::vector<std::string> sent = Sent();
    EXPECT_EQ(sent[sent.size() - 3], "Set AudioMCI Audio Left On");
    EXPECT_EQ(sent.back(), "Setaudio AudioMCI Off");
    // □: nothing open, no entry playing, the list kept.
    player_.Stop();
    EXPECT_EQ(Sent(), std::vector<std::string>{"Close AudioMCI"});
    EXPECT_EQ(player_.list().current, 0);
    EXPECT_EQ(player_.TitleText(), "");
    EXPECT_EQ(player_.list().Count(), 2);
    // ＞ with nothing open plays the first entry; 清空列表 empties.
    player_.PlayPause();
    EXPECT_EQ(player_.current_path(), Files(1, 1)[0]);
    player_.ClearList();
    EXPECT_EQ(player_.list().Count(), 0);
    EXPECT_FALSE(player_.file_open());
}

TEST_F(PlayerTest, ADeviceThatCannotSeekPlaysFromThePlace) {
    mci_.refused = "Seek";
    player_.AddFiles(Files(1, 1));
    player_.PlayPause();
    Sent();
    player_.BeginDrag();
    player_.EndDrag(120);  // paused: it stays paused there
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Seek AudioMCI To 91725", "Play AudioMCI From 91725", "Pause AudioMCI"}));
    player_.PlayPause();
    player_.RestartRange();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Play AudioMCI", "Seek AudioMCI To 0", "Play AudioMCI From 0"}));
}

TEST_F(PlayerTest, AFileAddedWhileHaltedAtTheEndOfTheListStarts) {
    player_.AddFiles(Files(1, 2));
    player_.NextTrack();
    At(183450);
    player_.Tick();
    EXPECT_EQ(player_.play_state(), music::kHalted);
    player_.AppendFiles(Files(3, 3));
    EXPECT_EQ(player_.current_path(), Files(3, 3)[0]);
    EXPECT_EQ(player_.play_state(), music::kPlaying);
}

TEST(MusicNumbers, WhichModeRepliesMeanTheDeviceStopped) {
    const std::pair<std::string, bool> cases[] = {
        {"playing", false}, {"Playing", false},  {"playing \r\n", false}, {"seeking", false},
        {"stopped", true},  {"STOPPED", true},   {"paused", true},        {"not ready", true},
        {"open", true},     {"", false},         {std::string("stopped\0playing", 15), true},
    };
    for (const auto& [mode, stopped] : cases) EXPECT_EQ(music::DeviceStopped(mode), stopped) << mode;
}

// A song that plays to its end: the device stops there and reads position 0. Each play mode then
// does what it does at the end of the range.
TEST_F(PlayerTest, ASongThatPlaysToItsEndGoesOnByThePlayMode) {
    const struct {
        bool list, loop;
        int count, playing;     // entries, and the one that ends
        int then;               // the entry playing afterwards (the same for a restart or a halt)
        int state;
        std::vector<std::string> sent;  // after the two status commands
    } cases[] = {
        {false, false, 1, 1, 1, music::kHalted, {"Pause AudioMCI"}},
        {false, true, 1, 1, 1, music::kPlaying, {"Seek AudioMCI To 0", "Play AudioMCI"}},
        {false, false, 3, 2, 2, music::kHalted, {"Pause AudioMCI"}},
        {true, false, 3, 1, 2, music::kPlaying, {}},
        {true, false, 3, 2, 3, music::kPlaying, {}},
        {true, false, 3, 3, 3, music::kHalted, {"Pause AudioMCI"}},
        {true, true, 3, 3, 1, music::kPlaying, {}},
        {true, true, 3, 2, 3, music::kPlaying, {}},
    };
    for (const auto& c : cases) {
        platform::RecordingMci mci;
        mci.length = "183456";
        Player player(mci, 4242, kAllExist);
        player.AddFiles(Files(1, c.count));
        player.SetListPlay(c.list);
        player.SetLoopPlay(c.loop);
        player.PlayEntry(c.playing);
        player.SetListPlay(c.list);  // 我的音乐 switched list play off
        mci.position = "45671";
        player.Tick();  // playing: nothing happens
        ASSERT_EQ(player.list().current, c.playing);
        ASSERT_EQ(player.bar(), 59);  // 45670 of 183450 ms
        mci.position = "0";
        mci.mode = "stopped";
        const std::size_t before = mci.commands.size();
        player.Tick();
        mci.mode = "playing";
        const std::vector<std::string> sent(mci.commands.begin() + static_cast<long>(before), mci.commands.end());
        const std::string label = std::to_string(c.list) + std::to_string(c.loop) + " " + std::to_string(c.playing);
        EXPECT_EQ(player.list().current, c.then) << label;
        EXPECT_EQ(player.current_path(), Files(c.then, c.then)[0]) << label;
        EXPECT_EQ(player.play_state(), c.state) << label;
        ASSERT_GE(sent.size(), 2u) << label;
        EXPECT_EQ(sent[0], "Status AudioMCI Position");
        EXPECT_EQ(sent[1], "Status AudioMCI Mode");
        if (c.then != c.playing) {
            EXPECT_EQ(sent[2], "Close AudioMCI") << label;
            EXPECT_EQ(sent.back(), "Setaudio AudioMCI On") << label;  // the next one opened and plays
        } else {
            EXPECT_EQ(std::vector<std::string>(sent.begin() + 2, sent.end()), c.sent) << label;
        }
        if (c.state == music::kHalted) {
            EXPECT_EQ(player.bar(), music::kBarPixels) << label;
        }
    }
}

// Mute sends the documented command and also takes the device's volume to 0, for the devices that
// ignore the first; the volume chosen comes back with the sound.
TEST_F(PlayerTest, MuteSilencesTheDeviceAndKeepsTheVolume) {
    player_.AddFiles(Files(1, 1));
    player_.SetVolume(36);
    Sent();
    player_.ToggleMute();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Setaudio AudioMCI OFF", "Setaudio AudioMCI Volume TO 0"}));
    EXPECT_EQ(player_.volume(), 36);
    player_.VolumeUp();  // muted: the volume changes, the device stays silent
    EXPECT_EQ(Sent(), std::vector<std::string>{});
    EXPECT_EQ(player_.volume(), 38);
    player_.NextTrack();  // the next file opens muted
    std::vector<std::string> sent = Sent();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "Setaudio AudioMCI Volume TO 0"), sent.end());
    EXPECT_EQ(sent.back(), "Setaudio AudioMCI Off");
    player_.ToggleMute();
    EXPECT_EQ(Sent(), (std::vector<std::string>{"Setaudio AudioMCI ON", "Setaudio AudioMCI Volume TO 380"}));
}

// Volumes from the bar or another version's setting are even, 0..100: an odd one rounds down.
TEST_F(PlayerTest, OddAndOutlyingVolumesRoundDownToAnEvenStep) {
    player_.AddFiles(Files(1, 1));
    const std::pair<int, int> cases[] = {{61, 60}, {1, 0},    {99, 98},  {100, 100}, {101, 100}, {150, 100},
                                         {-1, 0},  {-3, 0},   {0, 0},    {2, 2},     {59, 58},   {97, 96}};
    for (const auto& [asked, volume] : cases) {
        Sent();
        player_.SetVolume(asked);
        EXPECT_EQ(player_.volume(), volume) << asked;
        EXPECT_EQ(Sent(), std::vector<std::string>{"Setaudio AudioMCI Volume TO " + std::to_string(10 * volume)}) << asked;
    }
    // 增大 and 减小 from odd neighbours of the ends.
    const struct {
        int start;
        bool up;
        int volume;
    } steps[] = {{98, true, 100}, {100, true, 100}, {96, true, 98}, {2, false, 0}, {0, false, 0}, {4, false, 2}};
    for (const auto& s : steps) {
        player_.SetVolume(s.start);
        s.up ? player_.VolumeUp() : player_.VolumeDown();
        EXPECT_EQ(player_.volume(), s.volume) << s.start << s.up;
    }
}

// Edits of the list while the player stands halted at the end of the last entry: an entry that
// comes to stand after the halted one starts; otherwise it stays halted. Two steps each: halt,
// then the edit.
TEST_F(PlayerTest, ListEditsWhileHaltedAtTheEnd) {
    enum Edit { kUp, kDown, kRemove, kInsert, kAppend };
    const struct {
        Edit edit;
        int entry;
        std::vector<int> list;  // the files, by number, afterwards
        int playing;            // the file playing or halted afterwards, by number
        int state;
    } cases[] = {
        {kUp, 3, {1, 3, 2}, 2, music::kPlaying},        // 3 halted moves up: 2 now follows it
        {kUp, 2, {2, 1, 3}, 3, music::kHalted},         // two others swap: 3 stays last
        {kDown, 2, {1, 3, 2}, 2, music::kPlaying},      // 2 moves below 3
        {kDown, 3, {1, 2, 3}, 3, music::kHalted},       // the last cannot move down
        {kRemove, 1, {2, 3}, 3, music::kHalted},
        {kRemove, 3, {1, 2}, 3, music::kHalted},        // the halted file goes from the list, not from the device
        {kInsert, 3, {1, 2, 4, 3}, 3, music::kHalted},  // inserted before it
        {kInsert, 1, {4, 1, 2, 3}, 3, music::kHalted},
        {kAppend, 0, {1, 2, 3, 4}, 4, music::kPlaying},
    };
    for (const auto& c : cases) {
        platform::RecordingMci mci;
        mci.length = "183456";
        Player player(mci, 4242, kAllExist);
        player.AddFiles(Files(1, 3));
        player.NextTrack();
        player.NextTrack();
        mci.position = "183456";
        player.Tick();
        ASSERT_EQ(player.play_state(), music::kHalted);
        switch (c.edit) {
            case kUp: player.MoveUp(c.entry); break;
            case kDown: player.MoveDown(c.entry); break;
            case kRemove: player.Remove(c.entry); break;
            case kInsert: player.InsertFiles(c.entry, Files(4, 4)); break;
            case kAppend: player.AppendFiles(Files(4, 4)); break;
        }
        std::vector<std::string> expected;
        for (int n : c.list) expected.push_back(Files(n, n)[0]);
        const std::string label = std::to_string(c.edit) + " " + std::to_string(c.entry);
        EXPECT_EQ(player.list().entries, expected) << label;
        EXPECT_EQ(player.current_path(), Files(c.playing, c.playing)[0]) << label;
        EXPECT_EQ(player.play_state(), c.state) << label;
        // The index still names the file the player has, unless that file left the list.
        const int index = player.list().current;
        if (index != 0) {
            EXPECT_EQ(player.list().Entry(index), player.current_path()) << label;
        } else {
            EXPECT_EQ(player.list().Find(player.current_path()), 0) << label;
        }
    }
}

// 上移 and 下移 of every entry of a list of four, with each entry playing: the list as a swap of two
// names gives it, and the playing index still names the playing file.
TEST(PlayList, EveryMoveKeepsTheIndexOnThePlayingFile) {
    for (int playing = 0; playing <= 4; ++playing) {
        for (int selected = 0; selected <= 5; ++selected) {
            for (bool up : {true, false}) {
                PlayList list;
                list.entries = Files(1, 4);
                list.current = playing;
                std::vector<std::string> expected = Files(1, 4);
                const int other = up ? selected - 1 : selected + 1;  // the neighbour it swaps with
                const bool moves = selected >= 1 && selected <= 4 && other >= 1 && other <= 4;
                if (moves) std::swap(expected[static_cast<size_t>(selected - 1)], expected[static_cast<size_t>(other - 1)]);
                const int moved = up ? list.MoveUp(selected) : list.MoveDown(selected);
                const std::string label = std::to_string(playing) + " " + std::to_string(selected) + (up ? " up" : " down");
                EXPECT_EQ(moved, moves ? other : 0) << label;
                EXPECT_EQ(list.entries, expected) << label;
                if (playing == 0) {
                    EXPECT_EQ(list.current, 0) << label;
                } else {
                    EXPECT_EQ(list.Entry(list.current), Files(playing, playing)[0]) << label;
                }
            }
        }
    }
}

// The marks of partial play, one after the other: x is where the bar control is clicked, its pixel
// 0 lying at x = 8; a start at or beyond the end and an end at or before the start are ignored.
TEST_F(PlayerTest, TheMarksOfPartialPlayOneAfterTheOther) {
    enum Mark { kStart, kEnd };
    const struct {
        std::vector<std::pair<Mark, int>> clicks;
        int start, end;
    } cases[] = {
        {{{kStart, 5}}, 0, 240},
        {{{kStart, 58}}, 50, 240},
        {{{kEnd, 108}}, 0, 100},
        {{{kEnd, 400}}, 0, 240},
        {{{kEnd, 108}, {kStart, 108}}, 0, 100},   // a start at the end
        {{{kEnd, 108}, {kStart, 107}}, 99, 100},
        {{{kStart, 58}, {kEnd, 58}}, 50, 240},    // an end at the start
        {{{kStart, 58}, {kEnd, 59}}, 50, 51},
        {{{kStart, 58}, {kEnd, 8}}, 50, 240},
        {{{kEnd, 108}, {kEnd, 208}, {kStart, 150}}, 142, 200},
    };
    for (const auto& c : cases) {
        platform::RecordingMci mci;
        mci.length = "183456";
        Player player(mci, 4242, kAllExist);
        player.AddFiles(Files(1, 1));
        player.SetPartialPlay(true);
        for (const auto& [mark, x] : c.clicks) mark == kStart ? player.MarkRangeStart(x) : player.MarkRangeEnd(x);
        EXPECT_EQ(player.range_start(), c.start) << c.clicks.size() << " " << c.clicks.back().second;
        EXPECT_EQ(player.range_end(), c.end) << c.clicks.size() << " " << c.clicks.back().second;
    }
}

// A play mode switched on while the player stands halted takes effect at once; partial play
// switched off resumes only where the whole file goes on beyond the halt.
TEST_F(PlayerTest, ModesSwitchedWhileHalted) {
    enum Switch { kListOn, kLoopOn, kPartialOff };
    const struct {
        bool list;          // list play while it played to the halt
        int entry;          // the entry that halted (of three)
        int range_end;      // partial play's end mark, pixels (240: the whole file)
        Switch then;
        int playing, state;
    } cases[] = {
        {false, 1, 240, kListOn, 2, music::kPlaying},
        {false, 3, 240, kListOn, 3, music::kHalted},   // the last: nothing follows without loop
        {false, 1, 240, kLoopOn, 1, music::kPlaying},
        {true, 3, 240, kLoopOn, 1, music::kPlaying},
        {false, 2, 100, kPartialOff, 2, music::kPlaying},  // halted at 100: the file goes on
        {false, 2, 240, kPartialOff, 2, music::kHalted},   // halted at the file's end
    };
    for (const auto& c : cases) {
        platform::RecordingMci mci;
        mci.length = "183456";
        Player player(mci, 4242, kAllExist);
        player.AddFiles(Files(1, 3));
        player.PlayEntry(c.entry);  // list play off
        player.SetListPlay(c.list);
        player.SetPartialPlay(true);
        player.MarkRangeEnd(c.range_end + 8);
        mci.position = "183456";
        player.Tick();
        const std::string label = std::to_string(c.then) + " " + std::to_string(c.entry);
        ASSERT_EQ(player.play_state(), music::kHalted) << label;
        ASSERT_EQ(player.bar(), c.range_end) << label;
        mci.position = "0";
        switch (c.then) {
            case kListOn: player.SetListPlay(true); break;
            case kLoopOn: player.SetLoopPlay(true); break;
            case kPartialOff: player.SetPartialPlay(false); break;
        }
        EXPECT_EQ(player.current_path(), Files(c.playing, c.playing)[0]) << label;
        EXPECT_EQ(player.play_state(), c.state) << label;
    }
}

}  // namespace
