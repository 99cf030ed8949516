#include "model/ZRBicycleList.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "foundation/assertion.h"
#include "foundation/exceptions.h"
#include "foundation/message_text.h"
#include "foundation/notification_center.h"

namespace cogbook {

const std::vector<std::string>& ZRBicycleKeys() {
    static const std::vector<std::string> bicycleKeys = {
        "creationDate", "partName",   "date",        "description",   "notes",
        "parent",       "expandable", "hasChildren", "childKeyArray", "children"};
    return bicycleKeys;
}

const std::vector<std::string>& ZRBikeTableDataTypes() {
    static const std::vector<std::string> types = {
        "BikePart form of ZRBicycleList item dragged",
        "Service entry form of ZRBicycleList item dragged",
        "Array of ZRBicycleList items dragged"};
    return types;
}

// ---------------------------------------------------------------- ZRChildList

const std::string& ZRChildList::keyAt(std::size_t index) const {
    return items_.at(index)->creationDate();
}

ZRBicycleListPtr ZRChildList::find(std::string_view key) const {
    for (const auto& child : items_)
        if (child->creationDate() == key) return child;
    return nullptr;
}

std::optional<std::size_t> ZRChildList::indexOf(std::string_view key) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->creationDate() == key) return i;
    return std::nullopt;
}

std::vector<std::string> ZRChildList::keys() const {
    std::vector<std::string> result;
    result.reserve(items_.size());
    for (const auto& child : items_) result.push_back(child->creationDate());
    return result;
}

// ----------------------------------------------------- construction, identity

namespace {

// Releases the children of dying nodes from a queue instead of from the
// destructor itself, so that a chain of any length dies without deep recursion.
std::vector<ZRBicycleListPtr>* releaseQueue = nullptr;


} // namespace

ZRBicycleListPtr ZRBicycleList::create() { return std::make_shared<ZRBicycleList>(Passkey{}); }

ZRBicycleListPtr ZRBicycleList::createBlank() { return std::make_shared<ZRBicycleList>(Passkey{}, true); }

ZRBicycleList::ZRBicycleList(Passkey) {
    resetCreationDate();
    fields_.date = Date::now();
}

ZRBicycleList::ZRBicycleList(Passkey, bool blank) {
    if (!blank) {
        resetCreationDate();
        fields_.date = Date::now();
    }
}

ZRBicycleList::~ZRBicycleList() {
    NotificationCenter::defaultCenter().postNotificationName(kZRBicycleListDeallocatingNotification,
                                                             this);
    // A copy may share the container; only its last holder releases the children.
    if (!fields_.children || fields_.children.use_count() != 1) return;
    auto& items = fields_.children->items_;
    if (releaseQueue != nullptr) {
        for (auto& child : items) releaseQueue->push_back(std::move(child));
        items.clear();
        return;
    }
    std::vector<ZRBicycleListPtr> queue;
    releaseQueue = &queue;
    for (auto& child : items) queue.push_back(std::move(child));
    items.clear();
    while (!queue.empty()) {
        ZRBicycleListPtr next = std::move(queue.back());
        queue.pop_back();
        next.reset(); // may push its own children onto the queue
    }
    releaseQueue = nullptr;
}

ZRBicycleListPtr ZRBicycleList::copyWithZone() const {
    auto copy = create();
    copy->fields_ = fields_;
    copy->readings_ = readings_;
    return copy;
}

std::string ZRBicycleList::freshCreationDate() {
    // The clock alone may repeat (two nodes in one tick, or a clock set back),
    // so step past the last string handed out.
    static double last = 0.0;
    static std::string lastText;
    double seconds = Date::now().timeIntervalSinceReferenceDate();
    if (seconds <= last) seconds = last + 1e-7;
    std::string text = creationDateText(seconds);
    while (text == lastText) {
        seconds += std::max(1e-7, std::abs(seconds) * 1e-15);
        text = creationDateText(seconds);
    }
    last = seconds;
    lastText = text;
    return text;
}

std::string ZRBicycleList::creationDateText(double seconds) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.16g", seconds);
    return buffer;
}

void ZRBicycleList::setCreationDate(std::string creationDate) {
    fields_.creationDate = std::move(creationDate);
}

void ZRBicycleList::resetCreationDate() { fields_.creationDate = freshCreationDate(); }

void ZRBicycleList::setParent(const ZRBicycleListPtr& parent) {
    if (!parent) throw InvalidArgumentException("setParent: given no parent");
    fields_.parent = parent;
}

void ZRBicycleList::setChildren(std::shared_ptr<ZRChildList> children) {
    if (!children) throw InvalidArgumentException("setChildren: given no children");
    fields_.children = std::move(children);
}

