// The record node: the bike, each part and subpart, and each service entry of
// a document are ZRBicycleList nodes in one tree.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/date.h"
#include "foundation/plist.h"
#include "model/service_fields.h"

namespace cogbook {

class ZRBicycleList;
using ZRBicycleListPtr = std::shared_ptr<ZRBicycleList>;

// The ten field keys, in their fixed order. One process-wide array.
const std::vector<std::string>& ZRBicycleKeys();
enum ZRBicycleKeyIndex : std::size_t {
    kCreationDateKey = 0,
    kPartNameKey = 1,
    kDateKey = 2,
    kDescriptionKey = 3,
    kNotesKey = 4,
    kParentKey = 5,
    kExpandableKey = 6,
    kHasChildrenKey = 7,
    kChildKeyArrayKey = 8,
    kChildrenKey = 9,
};

// The pasteboard types, in their fixed order; the first two also tell a part
// (or the bike) from a service entry.
const std::vector<std::string>& ZRBikeTableDataTypes();

// The notification a node posts while it is destroyed, with itself as object.
inline constexpr std::string_view kZRBicycleListDeallocatingNotification =
    "ZRBicycleListObject deallocating";

// The value childIndex() answers when a node is not among its parent's children.
inline constexpr std::int32_t kZRNotFound = 0x7fffffff;

// A node's children in display order. Every child is filed under its own
// creation date, so the order ("childKeyArray") and the lookup by key
// ("children") are one container and cannot disagree.
class ZRChildList {
public:
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    const ZRBicycleListPtr& at(std::size_t index) const { return items_.at(index); }
    const std::string& keyAt(std::size_t index) const;
    // The child filed under KEY, or null.
    ZRBicycleListPtr find(std::string_view key) const;
    std::optional<std::size_t> indexOf(std::string_view key) const;
    std::vector<std::string> keys() const;

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    friend class ZRBicycleList; // only filing and removal on the node write the list
    std::vector<ZRBicycleListPtr> items_;
};

// What filing does with the parent's date: an edit moves it to the later of
// its own and the child's; reading a file keeps the dates the file holds.
enum class ZRParentDate { takeLater, keep };

// The field "dictionary" of a node: a dictionary whose key set is fixed. The
// "childKeyArray" and "children" entries are the one `children` container;
// "parent" is a back link that does not own the parent.
struct ZRBicycleFields {
    std::string creationDate;
    std::string partName;
    Date date;
    std::string description;
    std::string notes;
    std::weak_ptr<ZRBicycleList> parent;
    bool expandable = false;
    bool hasChildren = false;
    std::shared_ptr<ZRChildList> children; // null until the first child is filed
    // Fields beyond the ten above, by name, in the order read or first set:
    // the service fields (read through their typed accessors on the node) and
    // those this version does not know (written by a later one, or another
    // program of the format). Written back with the node unchanged.
    PlistDictionary otherFields;
};

class ZRBicycleList : public std::enable_shared_from_this<ZRBicycleList> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // A new node: fresh creation date, empty strings, the current date, not
    // expandable, no children, no parent.
    static ZRBicycleListPtr create();
    // A node with empty fields (no creation date, the reference date), for a
    // reader that fills every field itself.
    static ZRBicycleListPtr createBlank();
    explicit ZRBicycleList(Passkey);
    ZRBicycleList(Passkey, bool blank);
    ~ZRBicycleList();
    ZRBicycleList(const ZRBicycleList&) = delete;
    ZRBicycleList& operator=(const ZRBicycleList&) = delete;

    // A new node with the same fields. It shares the parent link and this
    // node's children container (the very same one), and is filed nowhere.
    // Filing into or removing from either node first gives that node a list
    // of its own, so that an edit of one never reaches into the other.
    ZRBicycleListPtr copyWithZone() const;

    // Identity among siblings, and the key under which the parent files it.
    const std::string& creationDate() const { return fields_.creationDate; }
    void setCreationDate(std::string creationDate);
    void resetCreationDate();
    // A creation-date string made from the current time: the decimal seconds
    // since the reference date. Never the same string twice in one process.
    static std::string freshCreationDate();
    // The text form of a creation date made from SECONDS since the reference
    // date: decimal, at most 16 significant digits, no trailing zeros.
    static std::string creationDateText(double seconds);

