// The step-by-step walk over a record tree. Every climb and descent is a loop:
// a walk must not use stack in proportion to the depth of the tree.
#include <algorithm>
#include <vector>

#include "model/ZRBicycleList.h"

namespace cogbook {
namespace {

// Compared for identity only, never followed: it may outlive its node.
const ZRBicycleList* traversalSubtreeRoot = nullptr;

} // namespace

ZRBicycleList* ZRBicycleList::_setTraversalSubtree() {
    std::vector<ZRBicycleList*> stack{this};
    while (!stack.empty()) {
        ZRBicycleList* node = stack.back();
        stack.pop_back();
        node->inTraversalSubtree_ = true;
        node->lastChildCounted_ = 0;
        node->lastChildCountdown_ = static_cast<std::int32_t>(node->numberOfChildren());
        if (!node->fields_.children) continue;
        const auto& items = node->fields_.children->items_;
        for (auto it = items.rbegin(); it != items.rend(); ++it) stack.push_back(it->get());
    }
    return this;
}

ZRBicycleList* ZRBicycleList::_clearTraversalComplement() {
    std::vector<ZRBicycleList*> stack{this};
    while (!stack.empty()) {
        ZRBicycleList* node = stack.back();
        stack.pop_back();
        if (node == traversalSubtreeRoot) continue;
        node->inTraversalSubtree_ = false;
        if (!node->fields_.children) continue;
        const auto& items = node->fields_.children->items_;
        for (auto it = items.rbegin(); it != items.rend(); ++it) stack.push_back(it->get());
    }
    return this;
}

ZRBicycleList* ZRBicycleList::_root() {
    ZRBicycleListPtr node = shared_from_this();
    while (auto parent = node->fields_.parent.lock()) node = std::move(parent);
    return node.get(); // kept alive by the tree that holds this node
}

ZRBicycleList* ZRBicycleList::_deepestChild() {
    ZRBicycleList* node = this;
    for (;;) {
        const std::int32_t count = static_cast<std::int32_t>(node->numberOfChildren());
        if (node->fields_.hasChildren && node->lastChildCountdown_ > 0 && count > 0) {
            // A cursor left over from before the tree changed is kept in range.
            node->lastChildCountdown_ = std::min(node->lastChildCountdown_, count) - 1;
            node = node->fields_.children->items_[static_cast<std::size_t>(node->lastChildCountdown_)].get();
            continue;
        }
        node->lastChildCountdown_ = std::max(node->lastChildCountdown_ - 1, -1);
        return node;
    }
}

ZRBicycleListPtr ZRBicycleList::prepareAsRootOfSubtree() {
    _setTraversalSubtree();
    traversalSubtreeRoot = this;
    _root()->_clearTraversalComplement();
    return shared_from_this();
}

ZRBicycleListPtr ZRBicycleList::nextPartOrEntry() {
    ZRBicycleListPtr node = shared_from_this();
    for (;;) {
        if (!node->inTraversalSubtree_) node->prepareAsRootOfSubtree();
        const auto count = static_cast<std::uint32_t>(node->numberOfChildren());
        if (static_cast<std::uint32_t>(node->lastChildCounted_) < count)
            return node->fields_.children->items_[static_cast<std::size_t>(node->lastChildCounted_++)];
        if (node.get() == traversalSubtreeRoot) return nullptr;
        auto parent = node->fields_.parent.lock();
        if (!parent) return nullptr;
        node = std::move(parent);
    }
}

ZRBicycleListPtr ZRBicycleList::previousPartOrEntry() {
    ZRBicycleListPtr node = shared_from_this();
    for (;;) {
        if (!node->inTraversalSubtree_) node->prepareAsRootOfSubtree();
        auto parent = node->fields_.parent.lock();
        if (node->lastChildCountdown_ <= 0 && (node.get() == traversalSubtreeRoot || !parent))
            return nullptr;
        if (node->lastChildCountdown_ < 0) {
            node = std::move(parent);
            continue;
        }
        if (node->lastChildCountdown_ == 0) {
            node->lastChildCountdown_ = -1;
            return node;
        }
        return node->_deepestChild()->shared_from_this();
    }
}

} // namespace cogbook
