// The outline's data source: the record's rows and their values, and the
// icons beside a row's text.
#include "document/MyDocument.h"

#include "document/ImageAndTextCell.h"
#include "document/document_support.h"
#include "document/outline_icons.h"

namespace cogbook {

using namespace document_support;

void registerOutlineIcons() {
    static const bool registered = [] {
        setImageAlias(QStringLiteral("BikePartIconSmall"), QStringLiteral("part"));
        setImageAlias(QStringLiteral("Subpart16"), QStringLiteral("subpart"));
        setImageAlias(QStringLiteral("Hand16"), QStringLiteral("hand"));
        setImageAlias(QStringLiteral("PencilChain16"), QStringLiteral("pencil-chain"));
        setImageAlias(QStringLiteral("Notes16"), QStringLiteral("notes"));
        // The toolbar's larger drawings.
        setImageAlias(QStringLiteral("BikePartIconLarge"), QStringLiteral("AddPart"));
        setImageAlias(QStringLiteral("Subpart"), QStringLiteral("AddSubpart"));
        setImageAlias(QStringLiteral("Hand32"), QStringLiteral("AddEntryForBike"));
        setImageAlias(QStringLiteral("PencilChain"), QStringLiteral("AddEntryForPart"));
        return true;
    }();
    (void)registered;
}

const char* kindImageName(bool expandable, bool parentIsRoot) {
    if (expandable) return parentIsRoot ? "BikePartIconSmall.tiff" : "Subpart16.tiff";
    return parentIsRoot ? "Hand16.tif" : "PencilChain16.tiff";
}

const char* kindToolTip(bool expandable, bool parentIsRoot) {
    if (expandable) return parentIsRoot ? "Part" : "Subpart";
    return parentIsRoot ? "Entry for the bike" : "Entry for this part";
}

QString notesToolTip(const std::string& notes) {
    constexpr qsizetype kReadableLength = 80;
    QString line = QString::fromStdString(notes).trimmed();
    line = line.left(line.indexOf(QLatin1Char('\n'))).trimmed();
    if (line.size() > kReadableLength) {
        // At a word's end where there is one near, and never inside a pair.
        qsizetype cut = line.lastIndexOf(QLatin1Char(' '), kReadableLength);
        if (cut < kReadableLength / 2) cut = kReadableLength;
        if (line.at(cut - 1).isHighSurrogate()) --cut;
        line = line.left(cut).trimmed() + QChar(0x2026);
    }
    return QStringLiteral("Has notes: ") + line;
}

ZRBicycleList* MyDocument::nodeForItem(void* item) const {
    return item ? static_cast<ZRBicycleList*>(item) : theBike_.get();
}

long MyDocument::outlineViewNumberOfChildrenOfItem(OutlineView*, void* item) {
    const ZRBicycleList* node = nodeForItem(item);
    return node->hasChildren() ? static_cast<long>(node->numberOfChildren()) : 0;
}

bool MyDocument::outlineViewIsItemExpandable(OutlineView*, void* item) {
    return nodeForItem(item)->hasChildren();
}

OutlineItem MyDocument::outlineViewChildOfItem(OutlineView*, long index, void* item) {
    const ZRBicycleList* node = nodeForItem(item);
    if (!node->hasChildren() || index < 0 || static_cast<std::size_t>(index) >= node->numberOfChildren()) {
        documentAssertion("outlineView:child:ofItem:", this, "Out of bounds index in outlineView:child:ofItem:");
    }
    return node->childAtIndex(static_cast<std::size_t>(index));
}

QVariant MyDocument::outlineViewObjectValueForTableColumnByItem(OutlineView*, const TableColumn& column, void* item) {
    const ZRBicycleList* node = nodeForItem(item);
    const QString& key = column.identifier();
    if (key == QLatin1String(kPartNameColumn)) return QString::fromStdString(node->partName());
    if (key == QLatin1String(kDescriptionColumn)) return QString::fromStdString(node->description());
    if (key == QLatin1String(kDateColumn)) return outlineDate(node->date());
    if (std::optional<QVariant> service = serviceColumnValue(key, *node)) return *service;
    const PlistValue value = node->valueForKey(key.toStdString());
    return value.isString() ? QVariant(QString::fromStdString(value.string())) : QVariant();
}

std::shared_ptr<const Image> MyDocument::imageForTableColumnItem(const TableColumn& column, void* item) const {
    const QString& key = column.identifier();
    const bool partName = key == QLatin1String(kPartNameColumn);
    if (!partName && key != QLatin1String(kDescriptionColumn)) return nullptr;
    if (item == nullptr) {
        documentAssertion("outlineView:willDisplayCell:forTableColumn:item:", this,
                          "MyDocument outlineView:willDisplayCell:forTableColumn:item: - won't display cell "
                          "for root\n");
    }
    const auto* node = static_cast<const ZRBicycleList*>(item);
    if (!partName) return node->notes().empty() ? nullptr : imageNamed(QLatin1String(kNotesImageName));

    const bool parentIsRoot = node->parent().get() == theBike_.get();
    auto image = imageNamed(QLatin1String(kindImageName(node->expandable(), parentIsRoot)));
    if (!image) {
        documentAssertion("outlineView:willDisplayCell:forTableColumn:item:", this,
                          "MyDocument outlineView:willDisplayCell:forTableColumn:item: - image missing for "
                          "item\n");
    }
    return image;
}

QString MyDocument::imageToolTipForTableColumnItem(const TableColumn& column, void* item) const {
    if (item == nullptr) return {};
    const auto* node = static_cast<const ZRBicycleList*>(item);
    const QString& key = column.identifier();
    if (key == QLatin1String(kDescriptionColumn)) return node->notes().empty() ? QString() : notesToolTip(node->notes());
    if (key != QLatin1String(kPartNameColumn)) return {};
    return QLatin1String(kindToolTip(node->expandable(), node->parent().get() == theBike_.get()));
}

void MyDocument::outlineViewWillDisplayCellForTableColumnItem(OutlineView*, TextFieldCell* cell,
                                                              const TableColumn& column, void* item) {
    const QString& key = column.identifier();
    if (key != QLatin1String(kPartNameColumn) && key != QLatin1String(kDescriptionColumn)) return;
    auto image = imageForTableColumnItem(column, item);
    if (auto* imageCell = qobject_cast<ImageAndTextCell*>(cell)) imageCell->setImage(std::move(image));
}

} // namespace cogbook