    const std::string& partName() const { return fields_.partName; }
    void setPartName(std::string name) { fields_.partName = std::move(name); }
    void setPartName(std::string_view name) { fields_.partName = name; }
    void setPartName(const char* name) { fields_.partName = name ? name : ""; }
    Date date() const { return fields_.date; }
    void setDate(Date date) { fields_.date = date; }
    const std::string& description() const { return fields_.description; }
    void setDescription(std::string text) { fields_.description = std::move(text); }
    void setDescription(std::string_view text) { fields_.description = text; }
    void setDescription(const char* text) { fields_.description = text ? text : ""; }
    const std::string& notes() const { return fields_.notes; }
    void setNotes(std::string text) { fields_.notes = std::move(text); }
    void setNotes(std::string_view text) { fields_.notes = text; }
    void setNotes(const char* text) { fields_.notes = text ? text : ""; }
    // Fields written by another program or a later version: kept, and
    // written back as they were.
    const PlistDictionary& otherFields() const { return fields_.otherFields; }
    void setOtherFields(PlistDictionary fields);
    // Adds the field NAME unless the node has one of that name already (the
    // first of a name counts); true when added.
    bool addOtherField(std::string name, PlistValue value);

    // The service fields, kept among the other fields so that a record that
    // never sets them is written as before, and one that does still opens in
    // a version that does not know them. Each answers nothing when unset (or
    // when set by hand to an unfit value); setting nothing removes the field,
    // and an unfit value throws InvalidArgumentException, changing nothing.
    std::optional<double> cost() const;
    void setCost(std::optional<double> value);
    std::optional<double> odometer() const;
    void setOdometer(std::optional<double> value);
    std::optional<std::int64_t> serviceIntervalDays() const;
    void setServiceIntervalDays(std::optional<std::int64_t> value);
    std::optional<double> serviceIntervalDistance() const;
    void setServiceIntervalDistance(std::optional<double> value);
    std::optional<DistanceUnit> distanceUnit() const;
    void setDistanceUnit(std::optional<DistanceUnit> value);
    std::optional<std::string> currency() const;
    void setCurrency(std::optional<std::string> value);
    // An entry's cost and reading, as cost() and odometer() answer them. Kept
    // on the node as its fields change, so that the walks that read every
    // entry after each change do not go through every field dictionary.
    struct ServiceReadings {
        std::optional<double> cost;
        std::optional<double> odometer;
    };
    const ServiceReadings& serviceReadings() const { return readings_; }
    // A part's intervals from one pass over its fields, as the single readers
    // answer them.
    struct ServiceIntervals {
        std::optional<std::int64_t> days;
        std::optional<double> distance;
        bool any() const { return days || distance; }
    };
    ServiceIntervals serviceIntervals() const;
    // True when either interval is set.
    bool hasServiceInterval() const { return serviceIntervals().any(); }

    // Null at the root, in a node never filed, and once the former parent is gone.
    ZRBicycleListPtr parent() const { return fields_.parent.lock(); }
    // Throws InvalidArgumentException for null; the node keeps its old link.
    void setParent(const ZRBicycleListPtr& parent);

    bool expandable() const { return fields_.expandable; }
    void setExpandable(bool value) { fields_.expandable = value; }
    bool hasChildren() const { return fields_.hasChildren; }
    void setHasChildren(bool value) { fields_.hasChildren = value; }

    // The children container, null before the first child.
    const std::shared_ptr<ZRChildList>& children() const { return fields_.children; }
    // Throws InvalidArgumentException for null.
    void setChildren(std::shared_ptr<ZRChildList> children);
    // The children's creation dates in display order; nothing before the first child.
    std::optional<std::vector<std::string>> childKeyArray() const;
    std::size_t numberOfChildren() const { return fields_.children ? fields_.children->size() : 0; }
    const ZRBicycleListPtr& childAtIndex(std::size_t index) const;

    // The whole field dictionary.
    const ZRBicycleFields& bicycleList() const { return fields_; }
    void setBicycleList(ZRBicycleFields fields) {
        fields_ = std::move(fields);
        refreshReadings();
    }

    // Reads a field by its key name as a property-list value. "parent" and
    // "children" are no property-list values: read them with their getters.
    // An unknown key throws InvalidArgumentException.
    PlistValue valueForKey(std::string_view key) const;

    // Position among the parent's children; 0 without a parent, kZRNotFound
    // when the parent no longer holds this node.
    std::int32_t childIndex() const;
    // "BikePart form ..." for the bike and parts, "Service entry form ..." otherwise.
    const std::string& bikeTableItemDataType() const;

