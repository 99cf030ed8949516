#include "model/record_file.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "foundation/keyed_archive.h"
#include "foundation/keyed_archive_values.h"
#include "foundation/message_text.h"

namespace cogbook {
namespace {

const std::vector<std::string> kNodeClasses = {"ZRBicycleList", "NSObject"};
constexpr std::string_view kFieldsKey = "bicycleList1";
constexpr std::string_view kLegacyFieldsKey = "bicycleList0";

// ------------------------------------------------------------------ writing

class Encoder {
public:
    using Ref = KeyedArchiver::Ref;

    // KEY, when the caller has stored the node's creation date already (as the
    // key its parent files it under), saves storing it again.
    Ref nodeRef(const ZRBicycleList& node, Ref key = KeyedArchiver::kNullRef) {
        auto [it, added] = refs_.try_emplace(&node, 0);
        if (added) {
            it->second = archiver_.reserve();
            queue_.push_back({&node, it->second, key});
        }
        return it->second;
    }

    // Stores every node reachable from the ones asked for so far: parents and
    // children alike, each once.
    void encodeQueued() {
        const auto& keys = ZRBicycleKeys();
        std::vector<Ref> keyRefs;
        for (const auto& key : keys) keyRefs.push_back(archiver_.string(key));
        std::vector<Ref> fieldKeys, fieldValues, childKeys, childRefs;
        while (!queue_.empty()) {
            const auto [pending, self, key] = queue_.front();
            queue_.pop_front();
            const ZRBicycleList& node = *pending;
            const Ref fields = archiver_.reserve();
            archiver_.setObject(self, "ZRBicycleList", kNodeClasses, {{std::string(kFieldsKey), fields}});

            fieldKeys.clear();
            fieldValues.clear();
            auto put = [&](ZRBicycleKeyIndex index, Ref value) {
                fieldKeys.push_back(keyRefs[index]);
                fieldValues.push_back(value);
            };
            put(kCreationDateKey, key != KeyedArchiver::kNullRef ? key : archiver_.string(node.creationDate()));
            put(kPartNameKey, archiver_.string(node.partName()));
            put(kDateKey, archiver_.date(node.date()));
            put(kDescriptionKey, archiver_.string(node.description()));
            put(kNotesKey, archiver_.string(node.notes()));
            if (auto parent = node.parent(); parent && !detached_.contains(&node)) put(kParentKey, nodeRef(*parent));
            put(kExpandableKey, archiver_.boolean(node.expandable()));
            put(kHasChildrenKey, archiver_.boolean(node.hasChildren()));
            if (const auto& children = node.children()) {
                childKeys.clear();
                childRefs.clear();
                for (const auto& child : *children) {
                    childKeys.push_back(archiver_.string(child->creationDate()));
                    childRefs.push_back(nodeRef(*child, childKeys.back()));
                }
                put(kChildKeyArrayKey, archiver_.array(childKeys));
                put(kChildrenKey, archiver_.dictionary(childKeys, childRefs));
            }
            for (const auto& [name, value] : node.otherFields()) {
                fieldKeys.push_back(archiver_.string(name));
                fieldValues.push_back(archivePlistValue(archiver_, value));
            }
            archiver_.setDictionary(fields, fieldKeys, fieldValues);
        }
    }

    KeyedArchiver& archiver() { return archiver_; }
    // NODE is stored without its parent link, and so without the tree above it.
    void detach(const ZRBicycleList& node) { detached_.insert(&node); }

private:
    KeyedArchiver archiver_;
    std::unordered_set<const ZRBicycleList*> detached_;
    std::unordered_map<const ZRBicycleList*, Ref> refs_;
    struct Pending {
        const ZRBicycleList* node;
        Ref ref;
        Ref key; // its creation date, when already stored
    };
    std::deque<Pending> queue_;
};

} // namespace

std::vector<std::uint8_t> writeRecordFile(const ZRBicycleList& root) {
    Encoder encoder;
    const auto rootRef = encoder.nodeRef(root);
    encoder.encodeQueued();
    return encoder.archiver().finish(rootRef);
}

std::vector<std::uint8_t> archiveNodes(const std::vector<ZRBicycleListPtr>& roots) {
    Encoder encoder;
    std::vector<KeyedArchiver::Ref> refs;
    for (const auto& node : roots) refs.push_back(encoder.nodeRef(*node));
    encoder.encodeQueued();
    const auto array = encoder.archiver().array(refs);
    return encoder.archiver().finish(array);
}

std::vector<std::uint8_t> archiveSubtrees(const std::vector<ZRBicycleListPtr>& roots) {
    Encoder encoder;
    std::vector<KeyedArchiver::Ref> refs;
    for (const auto& node : roots) {
        encoder.detach(*node);
        refs.push_back(encoder.nodeRef(*node));
    }
    encoder.encodeQueued();
    const auto array = encoder.archiver().array(refs);
    return encoder.archiver().finish(array);
}

// ------------------------------------------------------------------ reading

class ZRRecordDecoder {
public:
    using Ref = KeyedUnarchiver::Ref;

