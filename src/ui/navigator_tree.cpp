#include "ui/navigator_tree.h"

#include <QTimer>

#include "editor/parent_dialogs.h"

namespace koru::ui {
namespace {

// Every node may have items below it until it has been read.
constexpr char kItemImage[] = "CatItem";

bool isPlaceholder(const std::string& key) {
    return key.rfind(editor::NavigatorBrowseTree::kPlaceholder, 0) == 0;
}

}  // namespace

NavigatorTree::NavigatorTree(wizard::Tree& tree, QWidget* parent)
    : m_tree(tree), m_view(new ModelTreeWidget(m_shown, parent)) {
    m_view->setLazyImage(kItemImage);
    m_view->onExpand = [this](const std::string& key) {
        if (onExpand) onExpand(key);
    };
    QObject::connect(m_view, &QTreeWidget::itemCollapsed, m_view, [this](QTreeWidgetItem* item) {
        // Collapsing removes the children: not while the view is still handling the click.
        std::string key = m_view->keyOf(item);
        QTimer::singleShot(0, m_view, [this, key] {
            if (onCollapse) onCollapse(key);
        });
    });
    QObject::connect(m_view, &QTreeWidget::currentItemChanged, m_view,
            [this](QTreeWidgetItem* current) { m_tree.selectedKey = m_view->keyOf(current); });
}

void NavigatorTree::mirror() {
    m_shown.nodes.clear();
    for (const wizard::TreeNode& node : m_tree.nodes) {
        if (isPlaceholder(node.key)) continue;
        m_shown.nodes.push_back(node);
        m_shown.nodes.back().image = kItemImage;
    }
    m_shown.selectedKey = isPlaceholder(m_tree.selectedKey) ? std::string() : m_tree.selectedKey;
    m_shown.enabled = m_tree.enabled;
    m_shown.visible = m_tree.visible;
    m_shown.toolTip = m_tree.toolTip;
    m_view->mirror();
}

}  // namespace koru::ui
