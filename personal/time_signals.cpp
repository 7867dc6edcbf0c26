#include "personal/time_signals.h"

#include <string>
#include <vector>

#include "personal/alarms.h"
#include "personal/spoken_time.h"

namespace personal {

TimeSignals::~TimeSignals() {
    // The sound is cut, not waited for. A worker may begin its next sound between a stop and its
    // look at ending_, so the stop is repeated until the workers have ended.
    ending_ = true;
    do {
        player_.Stop();
    } while ((speech_state_.load() == 1 || alarm_running_.load()) &&
             (std::this_thread::sleep_for(std::chrono::milliseconds(2)), true));
    if (speech_.joinable()) speech_.join();
    if (alarm_.joinable()) alarm_.join();
}

void TimeSignals::StartSpeech(bool with_minutes) {
    if (speech_state_.load() == 1) return;  // still speaking: the request is ignored
    if (speech_.joinable()) speech_.join();  // the last speech has ended
    speech_state_ = 1;
    speech_ = std::thread([this, with_minutes] {
        player_.PlayResource("SoundRing");
        const platform::LocalDateTime now = clock_.Now();  // the time when the signal has sounded
        const std::vector<std::string> sounds = SpokenTimeSounds(now.hour, now.minute, with_minutes);
        for (size_t i = 1; i < sounds.size() && !ending_; ++i) player_.PlayResource(sounds[i]);
        speech_state_ = 2;
    });
}

void TimeSignals::RequestSpokenTime() { StartSpeech(true); }

void TimeSignals::HourlyChimeTick() {
    const platform::LocalDateTime now = clock_.Now();
    if (now.minute == 0 && now.second == 0) StartSpeech(false);
}

void TimeSignals::AlarmTick(const Alarms& alarms) {
    const platform::LocalDateTime now = clock_.Now();
    const int minute_of_day = 60 * now.hour + now.minute;
    if (DueAlarmSounds(alarms, minute_of_day).empty() || alarm_running_.load()) return;
    if (alarm_.joinable()) alarm_.join();  // the last alarm has ended
    alarm_running_ = true;
    alarm_ = std::thread([this, alarms, minute_of_day] {
        for (int sound : DueAlarmSounds(alarms, minute_of_day)) {
            if (ending_) break;
            if (speech_state_.load() != 1) player_.PlayResource(AlarmSoundResource(sound));
        }
        alarm_running_ = false;
    });
}

}  // namespace personal