    explicit ZRRecordDecoder(const KeyedUnarchiver& archive)
        : archive_(archive), itemOfRef_(archive.objectCount(), -1) {}

    // The item made for the node object at REF, made on first use.
    int item(Ref ref, const char* role) {
        if (ref >= itemOfRef_.size()) fail("object " + std::to_string(ref) + " does not exist");
        if (itemOfRef_[ref] >= 0) return itemOfRef_[ref];
        const auto kind = archive_.kind(ref);
        if (kind != KeyedUnarchiver::Kind::Object || archive_.className(ref) != "ZRBicycleList")
            fail(std::string(role) + " is " + describeKind(ref) + ", not a record item");
        const int index = static_cast<int>(items_.size());
        itemOfRef_[ref] = index;
        items_.push_back(Item{ref, ZRBicycleList::createBlank()});
        return index;
    }

    // Reads the fields of every item reachable from those made so far.
    void decodeAll() {
        for (std::size_t i = 0; i < items_.size(); ++i) decodeFields(static_cast<int>(i));
    }

    // Checks the shape of the decoded graph, converts old-form items, and
    // files every item under its parent. Answers the tops: the items no other
    // item files as a child.
    std::vector<int> assemble() {
        std::vector<int> listedBy(items_.size(), -1);
        for (std::size_t p = 0; p < items_.size(); ++p) {
            Item& parent = items_[p];
            const bool holds = !parent.children.empty();
            if (holds && !parent.node->expandable())
                fail(name(static_cast<int>(p)) + " is a service entry but holds items");
            if (parent.node->hasChildren() != holds)
                fail(name(static_cast<int>(p)) + " says it " + (holds ? "has no" : "has") +
                     " items under it, but " + (holds ? "holds some" : "holds none"));
            for (const auto& [childIndex, keyRef] : parent.children) {
                Item& child = items_[static_cast<std::size_t>(childIndex)];
                if (listedBy[static_cast<std::size_t>(childIndex)] >= 0)
                    fail(name(childIndex) + " is filed in two places");
                listedBy[static_cast<std::size_t>(childIndex)] = static_cast<int>(p);
                if (child.parent != static_cast<int>(p))
                    fail(name(childIndex) + " is filed under " + name(static_cast<int>(p)) +
                         " but names another parent");
                if (!parent.legacy && !child.legacy && child.creationDateRef != keyRef &&
                    archive_.string(keyRef) != child.node->creationDate())
                    fail(name(childIndex) + " is filed under a key that is not its creation date");
            }
        }
        std::vector<int> tops;
        for (std::size_t i = 0; i < items_.size(); ++i)
            if (listedBy[i] < 0) tops.push_back(static_cast<int>(i));

        // Walk down from the tops: every item must be reached, once, within the
        // depth limit. The walk meets every item before the items below it.
        std::vector<int> walk;
        walk.reserve(items_.size());
        for (int top : tops) {
            std::vector<std::pair<int, std::size_t>> stack{{top, 1}};
            while (!stack.empty()) {
                auto [index, depth] = stack.back();
                stack.pop_back();
                if (depth > kMaxRecordDepth)
                    fail("the record is nested deeper than " + std::to_string(kMaxRecordDepth) +
                         " levels");
                walk.push_back(index);
                for (const auto& entry : items_[static_cast<std::size_t>(index)].children)
                    stack.emplace_back(entry.first, depth + 1);
            }
        }
        if (walk.size() != items_.size()) fail("the record's items are filed in a loop");
        // A top may still name a parent (an item taken out of its tree); those
        // links must lead up to a top without one.
        for (int top : tops) {
            std::size_t steps = 0;
            for (int up = items_[static_cast<std::size_t>(top)].parent; up >= 0;
                 up = items_[static_cast<std::size_t>(up)].parent) {
                if (++steps > items_.size()) fail("the record's parent links form a loop");
            }
        }

        convertLegacy(tops);
        // Children before their parents: a parent is filed only once its own
        // subtree is complete, so no filing climbs further than one level.
        for (auto it = walk.rbegin(); it != walk.rend(); ++it) fileChildren(*it);
        for (int top : tops) {
            const Item& item = items_[static_cast<std::size_t>(top)];
            if (item.parent >= 0) item.node->setParent(items_[static_cast<std::size_t>(item.parent)].node);
        }
        return tops;
    }