    // The one way a child enters a child list. Files CHILDREN under this node
    // at INDEX (0 to the number of children), in order, in time proportional
    // to the number of children. Each child's creation date is kept unless a
    // sibling holds it already, in which case the child gets a fresh one; each
    // child names this node as its parent; this node gets a child list (even
    // for no children) and "hasChildren" when it holds any. PARENT_DATE says
    // whether this node's date moves to the later of its own and each child's.
    // Refused as a whole, changing nothing, when this node is a service entry,
    // a child is this node or one of its ancestors, a child is given twice or
    // is filed here already (assertion failures naming CALLER), a child is
    // null (InvalidArgumentException), or INDEX is out of range (RangeException).
    // Answers how many children got a fresh creation date.
    std::size_t fileChildrenAtIndex(std::span<const ZRBicycleListPtr> children, std::int64_t index,
                             ZRParentDate parentDate, std::string_view caller = "fileChildren:atIndex:");

    // Files CHILD under this node at INDEX (0 to the number of children). The
    // child's creation date is made unique among the siblings, and this
    // node's date moves to the later of the two. Inserting into a service
    // entry, or a node into its own subtree, is an assertion failure; an index
    // out of range throws RangeException. A refused insertion changes nothing.
    void insertChildPartOrEntryAtIndex(const ZRBicycleListPtr& child, std::int32_t index);
    void addChildPartOrEntry(const ZRBicycleListPtr& child);
    // Files CHILDREN at the end, in order, as addChildPartOrEntry would one by
    // one, in time proportional to their number rather than to the number of
    // siblings each time. Refused as a whole when any one would be refused.
    void addChildrenPartsOrEntries(const std::vector<ZRBicycleListPtr>& children);

    // Takes out the child filed under CHILD's creation date. The child keeps
    // its parent link; this node's date is unchanged.
    void removeChild(const ZRBicycleList& child);
    // Forgets an empty child container, so that the node is again one that
    // never had children (the record tells the two apart).
    void discardEmptyChildren();
    // Gives NAME to every service entry filed directly under this node.
    void propagatePartName(std::string_view name);

    // Property-list forms.
    // The structure of parts only, with their service intervals (and the
    // bike's distance unit and currency); nothing for a service entry.
    std::optional<PlistValue> templateDictionary() const;
    // Every field but the parent link, for the whole subtree, with the
    // service fields that are set.
    PlistValue plistConversion() const;
    // Fills this new node (and its new subtree) from a template or a full
    // property-list dictionary. Service intervals, the distance unit and the
    // currency come along; costs and odometer readings never do. Throws InvalidArgumentException when a
    // dictionary has no "creationDate" or a listed child is missing.
    void buildFromDictionary(const PlistValue& dictionary);
    // Gives this node and its subtree fresh creation dates, keeping the order
    // of every node's children (used when an old-form record is read).
    void convertBicycleList();

    // Plain text of everything below this node: one line per item, its notes
    // under it. Nothing when the node has no children.
    std::optional<std::string> stringFromBicycleList() const;

    // Traversal: one step per call, driven by per-node cursors and one
    // process-wide subtree root. Each answers null at the end of the walk.
    ZRBicycleListPtr prepareAsRootOfSubtree();
    ZRBicycleListPtr nextPartOrEntry();
    ZRBicycleListPtr previousPartOrEntry();

    bool inTraversalSubtree() const { return inTraversalSubtree_; }
    std::int32_t lastChildCounted() const { return lastChildCounted_; }
    std::int32_t lastChildCountdown() const { return lastChildCountdown_; }

private:
    ZRBicycleList* _setTraversalSubtree();
    ZRBicycleList* _clearTraversalComplement();
    ZRBicycleList* _root();
    ZRBicycleList* _deepestChild();
    // The children container, made first and no longer shared with a copy.
    ZRChildList& ownChildList();

    ZRBicycleFields fields_;
    ServiceReadings readings_; // of fields_.otherFields
    void refreshReadings();
    bool inTraversalSubtree_ = false;
    std::int32_t lastChildCounted_ = 0;
    std::int32_t lastChildCountdown_ = 0;
};

// Checks the node invariants of the tree that holds ROOT at its top: every
// child filed under its own creation date with this node as its parent, no
// duplicate keys, "hasChildren" exactly when there are children, children only
// under expandable nodes, no node filed twice. Answers what is wrong, or nothing.
std::optional<std::string> findInvariantViolation(const ZRBicycleList& root);

} // namespace cogbook
