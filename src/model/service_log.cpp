#include "model/service_log.h"

#include <algorithm>

#include "model/record_file.h"

namespace cogbook {

std::string_view firstLine(std::string_view text) { return text.substr(0, text.find_first_of("\r\n")); }

std::string partPath(const ZRBicycleList& part) {
    // Names from PART up to just below the top; a broken loop of parent
    // links gives up at the deepest record there can be.
    std::vector<const ZRBicycleList*> chain;
    const ZRBicycleList* at = &part;
    for (ZRBicycleListPtr up = part.parent(); up && chain.size() <= kMaxRecordDepth; up = up->parent()) {
        chain.push_back(at);
        at = up.get();
    }
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin()) path += kPartPathSeparator;
        path += (*it)->partName();
    }
    return path;
}

std::vector<ServiceLogRow> serviceLogRows(const ZRBicycleList& bike) {
    std::vector<ServiceLogRow> rows;
    // Depth-first in outline order; each part's path is made once, from its
    // parent's, and shared by its entries.
    struct Frame {
        const ZRBicycleList* node;
        std::string path;
    };
    std::vector<Frame> stack{{&bike, {}}};
    while (!stack.empty()) {
        Frame frame = std::move(stack.back());
        stack.pop_back();
        const auto& children = frame.node->children();
        if (!children) continue;
        std::size_t parts = 0;
        for (const auto& child : *children) {
            if (child->expandable()) {
                ++parts;
                continue;
            }
            ServiceLogRow row;
            row.entry = child;
            row.date = child->date();
            row.partPath = frame.path;
            row.description = child->description();
            row.cost = child->cost();
            row.odometer = child->odometer();
            row.notesFirstLine = firstLine(child->notes());
            rows.push_back(std::move(row));
        }
        if (parts == 0) continue;
        for (std::size_t i = children->size(); i-- > 0;) {
            const ZRBicycleList& child = *children->at(i);
            if (!child.expandable()) continue;
            std::string path = frame.path;
            if (!path.empty()) path += kPartPathSeparator;
            path += child.partName();
            stack.push_back({&child, std::move(path)});
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const ServiceLogRow& a, const ServiceLogRow& b) { return a.date > b.date; });
    return rows;
}

} // namespace cogbook
