#pragma once

#include <QTreeWidget>
#include <QIcon>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "wizard/controls.h"

namespace koru::ui {

// What a drag from a source tree carries: the key of the node dragged.
inline constexpr char kSourceNodeMime[] = "application/x-koru-source-node";

// A QTreeWidget mirroring a wizard::Tree. Items carry their node's key; the tree's items are
// rebuilt only when its nodes' keys changed, so that a source of thousands of tables stays quick.
// What the user expands, collapses or selects goes into the model tree at once.
class ModelTreeWidget : public QTreeWidget {
public:
    // `showRootKeys`: a second column names the field each root node stands for, since a style
    // may leave a label blank.
    ModelTreeWidget(wizard::Tree& tree, QWidget* parent, bool showRootKeys = false);

    void mirror();
    std::string keyOf(const QTreeWidgetItem* item) const;
    std::string keyAt(const QPoint& viewportPosition) const;
    QTreeWidgetItem* itemOf(const std::string& key) const;

    // Nodes with this image may have children not read yet: they show an expand arrow.
    void setLazyImage(std::string image) { m_lazyImage = std::move(image); }

    // Events forwarded to the screen; unset ones do nothing.
    std::function<void(const std::string& key, Qt::MouseButton, const QPoint& globalPosition)> onPress;
    std::function<void(Qt::MouseButton)> onRelease;
    std::function<void(const std::string& key)> onExpand;  // unset: the node is marked expanded
    // Makes the tree a drag source: a drag starts only while this says yes.
    std::function<bool()> canDrag;
    // Make the tree a drop target: the node under the pointer ("" for none), and the drop.
    std::function<void(const std::string& key)> onDragOver;
    std::function<void()> onDrop;
    // The user moved the focus elsewhere in the window (not a dialog or another window opening).
    std::function<void()> onFocusLost;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Shape {
        std::string key, parentKey, text, image;
    };

    void appendItems(std::size_t from);
    void showLook(std::size_t index);
    QIcon iconOf(const std::string& image);
    bool carriesSourceNode(const QDropEvent* event) const;

    wizard::Tree& m_tree;
    bool m_showRootKeys;
    std::string m_lazyImage;
    std::vector<Shape> m_shape;             // what the items show, in node order
    std::vector<QTreeWidgetItem*> m_items;  // the item of each node, in node order
    std::unordered_map<std::string, QTreeWidgetItem*> m_byKey;
    std::optional<std::string> m_dragOverKey;  // the node last reported under a drag
    std::map<std::string, QIcon> m_icons;
};

}  // namespace koru::ui
