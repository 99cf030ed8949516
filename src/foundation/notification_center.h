// Synchronous notifications by name and sender.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cogbook {

struct Notification {
    std::string_view name;
    const void* object; // the sender; compared by identity only
};

class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    // Registers HANDLER for OBSERVER. An empty name matches every name, a null
    // object every sender.
    void addObserver(const void* observer, std::string name, const void* object, Handler handler);
    // Removes every registration of OBSERVER.
    void removeObserver(const void* observer);
    // Removes the registrations of OBSERVER for NAME (any name when empty) and
    // OBJECT (any sender when null).
    void removeObserver(const void* observer, std::string_view name, const void* object);

    // Delivers to every matching observer in registration order, before it
    // returns. Observers removed during delivery (themselves or others) are not
    // called afterwards; observers added during delivery wait for the next post.
    void postNotificationName(std::string_view name, const void* object);

    std::size_t observerCount() const;

private:
    struct Entry {
        std::uint64_t id;
        const void* observer;
        std::string name;
        const void* object;
        Handler handler;
        bool removed;
    };
    void compact();

    std::vector<Entry> entries_;
    std::uint64_t nextId_ = 1;
    int delivering_ = 0;
};

} // namespace cogbook
