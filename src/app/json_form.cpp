#include "app/json_form.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "foundation/message_text.h"
#include "foundation/plist.h"
#include "model/record_file.h"

namespace cogbook {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kCreationDate = "creationDate";
constexpr std::string_view kPartName = "partName";
constexpr std::string_view kDate = "date";
constexpr std::string_view kDescription = "description";
constexpr std::string_view kNotes = "notes";
constexpr std::string_view kExpandable = "expandable";
constexpr std::string_view kHasChildren = "hasChildren";
constexpr std::string_view kChildren = "children";

// ------------------------------------------------------------------ writing

// JSON string syntax for TEXT. Bytes that are not UTF-8 become U+FFFD: JSON
// text must be Unicode, and a reader that rejected the whole export over one
// stray byte would serve the user worse.
void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto byte = static_cast<unsigned char>(text[pos]);
        if (byte >= 0x80) {
            appendUtf8(out, nextCodePoint(text, pos));
            continue;
        }
        ++pos;
        switch (byte) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            } else {
                out += static_cast<char>(byte);
            }
        }
    }
    out += '"';
}

// Indentation stops growing at this level. Only a pathological record nests
// that deep, and without the cap its JSON would grow with the square of the
// depth: a 10,000-level record would export to gigabytes that no reader,
// ours included, would take back.
constexpr std::size_t kMaxIndentLevel = 100;

void indent(std::string& out, std::size_t level) {
    out.append(std::min(level, kMaxIndentLevel) * 2, ' ');
}

void appendMember(std::string& out, std::size_t level, std::string_view key) {
    indent(out, level);
    appendJsonString(out, key);
    out += ": ";
}

// The service fields NODE has set, each as a member; integers stay integers
// and reals take the shortest form that reads back the same.
void appendServiceFields(std::string& out, const ZRBicycleList& node, std::size_t level) {
    if (node.otherFields().empty()) return;
    for (std::string_view key : kServiceFieldKeys) {
        const PlistValue* value = nullptr;
        for (const auto& [name, field] : node.otherFields())
            if (name == key && !serviceFieldProblem(key, field)) value = &field;
        if (value == nullptr) continue;
        appendMember(out, level, key);
        if (value->isString()) {
            appendJsonString(out, value->string());
        } else if (value->isInteger()) {
            out += std::to_string(value->integer());
        } else {
            char buffer[64];
            out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value->real()).ptr);
        }
        out += ",\n";
    }
}

// Writes NODE's object from its opening brace. Answers true when the object
// was left open inside its "children" array, false when it is complete.
bool openObject(std::string& out, const ZRBicycleList& node, std::size_t level) {
    out += "{\n";
    const std::size_t inner = level + 1;
    const std::pair<std::string_view, const std::string*> texts[] = {
        {kCreationDate, &node.creationDate()}, {kPartName, &node.partName()}};
    for (const auto& [key, value] : texts) {
        appendMember(out, inner, key);
        appendJsonString(out, *value);
        out += ",\n";
    }
    appendMember(out, inner, kDate);
    appendJsonString(out, node.date().iso8601());
    out += ",\n";
    appendMember(out, inner, kDescription);
    appendJsonString(out, node.description());
    out += ",\n";
    appendMember(out, inner, kNotes);
    appendJsonString(out, node.notes());
    out += ",\n";
    appendMember(out, inner, kExpandable);
    out += node.expandable() ? "true,\n" : "false,\n";
    appendMember(out, inner, kHasChildren);
    out += node.hasChildren() ? "true,\n" : "false,\n";
    appendServiceFields(out, node, inner);
    appendMember(out, inner, kChildren);
    if (node.numberOfChildren() == 0) {
        out += "[]\n";
        indent(out, level);
        out += '}';
        return false;
    }
    out += "[\n";
    return true;
}

} // namespace

std::string exportJson(const ZRBicycleList& root) {
    // Records may nest thousands of levels deep: the walk keeps its own stack.
    struct Frame {
        const ZRBicycleList* node;
        std::size_t level;
        std::size_t next = 0;
    };
    std::string out;
    std::vector<Frame> stack;
    if (openObject(out, root, 0)) stack.push_back({&root, 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.node->numberOfChildren()) {
            const ZRBicycleList& child = *frame.node->childAtIndex(frame.next);
            if (frame.next++ > 0) out += ",\n";
            const std::size_t childLevel = frame.level + 2;
            indent(out, childLevel);
            if (openObject(out, child, childLevel)) stack.push_back({&child, childLevel});
            continue;
        }
        out += '\n';
        indent(out, frame.level + 1);
        out += "]\n";
        indent(out, frame.level);
        out += '}';
        stack.pop_back();
    }
    out += '\n';
    return out;
}