    ZRBicycleListPtr node(int index) const { return items_[static_cast<std::size_t>(index)].node; }
    int parentOf(int index) const { return items_[static_cast<std::size_t>(index)].parent; }
    std::string name(int index) const {
        const auto& node = *items_[static_cast<std::size_t>(index)].node;
        std::string text = "item " + std::to_string(items_[static_cast<std::size_t>(index)].ref);
        if (!node.partName().empty()) text += " (" + quotedForMessage(node.partName()) + ")";
        return text;
    }
    [[noreturn]] static void fail(const std::string& message) { throw RecordFileError(message); }

private:
    struct Item {
        Ref ref;
        ZRBicycleListPtr node;
        bool legacy = false;
        bool hasContainers = false; // the item has had children at some time
        Ref creationDateRef = 0;
        int parent = -1;
        std::vector<std::pair<int, Ref>> children{}; // (item, key) in display order
    };

    std::string describeKind(Ref ref) const {
        switch (archive_.kind(ref)) {
        case KeyedUnarchiver::Kind::Null: return "empty";
        case KeyedUnarchiver::Kind::String: return "a string";
        case KeyedUnarchiver::Kind::Integer: return "an integer";
        case KeyedUnarchiver::Kind::Real: return "a number";
        case KeyedUnarchiver::Kind::Boolean: return "a boolean";
        case KeyedUnarchiver::Kind::Date: return "a date";
        case KeyedUnarchiver::Kind::Data: return "binary data";
        case KeyedUnarchiver::Kind::Array: return "an array";
        case KeyedUnarchiver::Kind::Dictionary: return "a dictionary";
        case KeyedUnarchiver::Kind::Object: return "an object of class " + quotedForMessage(archive_.className(ref));
        }
        return "an unknown object";
    }

    int keyIndex(Ref keyRef) {
        auto it = keyIndexOfRef_.find(keyRef);
        if (it != keyIndexOfRef_.end()) return it->second;
        if (archive_.kind(keyRef) != KeyedUnarchiver::Kind::String)
            fail("object " + std::to_string(keyRef) + ": a field name is not a string");
        const std::string key = archive_.string(keyRef);
        int index = -1;
        const auto& keys = ZRBicycleKeys();
        for (std::size_t k = 0; k < keys.size(); ++k)
            if (keys[k] == key) index = static_cast<int>(k);
        keyIndexOfRef_.emplace(keyRef, index);
        return index;
    }

    std::string text(int item, Ref ref, const char* field) const {
        const auto kind = archive_.kind(ref);
        if (kind == KeyedUnarchiver::Kind::Null) return {};
        if (kind != KeyedUnarchiver::Kind::String)
            fail(name(item) + ": its " + field + " is " + describeKind(ref) + ", not text");
        return archive_.string(ref);
    }

    bool flag(int item, Ref ref, const char* field) const {
        const auto kind = archive_.kind(ref);
        if (kind == KeyedUnarchiver::Kind::Boolean) return archive_.boolean(ref);
        if (kind == KeyedUnarchiver::Kind::Integer) return archive_.integer(ref) != 0;
        fail(name(item) + ": its " + field + " flag is " + describeKind(ref));
    }

