#include "calendar/memo.h"

namespace calendar::detail {

void Memo::Forget() {
    const std::lock_guard<std::mutex> lock(mutex_);
    phases_.clear();
    terms_.clear();
    for (auto& records : records_) records.clear();
}

Memo& TheMemo() {
    static Memo memo;
    return memo;
}

}  // namespace calendar::detail
