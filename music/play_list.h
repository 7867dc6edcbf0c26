// The music player's list of recently played files and the rules that move through it. The list
// is stored as the setting "HistoryAudioList": full paths, each followed by "|", newest first, at
// most 30. Entries are numbered from 1; index 0 means no entry.
#pragma once

#include <string>
#include <vector>

#include "personal/personal_days.h"

namespace music {

constexpr int kMaxEntries = 30;

// The entries of a stored list that are audio files (MID, MP3, WAV, WMA) which exist, in order,
// each once, the first 30 of them.
std::vector<std::string> ReadAudioList(const std::string& stored, const personal::FileExists& exists);
// The stored form: every entry followed by "|".
std::string AudioListText(const std::vector<std::string>& entries);
// The chosen or dropped paths that are audio files and exist.
std::vector<std::string> AcceptedFiles(const std::vector<std::string>& paths, const personal::FileExists& exists);
// The file's name without its folder.
std::string FileNameOf(const std::string& path);

struct PlayList {
    std::vector<std::string> entries;
    int current = 0;  // the playing entry, 1-based; 0 for none

    int Count() const { return static_cast<int>(entries.size()); }
    int Find(const std::string& path) const;  // 1-based, 0 when absent
    const std::string& Entry(int k) const { return entries[static_cast<size_t>(k - 1)]; }

    // Chosen in the open dialog or dropped: each goes to the front (the first chosen first), an
    // entry already listed moves there instead of doubling, the oldest falls off beyond 30.
    void PutInFront(const std::vector<std::string>& chosen);
    // 添加: the chosen files not yet listed go to the end while the list has room; how many did.
    int Append(const std::vector<std::string>& chosen);
    // 插入: the chosen files not yet listed go just before entry `selected`, in their order; the
    // playing entry keeps its index pointing at it, the last entries fall off beyond 30.
    int InsertBefore(int selected, const std::vector<std::string>& chosen);
    // 上移 / 下移: entry `selected` swaps with its neighbour; the playing index follows its file.
    // The new index of the moved entry, or 0 when it cannot move.
    int MoveUp(int selected);
    int MoveDown(int selected);
    // 删除: entry `selected` goes; the playing index follows its file (0 when that was removed).
    bool Remove(int selected);

    // The entry after the current one (1 after the last, or with nothing playing).
    int NextIndex(bool file_chosen) const;
    // The entry before it (the last before the first).
    int PreviousIndex(bool file_chosen) const;
};

// What happens when playback reaches the end of its range, by the play modes.
enum class EndOfRange { kHalt, kRestart, kNextTrack };
EndOfRange EndOfRangeAction(bool list_play, bool loop_play, int current, int count);

}  // namespace music