    // A text form of a scalar that tells kinds apart, for matching old-form keys.
    std::string scalarKey(Ref ref) const {
        const PlistValue value = archive_.scalar(ref);
        char buffer[48];
        switch (value.type()) {
        case PlistValue::Type::String: return "s" + value.string();
        case PlistValue::Type::Integer: return "i" + std::to_string(value.integer());
        case PlistValue::Type::Real:
            std::snprintf(buffer, sizeof buffer, "r%.17g", value.real());
            return buffer;
        case PlistValue::Type::Date:
            std::snprintf(buffer, sizeof buffer, "d%.17g", value.date().timeIntervalSinceReferenceDate());
            return buffer;
        case PlistValue::Type::Boolean: return value.boolean() ? "bY" : "bN";
        default: return "o" + std::to_string(ref);
        }
    }

    void decodeFields(int index) {
        // Items may be added below (parents, children): hold no reference into items_.
        const Ref self = items_[static_cast<std::size_t>(index)].ref;
        bool legacy = false;
        std::optional<Ref> fieldsRef = archive_.field(self, kFieldsKey);
        if (!fieldsRef) {
            fieldsRef = archive_.field(self, kLegacyFieldsKey);
            if (!fieldsRef) fail(name(index) + " has no fields");
            legacy = true;
            items_[static_cast<std::size_t>(index)].legacy = true;
        }
        if (archive_.kind(*fieldsRef) != KeyedUnarchiver::Kind::Dictionary)
            fail(name(index) + ": its fields are " + describeKind(*fieldsRef) + ", not a dictionary");
        const auto entries = archive_.dictionary(*fieldsRef);

        unsigned seen = 0;
        std::optional<Ref> keyArrayRef, childrenRef;
        ZRBicycleList& node = *items_[static_cast<std::size_t>(index)].node;
        for (const auto& [keyRef, value] : entries) {
            const int key = keyIndex(keyRef);
            if (key < 0) {
                // A field this version does not know: not ours to judge, but
                // kept to be written back.
                keepOtherField(index, keyRef, value);
                continue;
            }
            if (seen & (1u << key)) fail(name(index) + " names a field twice");
            seen |= 1u << key;
            switch (static_cast<ZRBicycleKeyIndex>(key)) {
            case kCreationDateKey:
                if (!legacy) {
                    if (archive_.kind(value) != KeyedUnarchiver::Kind::String)
                        fail(name(index) + ": its creation date is " + describeKind(value) +
                             ", not text");
                    node.setCreationDate(archive_.string(value));
                    items_[static_cast<std::size_t>(index)].creationDateRef = value;
                }
                break;
            case kPartNameKey: node.setPartName(text(index, value, "part name")); break;
            case kDescriptionKey: node.setDescription(text(index, value, "description")); break;
            case kNotesKey: node.setNotes(text(index, value, "notes")); break;
            case kDateKey: {
                if (archive_.kind(value) != KeyedUnarchiver::Kind::Date)
                    fail(name(index) + ": its date is " + describeKind(value) + ", not a date");
                const Date date = archive_.date(value);
                if (!date.isRepresentable()) fail(name(index) + ": its date is out of range");
                node.setDate(date);
                break;
            }
            case kParentKey: {
                const int parent = parentItem(value, index); // may add to items_
                items_[static_cast<std::size_t>(index)].parent = parent;
                break;
            }
            case kExpandableKey: node.setExpandable(flag(index, value, "expandable")); break;
            case kHasChildrenKey: node.setHasChildren(flag(index, value, "has-children")); break;
            case kChildKeyArrayKey: keyArrayRef = value; break;
            case kChildrenKey: childrenRef = value; break;
            }
        }
        if (!legacy && !(seen & (1u << kCreationDateKey)))
            fail(name(index) + " has no creation date");
        if (!(seen & (1u << kDateKey))) fail(name(index) + " has no date");
        if (keyArrayRef.has_value() != childrenRef.has_value())
            fail(name(index) + " lists its items' keys without the items, or the other way round");
        if (keyArrayRef) {
            items_[static_cast<std::size_t>(index)].hasContainers = true;
            decodeChildren(index, *keyArrayRef, *childrenRef);
        }
    }

