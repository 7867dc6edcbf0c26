#include "music/play_list.h"

#include <algorithm>

#include "text/gbk.h"

namespace music {

std::vector<std::string> ReadAudioList(const std::string& stored, const personal::FileExists& exists) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t bar = stored.find('|'); bar != std::string::npos; start = bar + 1, bar = stored.find('|', start))
        fields.push_back(stored.substr(start, bar - start));
    std::vector<std::string> entries;
    for (const std::string& path : AcceptedFiles(fields, exists)) {
        if (static_cast<int>(entries.size()) == kMaxEntries) break;
        if (std::find(entries.begin(), entries.end(), path) == entries.end()) entries.push_back(path);
    }
    return entries;
}

std::string AudioListText(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& e : entries) text += e + "|";
    return text;
}

std::vector<std::string> AcceptedFiles(const std::vector<std::string>& paths, const personal::FileExists& exists) {
    std::vector<std::string> accepted;
    for (const std::string& p : paths) {
        // A path with "|" could never be read back from the stored list.
        if (p.find('|') == std::string::npos && personal::IsAudioFile(p, exists)) accepted.push_back(p);
    }
    return accepted;
}

std::string FileNameOf(const std::string& path) {
    const size_t separator = text::LastPathSeparator(path);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

int PlayList::Find(const std::string& path) const {
    const auto at = std::find(entries.begin(), entries.end(), path);
    return at == entries.end() ? 0 : static_cast<int>(at - entries.begin()) + 1;
}

void PlayList::PutInFront(const std::vector<std::string>& chosen) {
    for (auto p = chosen.rbegin(); p != chosen.rend(); ++p) {
        if (const int k = Find(*p)) entries.erase(entries.begin() + (k - 1));
        if (Count() >= kMaxEntries) entries.resize(kMaxEntries - 1);
        entries.insert(entries.begin(), *p);
    }
}

int PlayList::Append(const std::vector<std::string>& chosen) {
    int added = 0;
    for (const std::string& p : chosen) {
        if (Count() >= kMaxEntries) break;
        if (Find(p)) continue;
        entries.push_back(p);
        ++added;
    }
    return added;
}

int PlayList::InsertBefore(int selected, const std::vector<std::string>& chosen) {
    if (selected < 1 || selected > Count()) return 0;
    int at = selected;
    int added = 0;
    for (const std::string& p : chosen) {
        if (Find(p)) continue;
        entries.insert(entries.begin() + (at - 1), p);
        if (current >= at) ++current;
        ++at;
        ++added;
    }
    if (Count() > kMaxEntries) {
        entries.resize(kMaxEntries);
        if (current > kMaxEntries) current = 0;  // the playing file fell off the list
    }
    return added;
}

int PlayList::MoveUp(int selected) {
    if (selected < 2 || selected > Count()) return 0;
    std::swap(entries[static_cast<size_t>(selected - 2)], entries[static_cast<size_t>(selected - 1)]);
    if (current == selected) {
        current = selected - 1;
    } else if (current == selected - 1) {
        current = selected;
    }
    return selected - 1;
}

int PlayList::MoveDown(int selected) {
    if (selected < 1 || selected >= Count()) return 0;
    std::swap(entries[static_cast<size_t>(selected - 1)], entries[static_cast<size_t>(selected)]);
    if (current == selected) {
        current = selected + 1;
    } else if (current == selected + 1) {
        current = selected;
    }
    return selected + 1;
}

bool PlayList::Remove(int selected) {
    if (selected < 1 || selected > Count()) return false;
    entries.erase(entries.begin() + (selected - 1));
    if (current == selected) {
        current = 0;
    } else if (current > selected) {
        --current;
    }
    return true;
}

int PlayList::NextIndex(bool file_chosen) const {
    if (entries.empty()) return 0;
    return file_chosen && current >= 1 && current < Count() ? current + 1 : 1;
}

int PlayList::PreviousIndex(bool file_chosen) const {
    if (entries.empty()) return 0;
    if (!file_chosen) return 1;
    if (current == 1) return Count();
    return current > 1 && current <= Count() ? current - 1 : 1;
}

EndOfRange EndOfRangeAction(bool list_play, bool loop_play, int current, int count) {
    if (!list_play) return loop_play ? EndOfRange::kRestart : EndOfRange::kHalt;
    if (loop_play) return EndOfRange::kNextTrack;  // after the last entry comes the first
    return current < count ? EndOfRange::kNextTrack : EndOfRange::kHalt;
}

}  // namespace music
