// The spoken time, the hourly chime and the alarms: the words that say a time, the alarm editor's
// times, and the workers that sound them.
#include <gtest/gtest.h>

#include <functional>

#include <map>
#include <string>
#include <thread>
#include <vector>

#include "personal/alarms.h"
#include "personal/spoken_time.h"
#include "personal/time_signals.h"
#include "platform/clock.h"
#include "platform/sound.h"

namespace {

using namespace personal;
using Sounds = std::vector<std::string>;

TEST(SpokenTime, TheExamplesAndEdgeCases) {
    const struct {
        int hour, minute;
        bool with_minutes;
        Sounds expected;
    } cases[] = {
        {14, 35, true, {"SoundRing", "SoundTime", "Sound10", "Sound4", "SoundHour", "Sound30", "Sound5", "SoundMinute"}},
        {2, 0, false, {"SoundRing", "SoundTime", "SoundTwo", "SoundHour"}},
        {0, 7, true, {"SoundRing", "SoundTime", "Sound0", "SoundHour", "Sound0", "Sound7", "SoundMinute"}},
        {20, 10, true, {"SoundRing", "SoundTime", "Sound20", "SoundHour", "Sound10", "SoundMinute"}},
        {12, 0, true, {"SoundRing", "SoundTime", "Sound10", "Sound2", "SoundHour"}},  // 十二点: 二, not 两
        {10, 0, true, {"SoundRing", "SoundTime", "Sound10", "SoundHour"}},
        {20, 0, false, {"SoundRing", "SoundTime", "Sound20", "SoundHour"}},
        {9, 5, true, {"SoundRing", "SoundTime", "Sound9", "SoundHour", "Sound0", "Sound5", "SoundMinute"}},
        {22, 22, true, {"SoundRing", "SoundTime", "Sound20", "Sound2", "SoundHour", "Sound20", "Sound2", "SoundMinute"}},
        {14, 35, false, {"SoundRing", "SoundTime", "Sound10", "Sound4", "SoundHour"}},  // the chime: hours only
    };
    for (const auto& c : cases) EXPECT_EQ(SpokenTimeSounds(c.hour, c.minute, c.with_minutes), c.expected) << c.hour << ":" << c.minute;
}

// Every minute of the day against the time written out in Chinese words: the 24 hours by hand,
// the minutes by the rule of reading a number (零 before a single digit, 十 .. 五十 for the tens),
// each word then looked up in the table of recordings.
TEST(SpokenTime, EveryMinuteAsItIsReadInChinese) {
    const char* const hours[24] = {"零",     "一",     "两",     "三",     "四",     "五",     "六",     "七",
                                   "八",     "九",     "十",     "十 一",  "十 二",  "十 三",  "十 四",  "十 五",
                                   "十 六",  "十 七",  "十 八",  "十 九",  "二十",   "二十 一", "二十 二", "二十 三"};
    const char* const digits[10] = {"零", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    const char* const tens[6] = {"零", "十", "二十", "三十", "四十", "五十"};
    const std::map<std::string, std::string> recording = {
        {"现在时刻", "SoundTime"}, {"零", "Sound0"},   {"一", "Sound1"},    {"二", "Sound2"},     {"两", "SoundTwo"},
        {"三", "Sound3"},         {"四", "Sound4"},   {"五", "Sound5"},    {"六", "Sound6"},     {"七", "Sound7"},
        {"八", "Sound8"},         {"九", "Sound9"},   {"十", "Sound10"},   {"二十", "Sound20"},  {"三十", "Sound30"},
        {"四十", "Sound40"},      {"五十", "Sound50"}, {"点", "SoundHour"}, {"分", "SoundMinute"}};
    const auto words = [](const std::string& phrase) {
        std::vector<std::string> out;
        size_t start = 0;
        while (start <= phrase.size()) {
            const size_t blank = phrase.find(' ', start);
            out.push_back(phrase.substr(start, blank - start));
            if (blank == std::string::npos) break;
            start = blank + 1;
        }
        return out;
    };
    for (int h = 0; h < 24; ++h) {
        for (int m = 0; m < 60; ++m) {
            for (bool with_minutes : {false, true}) {
                std::string phrase = std::string("现在时刻 ") + hours[h] + " 点";
                if (with_minutes && m != 0) {
                    phrase += std::string(" ") + tens[m / 10];
                    if (m % 10) phrase += std::string(" ") + digits[m % 10];
                    phrase += " 分";
                }
                Sounds expected = {"SoundRing"};
                for (const std::string& w : words(phrase)) expected.push_back(recording.at(w));
                ASSERT_EQ(SpokenTimeSounds(h, m, with_minutes), expected) << phrase;
            }
        }
    }
}

TEST(Alarms, TimesOfTheEditorAndTheAlarmsDue) {
    const struct {
        const char* text;
        bool ok;
        int minutes;
    } times[] = {
        {"07:30", true, 450}, {"7:5", true, 425},  {"7", true, 420},     {"23:59", true, 1439}, {"00:00", true, 0},
        {"00:01", true, 1},   {"24:00", false, 0}, {"12:60", false, 0},  {"ab", false, 0},      {"", false, 0},
        {"1:2:3", false, 0},  {" 7:30", false, 0}, {"7:30 ", false, 0},  {"123:00", false, 0},  {"-1:00", false, 0},
        {":30", false, 0},    {"7:", false, 0},
    };
    for (const auto& t : times) {
        int minutes = -1;
        EXPECT_EQ(ParseAlarmTime(t.text, minutes), t.ok) << t.text;
        if (t.ok) {
            EXPECT_EQ(minutes, t.minutes) << t.text;
        }
    }
    EXPECT_EQ(AlarmTimeText(450), "07:30");
    EXPECT_EQ(AlarmTimeText(1439), "23:59");
    EXPECT_EQ(AlarmTimeText(0), "00:00");
    const std::array<personal::Alarm, 3> alarms = {personal::Alarm{1, 450, 2}, personal::Alarm{0, 450, 3}, personal::Alarm{1, 450, 4}};
    EXPECT_EQ(DueAlarmSounds(alarms, 450), (std::vector<int>{2, 4}));  // B is off
    EXPECT_TRUE(DueAlarmSounds(alarms, 451).empty());
    EXPECT_EQ(AlarmSoundResource(4), "SoundAlarm4");
    EXPECT_STREQ(kAlarmSoundNames[4], "空袭警报");
}

// Waits up to two seconds for a condition the workers bring about.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 2000 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

TEST(TimeSignals, ASpeechAtATimeAndTheChimeOncePerHour) {
    platform::FixedClock clock({2025, 3, 15, 14, 35, 20});
    platform::RecordingSoundPlayer player(std::chrono::milliseconds(20));
    TimeSignals signals(clock, player);
    EXPECT_EQ(signals.SpeechState(), 0);
    signals.RequestSpokenTime();
    signals.RequestSpokenTime();  // Ctrl+Alt+V twice: the second is ignored while the first speaks
    EXPECT_EQ(signals.SpeechState(), 1);
    ASSERT_TRUE(Eventually([&] { return signals.SpeechState() == 2; }));
    EXPECT_EQ(player.Played(), SpokenTimeSounds(14, 35, true));
    // The chime's timer fires twice in the second of the full hour, and at other times does nothing.
    player.Clear();
    for (const platform::LocalDateTime t : {platform::LocalDateTime{2025, 3, 15, 14, 59, 59},
                                            platform::LocalDateTime{2025, 3, 15, 15, 0, 1},
                                            platform::LocalDateTime{2025, 3, 15, 15, 30, 0}}) {
        clock.Set(t);
        signals.HourlyChimeTick();
    }
    EXPECT_EQ(signals.SpeechState(), 2);
    clock.Set({2025, 3, 15, 15, 0, 0});
    signals.HourlyChimeTick();
    signals.HourlyChimeTick();
    ASSERT_TRUE(Eventually([&] { return signals.SpeechState() == 2; }));
    EXPECT_EQ(player.Played(), SpokenTimeSounds(15, 0, false));
}

TEST(TimeSignals, AnAlarmSoundsThroughItsMinuteButNotOverTheSpokenTime) {
    platform::FixedClock clock({2025, 3, 15, 7, 30, 0});
    platform::RecordingSoundPlayer player(std::chrono::milliseconds(30));
    TimeSignals signals(clock, player);
    const std::array<personal::Alarm, 3> alarms = {personal::Alarm{1, 450, 2}, personal::Alarm{}, personal::Alarm{1, 450, 0}};
    signals.AlarmTick(alarms);
    signals.AlarmTick(alarms);  // still sounding: no second worker
    ASSERT_TRUE(Eventually([&] { return !signals.AlarmSounding(); }));
    EXPECT_EQ(player.Played(), (Sounds{"SoundAlarm2", "SoundAlarm0"}));
    signals.AlarmTick(alarms);  // the minute goes on: again
    ASSERT_TRUE(Eventually([&] { return !signals.AlarmSounding(); }));
    EXPECT_EQ(player.Played().size(), 4u);
    // The next minute nothing; an alarm that is off never.
    player.Clear();
    clock.Set({2025, 3, 15, 7, 31, 0});
    signals.AlarmTick(alarms);
    clock.Set({2025, 3, 15, 7, 30, 0});
    signals.AlarmTick({personal::Alarm{0, 450, 2}, personal::Alarm{}, personal::Alarm{}});
    EXPECT_FALSE(signals.AlarmSounding());
    // While the time is spoken the alarm keeps quiet.
    signals.RequestSpokenTime();
    signals.AlarmTick(alarms);
    ASSERT_TRUE(Eventually([&] { return signals.SpeechState() == 2 && !signals.AlarmSounding(); }));
    EXPECT_EQ(player.Played(), SpokenTimeSounds(7, 30, true));
}

// Ending the program while the time is spoken or an alarm sounds cuts the sound short: it takes a
// moment, not the rest of a five-second sound (and nothing is played after it).
TEST(TimeSignals, EndingCutsTheSoundShort) {
    const struct {
        const char* what;
        std::function<void(TimeSignals&)> start;
        Sounds played;
    } cases[] = {
        {"the spoken time", [](TimeSignals& s) { s.RequestSpokenTime(); }, {"SoundRing"}},
        {"an alarm",
         [](TimeSignals& s) {
             s.AlarmTick({personal::Alarm{1, 14 * 60 + 35, 2}, personal::Alarm{1, 14 * 60 + 35, 0}, personal::Alarm{}});
         },
         {"SoundAlarm2"}},
    };
    for (const auto& c : cases) {
        platform::FixedClock clock({2025, 3, 15, 14, 35, 0});
        platform::RecordingSoundPlayer player(std::chrono::milliseconds(5000));
        std::chrono::steady_clock::time_point ending;
        {
            TimeSignals signals(clock, player);
            c.start(signals);
            ASSERT_TRUE(Eventually([&] { return !player.Played().empty(); })) << c.what;
            ending = std::chrono::steady_clock::now();
        }
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - ending);
        EXPECT_LT(took.count(), 1000) << c.what << ": ending took " << took.count() << " ms";
        EXPECT_EQ(player.Played(), c.played) << c.what;
    }
}

}  // namespace