    void keepOtherField(int index, Ref keyRef, Ref value) {
        ZRBicycleList& node = *items_[static_cast<std::size_t>(index)].node;
        std::string name = archive_.string(keyRef);
        for (const auto& entry : node.otherFields())
            if (entry.first == name) return;
        // One field may not spend what the others need.
        constexpr std::size_t kMaxValuesPerField = 100000;
        std::size_t budget = std::min(otherValueBudget_, kMaxValuesPerField);
        const std::size_t available = budget;
        auto kept = archivedPlistValue(archive_, value, budget);
        otherValueBudget_ -= available - budget;
        // The service fields are ours to judge, as the fixed ones are.
        if (auto problem = serviceFieldProblem(name, kept ? *kept : PlistValue())) {
            fail(this->name(index) + ": its " + quotedForMessage(name) + " is " +
                 (kept ? problem->found : describeKind(value)) + ", not " + problem->wanted);
        }
        if (kept) node.addOtherField(std::move(name), std::move(*kept));
    }

    int parentItem(Ref ref, int owner) {
        const std::string role = "the parent of " + name(owner);
        return item(ref, role.c_str());
    }

    void decodeChildren(int index, Ref keyArrayRef, Ref childrenRef) {
        if (archive_.kind(keyArrayRef) != KeyedUnarchiver::Kind::Array)
            fail(name(index) + ": its key list is " + describeKind(keyArrayRef) + ", not an array");
        if (archive_.kind(childrenRef) != KeyedUnarchiver::Kind::Dictionary)
            fail(name(index) + ": its items are " + describeKind(childrenRef) + ", not a dictionary");
        const bool legacy = items_[static_cast<std::size_t>(index)].legacy;
        const auto keys = archive_.array(keyArrayRef);
        const auto children = archive_.dictionary(childrenRef);
        if (keys.size() != children.size())
            fail(name(index) + " lists " + std::to_string(keys.size()) + " keys for " +
                 std::to_string(children.size()) + " items");

        std::unordered_map<Ref, Ref> childOfKeyRef;
        for (const auto& [key, child] : children)
            if (!childOfKeyRef.emplace(key, child).second) fail(name(index) + " files two items under one key");
        std::map<std::string, Ref> childOfKeyText; // made only when the keys are not shared objects
        std::vector<std::pair<Ref, Ref>> ordered;  // (child, key)
        ordered.reserve(keys.size());
        for (Ref key : keys) {
            auto it = childOfKeyRef.find(key);
            if (it != childOfKeyRef.end()) {
                ordered.emplace_back(it->second, key);
                continue;
            }
            if (childOfKeyText.empty()) {
                for (const auto& [k, child] : children) {
                    if (!legacy && archive_.kind(k) != KeyedUnarchiver::Kind::String)
                        fail(name(index) + " files an item under a key that is not text");
                    if (!childOfKeyText.emplace(legacy ? scalarKey(k) : archive_.string(k), child).second)
                        fail(name(index) + " files two items under one key");
                }
            }
            if (!legacy && archive_.kind(key) != KeyedUnarchiver::Kind::String)
                fail(name(index) + " lists a key that is not text");
            auto found = childOfKeyText.find(legacy ? scalarKey(key) : archive_.string(key));
            if (found == childOfKeyText.end())
                fail(name(index) + " lists a key under which it files no item");
            ordered.emplace_back(found->second, key);
        }
        items_[static_cast<std::size_t>(index)].children.reserve(ordered.size());
        for (const auto& [childRef, key] : ordered) {
            const std::string role = "an item under " + name(index);
            const int child = item(childRef, role.c_str());
            items_[static_cast<std::size_t>(index)].children.emplace_back(child, key);
        }
    }

    // Files the children of the item at INDEX, as read: the file's dates and
    // creation dates stay as they are.
    void fileChildren(int index) {
        const Item& item = items_[static_cast<std::size_t>(index)];
        if (!item.hasContainers) return;
        if (item.children.empty()) {
            item.node->setChildren(std::make_shared<ZRChildList>()); // had children once
            return;
        }
        std::vector<ZRBicycleListPtr> children;
        children.reserve(item.children.size());
        for (const auto& entry : item.children) children.push_back(items_[static_cast<std::size_t>(entry.first)].node);
        // Filing gives a second child under one key a fresh creation date; a
        // record holding two is damaged and refused instead.
        if (item.node->fileChildrenAtIndex(children, 0, ZRParentDate::keep, "reading a record") > 0) {
            for (const auto& entry : item.children) {
                const Item& child = items_[static_cast<std::size_t>(entry.first)];
                if (!child.legacy && child.node->creationDate() != archive_.string(child.creationDateRef))
                    fail("two children of \"" + item.node->partName() + "\" share the key " +
                         archive_.string(child.creationDateRef));
            }
            fail("two children of \"" + item.node->partName() + "\" share a key");
        }
    }