std::optional<std::vector<std::string>> ZRBicycleList::childKeyArray() const {
    if (!fields_.children) return std::nullopt;
    return fields_.children->keys();
}

const ZRBicycleListPtr& ZRBicycleList::childAtIndex(std::size_t index) const {
    if (!fields_.children || index >= fields_.children->size())
        throw RangeException("childAtIndex: index " + std::to_string(index) + " beyond bounds");
    return fields_.children->items_[index];
}

PlistValue ZRBicycleList::valueForKey(std::string_view key) const {
    const auto& keys = ZRBicycleKeys();
    if (key == keys[kCreationDateKey]) return PlistValue(fields_.creationDate);
    if (key == keys[kPartNameKey]) return PlistValue(fields_.partName);
    if (key == keys[kDateKey]) return PlistValue(fields_.date);
    if (key == keys[kDescriptionKey]) return PlistValue(fields_.description);
    if (key == keys[kNotesKey]) return PlistValue(fields_.notes);
    if (key == keys[kExpandableKey]) return PlistValue(fields_.expandable);
    if (key == keys[kHasChildrenKey]) return PlistValue(fields_.hasChildren);
    if (key == keys[kChildKeyArrayKey]) {
        if (!fields_.children) return PlistValue();
        PlistArray array;
        for (const auto& child : *fields_.children) array.emplace_back(child->creationDate());
        return PlistValue(std::move(array));
    }
    if (key == keys[kParentKey] || key == keys[kChildrenKey]) return PlistValue();
    throw InvalidArgumentException("valueForKey: no field named \"" + std::string(key) + "\"");
}

std::int32_t ZRBicycleList::childIndex() const {
    auto parent = fields_.parent.lock();
    if (!parent) return 0;
    if (!parent->fields_.children) return kZRNotFound;
    auto index = parent->fields_.children->indexOf(fields_.creationDate);
    return index ? static_cast<std::int32_t>(*index) : kZRNotFound;
}

const std::string& ZRBicycleList::bikeTableItemDataType() const {
    return ZRBikeTableDataTypes()[fields_.expandable ? 0 : 1];
}

// ------------------------------------------------------ filing and removing

ZRChildList& ZRBicycleList::ownChildList() {
    if (!fields_.children)
        fields_.children = std::make_shared<ZRChildList>();
    else if (fields_.children.use_count() > 1)
        fields_.children = std::make_shared<ZRChildList>(*fields_.children);
    return *fields_.children;
}

std::size_t ZRBicycleList::fileChildrenAtIndex(std::span<const ZRBicycleListPtr> children, std::int64_t index,
                                               ZRParentDate parentDate, std::string_view caller) {
    const std::string method(caller);
    auto refuse = [&](std::string_view why) {
        AssertionHandler::currentHandler().handleFailureInMethod(method, this, method + " " + std::string(why));
    };
    for (const auto& child : children)
        if (!child) throw InvalidArgumentException(method + " given no child");
    if (!fields_.expandable) refuse("called on leaf item");

    // Apart from this node itself, only a node that has had children can be
    // one of its ancestors; new nodes, the usual case, skip the climb.
    const bool mayBeAncestor = std::any_of(children.begin(), children.end(), [this](const auto& child) {
        return child.get() == this || child->fields_.children != nullptr;
    });
    if (mayBeAncestor) {
        std::unordered_set<const ZRBicycleList*> ancestors;
        for (const ZRBicycleList* node = this; node;) {
            if (!ancestors.insert(node).second) break; // parent links set by hand may loop
            auto parent = node->fields_.parent.lock();
            node = parent.get(); // a link locks only while the node has other owners
        }
        for (const auto& child : children)
            if (ancestors.count(child.get())) refuse("would file an item inside itself");
    }

    const std::size_t count = numberOfChildren();
    // Many children at once: one map from key to child finds a child given
    // twice or filed here already (its own key leads to itself) and the keys
    // taken by another node, in one pass. Views into the creation dates of
    // filed children, which do not change below.
    std::unordered_map<std::string_view, const ZRBicycleList*> keys;
    std::unordered_set<const ZRBicycleList*> clashing; // whose key another node holds
    if (children.size() == 1) {
        if (fields_.children)
            for (const auto& sibling : *fields_.children)
                if (sibling == children.front()) refuse("item is already filed here");
    } else {
        keys.reserve(count + children.size());
        if (fields_.children)
            for (const auto& sibling : *fields_.children)
                if (!keys.emplace(sibling->creationDate(), sibling.get()).second) clashing.insert(sibling.get());
        for (const auto& child : children) {
            auto [it, added] = keys.emplace(child->creationDate(), child.get());
            if (!added && (it->second == child.get() || !clashing.insert(child.get()).second))
                refuse("item is already filed here");
        }
    }
    // Checked before anything changes, so that a refused filing leaves every
    // node as it was.
    if (index < 0 || static_cast<std::uint64_t>(index) > count)
        throw RangeException(method + " index " + std::to_string(index) + " beyond bounds [0, " +
                             std::to_string(count) + "]");

    auto& items = ownChildList().items_;
    std::size_t renamed = 0;
    if (children.size() == 1) {
        ZRBicycleList& child = *children.front();
        auto taken = [&] {
            return std::any_of(items.begin(), items.end(),
                               [&](const auto& sibling) { return sibling->creationDate() == child.creationDate(); });
        };
        for (; taken(); ++renamed) child.resetCreationDate();
    } else if (!clashing.empty()) {
        for (const auto& child : children) {
            if (!clashing.count(child.get())) continue;
            while (keys.count(child->creationDate())) child->resetCreationDate();
            keys.emplace(child->creationDate(), child.get());
            ++renamed;
        }
    }
    for (const auto& child : children) {
        if (parentDate == ZRParentDate::takeLater) fields_.date = fields_.date.laterDate(child->fields_.date);
        child->fields_.parent = weak_from_this();
    }
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), children.begin(), children.end());
    if (!items.empty()) fields_.hasChildren = true;
    return renamed;
}

