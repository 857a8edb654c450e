#pragma once
// Finding controls under a view by their class. The controls carry no meta-object of their own,
// so Qt's typed child search would match any widget: each child is cast instead.

#include <QWidget>

#include <vector>

namespace appkit {

// Every view under root (root excluded) of type T, in Qt's child order.
template <typename T> std::vector<T*> subviews(QWidget* root) {
    std::vector<T*> out;
    if (!root) return out;
    for (auto* child : root->findChildren<QWidget*>())
        if (auto* view = dynamic_cast<T*>(child)) out.push_back(view);
    return out;
}

// The first view under root (root included) whose tag is tag and whose type is T.
template <typename T> T* viewWithTag(QWidget* root, int tag) {
    if (!root) return nullptr;
    if (auto* self = dynamic_cast<T*>(root); self && self->tag() == tag) return self;
    for (auto* view : subviews<T>(root))
        if (view->tag() == tag) return view;
    return nullptr;
}

} // namespace appkit
