// The property-list forms of a record tree (templates and the full form) and
// the plain-text rendering. Trees may be deep, so every walk keeps its own stack.
#include <unordered_map>
#include <utility>
#include <vector>

#include "foundation/exceptions.h"
#include "model/ZRBicycleList.h"

namespace cogbook {
namespace {

const std::string& key(ZRBicycleKeyIndex index) { return ZRBicycleKeys()[index]; }

// The service fields a template carries: how a part is looked after, and the
// bike's units. Costs and readings belong to the work done on one bike, and
// never travel into another.
constexpr std::string_view kTemplateServiceKeys[] = {kServiceIntervalDaysKey, kServiceIntervalDistanceKey,
                                                     kDistanceUnitKey, kCurrencyKey};

void putOtherField(PlistDictionary& fields, std::string_view name, const PlistValue& value) {
    for (auto& [field, kept] : fields)
        if (field == name) {
            kept = value;
            return;
        }
    fields.emplace_back(std::string(name), value);
}

// Adds NODE's set and fit service fields among KEYS to OWN.
template <std::size_t N>
void addServiceFields(const ZRBicycleList& node, const std::string_view (&keys)[N], PlistDictionary& own) {
    if (node.otherFields().empty()) return;
    for (std::string_view name : keys)
        for (const auto& [field, value] : node.otherFields())
            if (field == name && !serviceFieldProblem(name, value)) own.emplace_back(field, value);
}

// Post-order construction of one dictionary per node. VISIT decides whether a
// node takes part (answers false to skip it and its subtree) and fills the
// node's own entries; FINISH adds the children's dictionaries to it.
template <typename Visit, typename Finish>
std::optional<PlistValue> buildDictionaries(const ZRBicycleList& top, Visit visit, Finish finish) {
    struct Frame {
        const ZRBicycleList* node;
        std::size_t next = 0;
        PlistDictionary own{};
        PlistDictionary children{};
        PlistArray keys{};
    };
    std::vector<Frame> stack;
    Frame first{&top};
    if (!visit(top, first.own)) return std::nullopt;
    stack.push_back(std::move(first));
    for (;;) {
        Frame& frame = stack.back();
        const std::size_t count = frame.node->numberOfChildren();
        if (frame.node->hasChildren() && frame.next < count) {
            const ZRBicycleList& child = *frame.node->childAtIndex(frame.next++);
            Frame childFrame{&child};
            if (visit(child, childFrame.own)) stack.push_back(std::move(childFrame));
            continue;
        }
        PlistValue done = finish(frame);
        const std::string& doneKey = frame.node->creationDate();
        if (stack.size() == 1) return done;
        Frame& parent = stack[stack.size() - 2];
        parent.keys.emplace_back(doneKey);
        parent.children.emplace_back(doneKey, std::move(done));
        stack.pop_back();
    }
}

} // namespace

std::optional<PlistValue> ZRBicycleList::templateDictionary() const {
    auto visit = [](const ZRBicycleList& node, PlistDictionary& own) {
        if (!node.expandable()) return false; // service entries are no part of a template
        own.emplace_back(key(kCreationDateKey), node.creationDate());
        own.emplace_back(key(kPartNameKey), node.partName());
        own.emplace_back(key(kExpandableKey), true);
        own.emplace_back(key(kHasChildrenKey), node.hasChildren());
        addServiceFields(node, kTemplateServiceKeys, own);
        return true;
    };
    auto finish = [](auto& frame) {
        PlistValue result(std::move(frame.own));
        if (frame.node->hasChildren()) {
            if (frame.children.empty()) {
                result.set(key(kHasChildrenKey), false); // only entries below: a leaf part
            } else {
                result.set(key(kChildKeyArrayKey), PlistValue(std::move(frame.keys)));
                result.set(key(kChildrenKey), PlistValue(std::move(frame.children)));
            }
        }
        return result;
    };
    return buildDictionaries(*this, visit, finish);
}

PlistValue ZRBicycleList::plistConversion() const {
    auto visit = [](const ZRBicycleList& node, PlistDictionary& own) {
        own.emplace_back(key(kCreationDateKey), node.creationDate());
        own.emplace_back(key(kPartNameKey), node.partName());
        own.emplace_back(key(kDateKey), node.date());
        own.emplace_back(key(kDescriptionKey), node.description());
        own.emplace_back(key(kNotesKey), node.notes());
        own.emplace_back(key(kExpandableKey), node.expandable());
        own.emplace_back(key(kHasChildrenKey), node.hasChildren());
        addServiceFields(node, kServiceFieldKeys, own);
        return true;
    };
    auto finish = [](auto& frame) {
        PlistValue result(std::move(frame.own));
        if (frame.node->hasChildren()) {
            result.set(key(kChildKeyArrayKey), PlistValue(std::move(frame.keys)));
            result.set(key(kChildrenKey), PlistValue(std::move(frame.children)));
        }
        return result;
    };
    return *buildDictionaries(*this, visit, finish);
}

namespace {

std::string creationDateFrom(const PlistValue* value) {
    if (value == nullptr || value->isNull())
        throw InvalidArgumentException("buildFromDictionary: an item has no creationDate");
    if (value->isString()) return value->string();
    if (value->isInteger()) return std::to_string(value->integer());
    if (value->isReal()) return ZRBicycleList::creationDateText(value->real());
    // Identity only: any other value stands for "some creation date".
    return ZRBicycleList::freshCreationDate();
}

std::string stringFrom(const PlistValue* value) {
    return value != nullptr && value->isString() ? value->string() : std::string();
}

bool booleanFrom(const PlistValue* value) {
    if (value == nullptr) return false;
    if (value->isBoolean()) return value->boolean();
    if (value->isInteger()) return value->integer() != 0;
    return false;
}

} // namespace

void ZRBicycleList::buildFromDictionary(const PlistValue& dictionary) {
    struct Frame {
        ZRBicycleList* node;
        const PlistValue* dictionary;
        const PlistArray* keys = nullptr;
        const PlistValue* children = nullptr;
        std::size_t next = 0;
        std::vector<ZRBicycleListPtr> built{}; // the children made so far, filed when all are made
        std::unordered_map<std::string_view, const PlistValue*> index{}; // "children" by key
    };
    auto fill = [](ZRBicycleList& node, const PlistValue& from) {
        if (!from.isDictionary())
            throw InvalidArgumentException("buildFromDictionary: an item is not a dictionary");
        node.setCreationDate(creationDateFrom(from.find(key(kCreationDateKey))));
        node.setPartName(stringFrom(from.find(key(kPartNameKey))));
        node.setDate(Date::now());
        node.setDescription(stringFrom(from.find(key(kDescriptionKey))));
        node.setNotes(stringFrom(from.find(key(kNotesKey))));
        node.setExpandable(booleanFrom(from.find(key(kExpandableKey))));
        node.setHasChildren(false); // set again when children are actually filed
        // A new bike starts with no costs or readings, whatever the dictionary
        // holds; unfit values are left out as other unfit fields are.
        PlistDictionary others = node.otherFields();
        for (std::string_view name : kTemplateServiceKeys)
            if (const PlistValue* value = from.find(name); value != nullptr && !serviceFieldProblem(name, *value))
                putOtherField(others, name, *value);
        node.setOtherFields(std::move(others));
        Frame frame{&node, &from};
        if (booleanFrom(from.find(key(kHasChildrenKey)))) {
            const PlistValue* keys = from.find(key(kChildKeyArrayKey));
            if (keys != nullptr && keys->isArray()) {
                frame.keys = &keys->array();
                frame.children = from.find(key(kChildrenKey));
            }
        }
        // Filing would refuse it later, after the whole subtree was made.
        if (frame.keys != nullptr && !frame.keys->empty() && !node.expandable())
            throw InvalidArgumentException("buildFromDictionary: the service entry \"" + node.partName() +
                                           "\" lists items under it");
        return frame;
    };

    std::vector<Frame> stack;
    stack.push_back(fill(*this, dictionary));
    std::vector<ZRBicycleListPtr> building; // the node of each frame but the first
    building.push_back(nullptr);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.keys != nullptr && frame.next < frame.keys->size()) {
            const PlistValue& childKey = (*frame.keys)[frame.next++];
            const PlistValue* childDictionary = nullptr;
            if (childKey.isString() && frame.children != nullptr && frame.children->isDictionary()) {
                if (frame.index.empty())
                    for (const auto& [k, v] : frame.children->dictionary()) frame.index.emplace(k, &v);
                auto found = frame.index.find(childKey.string());
                if (found != frame.index.end()) childDictionary = found->second;
            }
            if (childDictionary == nullptr)
                throw InvalidArgumentException("buildFromDictionary: \"" + frame.node->partName() +
                                               "\" lists a child it does not hold");
            auto child = create();
            Frame childFrame = fill(*child, *childDictionary);
            building.push_back(std::move(child));
            stack.push_back(std::move(childFrame));
            continue;
        }
        // Every child of this node is made: file them at once, each unique
        // among its siblings, and this node under its own parent in turn.
        if (!frame.built.empty())
            frame.node->fileChildrenAtIndex(frame.built, 0, ZRParentDate::takeLater, "buildFromDictionary:");
        ZRBicycleListPtr done = std::move(building.back());
        building.pop_back();
        stack.pop_back();
        if (stack.empty()) break;
        stack.back().built.push_back(std::move(done));
    }
}

