#pragma once

#include <QHash>
#include <QList>
#include <QtGlobal>

#include <memory>
#include <vector>

class VkInterfaceElement;

namespace configurator {

// One node of the tree built from a profile: an element and the nodes listed under it.
struct InterfaceSortElement
{
    quint16 id = 0;
    quint16 parentId = 0;
    VkInterfaceElement *element = nullptr;
    std::vector<std::unique_ptr<InterfaceSortElement>> children;
};

// The elements of a profile in the order the pages show them. Until an element named "NEW" has
// been inserted every element goes to the top level; from then on each goes under the first node,
// depth-first from the root, with its parent's id (the root has id 0).
class InterfaceTree
{
public:
    InterfaceTree() = default;
    InterfaceTree(const InterfaceTree &) = delete;
    InterfaceTree &operator=(const InterfaceTree &) = delete;
    ~InterfaceTree();

    // Inserts `element`; false when it has to go under a parent that is not in the tree.
    bool insert(VkInterfaceElement *element);

    // Every element, depth-first, parents before their children, children in insertion order.
    QList<VkInterfaceElement *> preOrder() const;

    bool isHierarchical() const { return _hierarchical; }

private:
    InterfaceSortElement *find(quint16 id);

    InterfaceSortElement _root;
    // Every node by id: an id held by one node needs no search.
    QHash<quint16, QList<InterfaceSortElement *>> _byId { { 0, { &_root } } };
    bool _hierarchical = false;
};

} // namespace configurator
