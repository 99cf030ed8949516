#include "foundation/notification_center.h"

#include <algorithm>
#include <utility>

namespace cogbook {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, std::string name, const void* object,
                                     Handler handler) {
    entries_.push_back(Entry{nextId_++, observer, std::move(name), object, std::move(handler), false});
}

void NotificationCenter::removeObserver(const void* observer) {
    for (auto& entry : entries_)
        if (entry.observer == observer) entry.removed = true;
    compact();
}

void NotificationCenter::removeObserver(const void* observer, std::string_view name,
                                        const void* object) {
    for (auto& entry : entries_) {
        if (entry.observer != observer) continue;
        if (!name.empty() && entry.name != name) continue;
        if (object != nullptr && entry.object != object) continue;
        entry.removed = true;
    }
    compact();
}

void NotificationCenter::postNotificationName(std::string_view name, const void* object) {
    if (entries_.empty()) return; // the common case: a node dies and nobody listens
    // Entries may be added while handlers run (the vector may then move), so
    // walk by index and stop at the entries that existed when the post began.
    const std::uint64_t lastId = nextId_ - 1;
    ++delivering_;
    struct Done {
        NotificationCenter* center;
        ~Done() {
            if (--center->delivering_ == 0) center->compact();
        }
    } done{this};
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].id > lastId) break;
        if (entries_[i].removed) continue;
        if (!entries_[i].name.empty() && entries_[i].name != name) continue;
        if (entries_[i].object != nullptr && entries_[i].object != object) continue;
        // Copy the handler: it may remove its own entry while it runs.
        Handler handler = entries_[i].handler;
        handler(Notification{name, object});
    }
}

std::size_t NotificationCenter::observerCount() const {
    return static_cast<std::size_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return !e.removed; }));
}

void NotificationCenter::compact() {
    if (delivering_ > 0) return; // indexes must stay put while a post walks them
    std::erase_if(entries_, [](const Entry& e) { return e.removed; });
}

} // namespace cogbook
