// One instance of a class per searchable document, kept by the document's
// identity: made on first use, given up when the document goes.
#pragma once

#include <cstddef>
#include <map>
#include <memory>

namespace cogbook {

template <class T>
class DocumentRegistry {
public:
    // The instance kept for KEY, made by MAKE when there is none yet.
    template <class Make>
    T* findOrMake(const void* key, Make make) {
        if (entries_) {
            if (const auto found = entries_->find(key); found != entries_->end()) return found->second.get();
        } else {
            entries_ = new Entries;
        }
        std::unique_ptr<T> made(make());
        T* instance = made.get();
        entries_->emplace(key, std::move(made));
        return instance;
    }

    std::size_t size() const { return entries_ ? entries_->size() : 0; }

    // Takes INSTANCE, kept for KEY, out of the registry and hands it back
    // shared, so that the caller decides when it ends; null when the registry
    // does not keep INSTANCE for KEY.
    std::shared_ptr<T> release(const void* key, const T* instance) {
        if (!entries_) return nullptr;
        const auto found = entries_->find(key);
        if (found == entries_->end() || found->second.get() != instance) return nullptr;
        std::shared_ptr<T> released(found->second.release());
        entries_->erase(found);
        if (entries_->empty()) {
            delete entries_;
            entries_ = nullptr;
        }
        return released;
    }

private:
    using Entries = std::map<const void*, std::unique_ptr<T>>;
    // Exists only while it has entries. A plain pointer: nothing of it is left
    // to tear down when the program ends, after the notification centre has
    // gone.
    Entries* entries_ = nullptr;
};

} // namespace cogbook