void ZRBicycleList::insertChildPartOrEntryAtIndex(const ZRBicycleListPtr& child, std::int32_t index) {
    fileChildrenAtIndex(std::span(&child, 1), index, ZRParentDate::takeLater, "insertChildPartOrEntry:atIndex:");
}

void ZRBicycleList::addChildPartOrEntry(const ZRBicycleListPtr& child) {
    insertChildPartOrEntryAtIndex(child, static_cast<std::int32_t>(numberOfChildren()));
}

void ZRBicycleList::addChildrenPartsOrEntries(const std::vector<ZRBicycleListPtr>& children) {
    fileChildrenAtIndex(children, static_cast<std::int64_t>(numberOfChildren()), ZRParentDate::takeLater,
                        "addChildrenPartsOrEntries:");
}

void ZRBicycleList::removeChild(const ZRBicycleList& child) {
    const std::string key = child.fields_.creationDate; // the child may die below
    ZRBicycleListPtr removed;
    if (fields_.children) {
        const auto& current = fields_.children->items_;
        const auto found = std::find_if(current.begin(), current.end(),
                                        [&](const ZRBicycleListPtr& c) { return c->creationDate() == key; });
        if (found != current.end()) {
            const auto offset = found - current.begin();
            auto& items = ownChildList().items_;
            auto it = items.begin() + offset;
            removed = std::move(*it);
            items.erase(it);
        }
    }
    if (!fields_.children || fields_.children->empty()) fields_.hasChildren = false;
    // REMOVED is released here, after this node is consistent again.
}

void ZRBicycleList::discardEmptyChildren() {
    if (fields_.children && fields_.children->empty()) {
        fields_.children.reset();
        fields_.hasChildren = false;
    }
}

void ZRBicycleList::propagatePartName(std::string_view name) {
    if (!fields_.hasChildren || !fields_.children) return;
    for (const auto& child : *fields_.children)
        if (!child->expandable()) child->setPartName(name);
}

// ------------------------------------------------------------------- checks

std::optional<std::string> findInvariantViolation(const ZRBicycleList& root) {
    std::unordered_set<const ZRBicycleList*> seen;
    std::vector<const ZRBicycleList*> stack{&root};
    seen.insert(&root);
    while (!stack.empty()) {
        const ZRBicycleList* node = stack.back();
        stack.pop_back();
        const auto& children = node->children();
        const std::size_t count = children ? children->size() : 0;
        if (node->hasChildren() != (count > 0))
            return quotedForMessage(node->partName()) + " says hasChildren " +
                   (node->hasChildren() ? "YES" : "NO") + " but holds " + std::to_string(count) +
                   " children";
        if (count > 0 && !node->expandable())
            return "the service entry " + quotedForMessage(node->partName()) + " holds children";
        if (!children) continue;
        std::unordered_set<std::string_view> keys;
        for (const auto& child : *children) {
            if (!keys.insert(child->creationDate()).second)
                return "two children of " + quotedForMessage(node->partName()) + " share the key " +
                       quotedForMessage(child->creationDate());
            if (child->parent().get() != node)
                return quotedForMessage(child->partName()) + " is filed under " + quotedForMessage(node->partName()) +
                       " but names another parent";
            if (!seen.insert(child.get()).second)
                return quotedForMessage(child->partName()) + " is filed twice";
            stack.push_back(child.get());
        }
    }
    return std::nullopt;
}

} // namespace cogbook