void ZRBicycleList::convertBicycleList() {
    // Fresh creation dates are never handed out twice, so siblings stay distinct
    // and every child stays in its place.
    std::vector<ZRBicycleList*> stack{this};
    while (!stack.empty()) {
        ZRBicycleList* node = stack.back();
        stack.pop_back();
        node->resetCreationDate();
        if (!node->fields_.children) continue;
        for (const auto& child : *node->fields_.children) stack.push_back(child.get());
    }
}

std::optional<std::string> ZRBicycleList::stringFromBicycleList() const {
    if (!fields_.hasChildren) return std::nullopt;
    std::string text;
    struct Frame {
        const ZRBicycleList* node;
        std::size_t next;
    };
    std::vector<Frame> stack{{this, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next >= frame.node->numberOfChildren()) {
            stack.pop_back();
            continue;
        }
        const ZRBicycleList& child = *frame.node->childAtIndex(frame.next++);
        // The calendar date, year first, from the local-time text form.
        text += child.date().description().substr(0, 10);
        text += '\t';
        text += child.partName();
        if (!child.description().empty()) {
            text += '\t';
            text += child.description();
        }
        text += '\n';
        if (!child.notes().empty()) {
            text += child.notes();
            text += "\n\n";
        }
        if (child.hasChildren()) stack.push_back({&child, 0});
    }
    return text;
}

} // namespace cogbook
