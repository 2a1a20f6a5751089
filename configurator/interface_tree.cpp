#include "configurator/interface_tree.h"

#include "configurator/vk_interface_element.h"

#include <QStringLiteral>

#include <utility>

namespace configurator {

// Walks are iterative: a device can nest its elements as deep as its profile is long.

InterfaceTree::~InterfaceTree()
{
    // Nodes are freed one by one rather than by each parent's destructor in turn.
    std::vector<std::unique_ptr<InterfaceSortElement>> pending;
    for (auto &child : _root.children)
        pending.push_back(std::move(child));
    while (!pending.empty()) {
        std::unique_ptr<InterfaceSortElement> node = std::move(pending.back());
        pending.pop_back();
        for (auto &child : node->children)
            pending.push_back(std::move(child));
    }
}

bool InterfaceTree::insert(VkInterfaceElement *element)
{
    if (element->nameEn() == QStringLiteral("NEW"))
        _hierarchical = true;
    InterfaceSortElement *parent = _hierarchical ? find(quint16(element->parentId())) : &_root;
    if (!parent)
        return false;
    auto node = std::make_unique<InterfaceSortElement>();
    node->id = quint16(element->id());
    node->parentId = quint16(element->parentId());
    node->element = element;
    _byId[node->id].append(node.get());
    parent->children.push_back(std::move(node));
    return true;
}

InterfaceSortElement *InterfaceTree::find(quint16 id)
{
    const QList<InterfaceSortElement *> holders = _byId.value(id);
    if (holders.size() <= 1)
        return holders.value(0);
    // Several nodes share the id: the first met depth-first wins.
    std::vector<InterfaceSortElement *> stack { &_root };
    while (!stack.empty()) {
        InterfaceSortElement *node = stack.back();
        stack.pop_back();
        if (node->id == id)
            return node;
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back(it->get());
    }
    return nullptr;
}

QList<VkInterfaceElement *> InterfaceTree::preOrder() const
{
    QList<VkInterfaceElement *> order;
    std::vector<const InterfaceSortElement *> stack;
    for (auto it = _root.children.rbegin(); it != _root.children.rend(); ++it)
        stack.push_back(it->get());
    while (!stack.empty()) {
        const InterfaceSortElement *node = stack.back();
        stack.pop_back();
        order.append(node->element);
        for (auto it = node->children.rbegin(); it != node->children.rend(); ++it)
            stack.push_back(it->get());
    }
    return order;
}

} // namespace configurator
