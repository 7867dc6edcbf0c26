// The spoken time, the hourly chime and the alarms as they run: each sounds on a worker thread of
// its own, started by the calendar window's timers, hotkey or menu and left to play to its end.
//
// The speaking state is shared between the window's thread and the workers: 0 before the first
// speech, 1 while speaking, 2 when done. A request while speaking is ignored (pressing Ctrl+Alt+V
// twice speaks once), and no alarm sounds while the time is spoken. The timers fire twice a
// second, so an alarm sounds again and again through its whole minute, each time the one before
// has ended, and the chime's second only once.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/clock.h"
#include "platform/sound.h"
#include "personal/alarms.h"

namespace personal {

class TimeSignals {
public:
    TimeSignals(platform::Clock& clock, platform::SoundPlayer& player) : clock_(clock), player_(player) {}
    // Cuts the sound short and waits for the workers.
    ~TimeSignals();
    TimeSignals(const TimeSignals&) = delete;
    TimeSignals& operator=(const TimeSignals&) = delete;

    // 语音报时 and Ctrl+Alt+V: the hours and minutes, unless a speech is under way.
    void RequestSpokenTime();
    // The hourly chime's timer: at minute 0, second 0 the hour alone.
    void HourlyChimeTick();
    // The alarm timer: the alarms due this minute, unless the last alarm still sounds.
    void AlarmTick(const Alarms& alarms);

    // 0 before the first speech, 1 while speaking, 2 when done.
    std::int16_t SpeechState() const { return speech_state_.load(); }
    bool AlarmSounding() const { return alarm_running_.load(); }

private:
    void StartSpeech(bool with_minutes);

    platform::Clock& clock_;
    platform::SoundPlayer& player_;
    std::atomic<std::int16_t> speech_state_{0};
    std::atomic<bool> alarm_running_{false};
    std::atomic<bool> ending_{false};
    std::thread speech_;
    std::thread alarm_;
};

}  // namespace personal