    // Old-form items get fresh creation dates, with everything below them,
    // before anything is filed.
    void convertLegacy(const std::vector<int>& tops) {
        std::vector<int> stack(tops.rbegin(), tops.rend());
        while (!stack.empty()) {
            const int index = stack.back();
            stack.pop_back();
            const Item& item = items_[static_cast<std::size_t>(index)];
            if (!item.legacy) {
                for (auto it = item.children.rbegin(); it != item.children.rend(); ++it)
                    stack.push_back(it->first);
                continue;
            }
            std::vector<int> subtree{index};
            while (!subtree.empty()) {
                const Item& below = items_[static_cast<std::size_t>(subtree.back())];
                subtree.pop_back();
                below.node->resetCreationDate();
                for (const auto& entry : below.children) subtree.push_back(entry.first);
            }
            // Fresh dates never repeat, but a sibling read from the file may
            // already carry one from the future.
            if (item.parent < 0) continue;
            const auto& siblings = items_[static_cast<std::size_t>(item.parent)].children;
            for (bool clash = true; clash;) {
                clash = false;
                for (const auto& sibling : siblings)
                    if (sibling.first != index &&
                        items_[static_cast<std::size_t>(sibling.first)].node->creationDate() ==
                            item.node->creationDate())
                        clash = true;
                if (clash) item.node->resetCreationDate();
            }
        }
    }

    const KeyedUnarchiver& archive_;
    std::vector<int> itemOfRef_;
    std::vector<Item> items_;
    std::unordered_map<Ref, int> keyIndexOfRef_;
    // How many values the unknown fields of all items may unfold to: shared
    // objects unfold once per use, and a crafted file could otherwise make
    // a few thousand objects into billions of values.
    std::size_t otherValueBudget_ = 4 * archive_.objectCount() + 1000000;
};

namespace {

template <typename Body>
auto decoding(Body body) {
    try {
        return body();
    } catch (const RecordFileError&) {
        throw;
    } catch (const ArchiveError& error) {
        throw RecordFileError(error.what());
    } catch (const PlistError& error) {
        throw RecordFileError(std::string("not a keyed archive: ") + error.what());
    }
}

} // namespace

ZRBicycleListPtr readRecordFile(std::span<const std::uint8_t> bytes) {
    return decoding([&] {
        KeyedUnarchiver archive(bytes);
        ZRRecordDecoder decoder(archive);
        const int root = decoder.item(archive.root(), "the archive's root object");
        decoder.decodeAll();
        if (decoder.parentOf(root) >= 0)
            ZRRecordDecoder::fail("the archive's root item is filed under another item, not a bike");
        const auto tops = decoder.assemble();
        if (tops.size() != 1) ZRRecordDecoder::fail("the record holds items outside its tree");
        ZRBicycleListPtr bike = decoder.node(root);
        if (auto violation = findInvariantViolation(*bike)) ZRRecordDecoder::fail(*violation);
        return bike;
    });
}

ZRDecodedNodes unarchiveNodes(std::span<const std::uint8_t> bytes) {
    return decoding([&] {
        KeyedUnarchiver archive(bytes);
        ZRRecordDecoder decoder(archive);
        std::vector<int> roots;
        const auto rootRef = archive.root();
        if (archive.kind(rootRef) == KeyedUnarchiver::Kind::Array) {
            for (auto ref : archive.array(rootRef)) roots.push_back(decoder.item(ref, "an archived item"));
        } else {
            roots.push_back(decoder.item(rootRef, "the archive's root object"));
        }
        decoder.decodeAll();
        const auto tops = decoder.assemble();
        ZRDecodedNodes result;
        for (int root : roots) result.roots.push_back(decoder.node(root));
        for (int top : tops) {
            result.owners.push_back(decoder.node(top));
            if (auto violation = findInvariantViolation(*decoder.node(top))) ZRRecordDecoder::fail(*violation);
        }
        return result;
    });
}

} // namespace cogbook