namespace {

// ------------------------------------------------------------------ parsing

// Each item takes two levels of JSON nesting (its object and its children
// array), so this admits exactly the deepest tree a record may hold.
constexpr std::size_t kMaxJsonDepth = 2 * kMaxRecordDepth;

std::string depthMessage() {
    return "$: nested too deeply (a record holds at most " + std::to_string(kMaxRecordDepth) +
           " levels of items)";
}

// A path segment for an object key: ".name" when it reads as a name,
// otherwise ["..."] with the key in JSON string syntax.
void appendKeySegment(std::string& path, std::string_view key) {
    // A key of any length may come from the file; the message shows its start.
    if (key.size() > kQuotedTextLimit) {
        path += '[' + quotedForMessage(key) + ']';
        return;
    }
    bool plain = !key.empty();
    for (std::size_t i = 0; i < key.size() && plain; ++i) {
        const char c = key[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        plain = letter || (i > 0 && c >= '0' && c <= '9');
    }
    if (plain) {
        path += '.';
        path += key;
        return;
    }
    path += '[';
    appendJsonString(path, key);
    path += ']';
}

// Builds the document with nlohmann's iterative parser, adding what its own
// DOM builder lacks: a depth limit checked before anything nests, and the
// refusal of duplicate keys, which the library would silently collapse into
// the last one.
class DomBuilder : public nlohmann::json_sax<Json> {
public:
    Json& result() { return root_; }
    const std::string& error() const { return error_; }

    bool null() override { return add(Json(nullptr)); }
    bool boolean(bool value) override { return add(Json(value)); }
    bool number_integer(number_integer_t value) override { return add(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return add(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override { return add(Json(value)); }
    bool string(string_t& value) override { return add(Json(std::move(value))); }
    bool binary(binary_t& value) override { return add(Json::binary(std::move(value))); }

    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    bool key(string_t& name) override {
        Level& level = levels_.back();
        if (level.container->contains(name)) {
            error_ = pathHere();
            appendKeySegment(error_, name);
            // Nesting as deep as the file likes makes a path as long.
            error_ = shortenedForMessage(error_);
            error_ += ": duplicate key";
            return false;
        }
        level.key = std::move(name);
        return true;
    }

    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& problem) override {
        // The library's message starts with its own error code in brackets;
        // the byte position says more to someone fixing the file.
        std::string_view text = problem.what();
        if (const auto end = text.find("] "); !text.empty() && text[0] == '[' && end != text.npos)
            text.remove_prefix(end + 2);
        error_ = "invalid JSON at byte " + std::to_string(position) + ": " + shortenedForMessage(text);
        return false;
    }

private:
    struct Level {
        Json* container;
        std::string key; // the member being read, in an object
    };

    // Puts VALUE where the document is being filled; always succeeds.
    bool add(Json value) {
        if (levels_.empty()) {
            root_ = std::move(value);
            return true;
        }
        Level& level = levels_.back();
        if (level.container->is_array()) {
            level.container->push_back(std::move(value));
        } else {
            (*level.container)[level.key] = std::move(value);
        }
        return true;
    }

    // The container just added, which the values that follow go into.
    Json* lastAdded() {
        if (levels_.empty()) return &root_;
        Level& level = levels_.back();
        return level.container->is_array() ? &level.container->back() : &(*level.container)[level.key];
    }

    bool open(Json container) {
        if (levels_.size() >= kMaxJsonDepth) {
            error_ = depthMessage();
            return false;
        }
        add(std::move(container));
        levels_.push_back({lastAdded(), {}});
        return true;
    }

    bool close() {
        levels_.pop_back();
        return true;
    }

    // The path of the container being filled, for a duplicate key.
    std::string pathHere() const {
        std::string path = "$";
        for (std::size_t i = 0; i + 1 < levels_.size(); ++i) {
            const Level& level = levels_[i];
            if (level.container->is_array()) {
                path += '[' + std::to_string(level.container->size() - 1) + ']';
            } else {
                appendKeySegment(path, level.key);
            }
        }
        return path;
    }

    Json root_;
    std::vector<Level> levels_;
    std::string error_;
};

std::string describe(const Json& value) {
    switch (value.type()) {
    case Json::value_t::null: return "null";
    case Json::value_t::object: return "an object";
    case Json::value_t::array: return "an array";
    case Json::value_t::string: return "a string";
    case Json::value_t::boolean: return "a boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: return "a number";
    default: return "binary data";
    }
}

// One item of the document, checked. Items are listed parents first and
// children in order, so they can be filed as they come.
struct Item {
    const Json* object;
    std::size_t parent;  // index into the list; kNoParent at the root
    std::size_t index;   // position among the parent's children
    std::size_t depth;   // 1 at the root
    Date date;
    std::size_t firstChild = 0; // the children are listed together, in order
    std::size_t childCount = 0;
};
constexpr std::size_t kNoParent = std::numeric_limits<std::size_t>::max();

// The property-list value of the service field KEY read from VALUE: whole
// numbers stay integers for the day interval and become reals elsewhere.
// Nothing for what no service field can hold.
std::optional<PlistValue> serviceFieldValue(std::string_view key, const Json& value) {
    const bool whole = key == kServiceIntervalDaysKey;
    if (value.is_string()) return PlistValue(value.get<std::string>());
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (whole && number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return PlistValue(static_cast<double>(number));
        return whole ? PlistValue(static_cast<std::int64_t>(number)) : PlistValue(static_cast<double>(number));
    }
    if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        return whole ? PlistValue(number) : PlistValue(static_cast<double>(number));
    }
    if (value.is_number_float()) return PlistValue(value.get<double>());
    return std::nullopt;
}

class Checker {
public:
    explicit Checker(const Json& root) { items_.push_back({&root, kNoParent, 0, 1, Date()}); }

    std::vector<Item> run() {
        // Every item is checked before its children are queued, so nothing
        // below a bad value is ever looked at.
        std::vector<std::size_t> pending{0};
        while (!pending.empty()) {
            const std::size_t at = pending.back();
            pending.pop_back();
            const Json* children = check(at);
            if (children == nullptr || children->empty()) continue;
            if (items_[at].depth >= kMaxRecordDepth) throw JsonFormError(depthMessage());
            checkSiblingKeys(at, *children);
            // Listed together, so that the list holds every parent before its
            // children and siblings in display order; visited first to last,
            // so that the first error reported is the first in the document.
            const std::size_t first = items_.size();
            items_[at].firstChild = first;
            items_[at].childCount = children->size();
            for (std::size_t i = 0; i < children->size(); ++i)
                items_.push_back({&(*children)[i], at, i, items_[at].depth + 1, Date()});
            for (std::size_t i = children->size(); i-- > 0;) pending.push_back(first + i);
        }
        return std::move(items_);
    }

private:
    std::string pathOf(std::size_t at) const {
        std::vector<std::size_t> indices;
        for (std::size_t i = at; items_[i].parent != kNoParent; i = items_[i].parent)
            indices.push_back(items_[i].index);
        // A path thousands of levels deep would make the message as long:
        // the levels in the middle are counted instead of listed.
        constexpr std::size_t kShownAtEachEnd = 4;
        std::string path = "$";
        for (std::size_t level = 0; level < indices.size(); ++level) {
            if (indices.size() > 3 * kShownAtEachEnd && level == kShownAtEachEnd) {
                const std::size_t skipped = indices.size() - 2 * kShownAtEachEnd;
                path += "…(" + std::to_string(skipped) + " levels)…";
                level += skipped - 1;
                continue;
            }
            path += ".children[" + std::to_string(indices[indices.size() - 1 - level]) + ']';
        }
        return path;
    }

    [[noreturn]] void fail(std::size_t at, std::string_view key, const std::string& what) const {
        std::string path = pathOf(at);
        if (!key.empty()) appendKeySegment(path, key);
        throw JsonFormError(path + ": " + what);
    }

    const Json& member(std::size_t at, std::string_view key, Json::value_t type,
                       const char* wanted) const {
        const Json& object = *items_[at].object;
        const auto found = object.find(key);
        if (found == object.end()) fail(at, {}, "missing key \"" + std::string(key) + "\"");
        if (found->type() != type) fail(at, key, std::string("expected ") + wanted + ", found " + describe(*found));
        return *found;
    }

    // Checks the item's own values; answers its children array, if any.
    const Json* check(std::size_t at) {
        const Json& object = *items_[at].object;
        if (!object.is_object()) fail(at, {}, "expected an object, found " + describe(object));
        static constexpr std::array<std::string_view, 8> kKnown = {
            kCreationDate, kPartName, kDate, kDescription, kNotes, kExpandable, kHasChildren, kChildren};
        for (const auto& [key, value] : object.items()) {
            bool known = isServiceFieldKey(key);
            for (auto name : kKnown) known = known || key == name;
            if (!known) fail(at, key, "unknown key");
        }
        checkServiceFields(at);
        for (auto key : {kCreationDate, kPartName, kDate, kDescription, kNotes})
            member(at, key, Json::value_t::string, "a string");
        const bool expandable = member(at, kExpandable, Json::value_t::boolean, "a boolean").get<bool>();
        const bool hasChildren = member(at, kHasChildren, Json::value_t::boolean, "a boolean").get<bool>();

        const auto& dateText = object.find(kDate)->get_ref<const std::string&>();
        const auto date = Date::fromISO8601(dateText);
        if (!date) fail(at, kDate, "not an ISO 8601 date");
        if (!date->isRepresentable()) fail(at, kDate, "outside the years 1 to 9999");
        items_[at].date = *date;

        if (items_[at].parent == kNoParent && !expandable)
            fail(at, kExpandable, "the bike must be expandable");

        const Json* children = nullptr;
        if (const auto found = object.find(kChildren); found != object.end()) {
            if (!found->is_array()) fail(at, kChildren, "expected an array, found " + describe(*found));
            children = &*found;
        }
        const std::size_t count = children ? children->size() : 0;
        if (count > 0 && !expandable)
            fail(at, kChildren, "a service entry (expandable false) cannot hold items");
        if (hasChildren && count == 0) fail(at, kHasChildren, "is true but there are no children");
        if (!hasChildren && count > 0)
            fail(at, kHasChildren,
                 "is false but the item holds " + std::to_string(count) + (count == 1 ? " child" : " children"));
        return children;
    }

    // The service fields the item has, each fit for its key.
    void checkServiceFields(std::size_t at) const {
        const Json& object = *items_[at].object;
        for (std::string_view key : kServiceFieldKeys) {
            const auto found = object.find(key);
            if (found == object.end()) continue;
            const auto value = serviceFieldValue(key, *found);
            const auto problem = serviceFieldProblem(key, value ? *value : PlistValue());
            if (problem) fail(at, key, "expected " + problem->wanted + ", found " +
                                           (value ? problem->found : describe(*found)));
        }
    }

    // Siblings are filed under their creation dates, so two alike would make
    // one of them unreachable. Children whose own values are wrong are left
    // for their own check, which reports them more precisely.
    void checkSiblingKeys(std::size_t at, const Json& children) const {
        std::unordered_map<std::string_view, std::size_t> seen;
        seen.reserve(children.size());
        for (std::size_t i = 0; i < children.size(); ++i) {
            const Json& child = children[i];
            if (!child.is_object()) continue;
            const auto found = child.find(kCreationDate);
            if (found == child.end() || !found->is_string()) continue;
            const auto& key = found->get_ref<const std::string&>();
            const auto [it, added] = seen.emplace(key, i);
            if (added) continue;
            std::string path = pathOf(at) + ".children[" + std::to_string(i) + "]";
            appendKeySegment(path, kCreationDate);
            throw JsonFormError(path + ": the same as that of " + pathOf(at) + ".children[" +
                                std::to_string(it->second) + "]; siblings need distinct creation dates");
        }
    }

    std::vector<Item> items_;
};

const std::string& text(const Json& object, std::string_view key) {
    return object.find(key)->get_ref<const std::string&>();
}

} // namespace

ZRBicycleListPtr importJson(std::string_view input) {
    DomBuilder builder;
    if (!Json::sax_parse(input.begin(), input.end(), &builder))
        throw JsonFormError(builder.error().empty() ? "invalid JSON" : builder.error());

    const std::vector<Item> items = Checker(builder.result()).run();

    std::vector<ZRBicycleListPtr> nodes;
    nodes.reserve(items.size());
    for (const Item& item : items) {
        const Json& object = *item.object;
        auto node = ZRBicycleList::create();
        node->setCreationDate(text(object, kCreationDate));
        node->setPartName(std::string_view(text(object, kPartName)));
        node->setDescription(std::string_view(text(object, kDescription)));
        node->setNotes(std::string_view(text(object, kNotes)));
        node->setExpandable(object.find(kExpandable)->get<bool>());
        for (std::string_view key : kServiceFieldKeys)
            if (const auto found = object.find(key); found != object.end())
                node->addOtherField(std::string(key), *serviceFieldValue(key, *found));
        nodes.push_back(std::move(node));
    }
    // Filed from the bottom up, so that every parent takes its children before
    // it is filed itself and the climb through its ancestors stays short.
    // Creation dates were found distinct above, so filing keeps every one.
    std::vector<ZRBicycleListPtr> children;
    for (std::size_t i = items.size(); i-- > 0;) {
        const Item& item = items[i];
        if (item.childCount == 0) continue;
        children.assign(nodes.begin() + static_cast<std::ptrdiff_t>(item.firstChild),
                        nodes.begin() + static_cast<std::ptrdiff_t>(item.firstChild + item.childCount));
        nodes[i]->addChildrenPartsOrEntries(children);
    }
    // Filing moves a parent's date to its latest child's; the file's own dates
    // win, so they are set once everything is in place.
    for (std::size_t i = 0; i < items.size(); ++i) nodes[i]->setDate(items[i].date);

    if (auto violation = findInvariantViolation(*nodes.front()))
        throw JsonFormError("$: the items do not form a valid record: " + *violation);
    return nodes.front();
}

} // namespace cogbook
