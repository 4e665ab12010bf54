#include "ui/model_tree_widget.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <map>
#include <unordered_set>

#include "ui/bindings.h"

namespace koru::ui {
namespace {

constexpr int kKeyRole = Qt::UserRole;

// The model stores colours as the platform did: blue, green and red bytes from high to low.
QColor colorOf(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

// Leaves a gap between a label and the field named beside it.
class LabelColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(16, 0);
    }
};

}  // namespace

ModelTreeWidget::ModelTreeWidget(wizard::Tree& tree, QWidget* parent, bool showRootKeys)
    : QTreeWidget(parent), m_tree(tree), m_showRootKeys(showRootKeys) {
    setHeaderHidden(true);
    setColumnCount(showRootKeys ? 2 : 1);
    if (showRootKeys) {
        header()->setStretchLastSection(true);
        header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        setItemDelegateForColumn(0, new LabelColumnDelegate(this));
    }
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);  // labels change only through the screen
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDropIndicatorShown(false);

    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        std::string key = keyOf(item);
        if (onExpand) {
            onExpand(key);
        } else if (wizard::TreeNode* node = m_tree.find(key)) {
            node->expanded = true;
        }
    });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        if (wizard::TreeNode* node = m_tree.find(keyOf(item))) node->expanded = false;
    });
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { m_tree.selectedKey = current ? keyOf(current) : std::string(); });
}

std::string ModelTreeWidget::keyOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, kKeyRole).toString().toStdString() : std::string();
}

std::string ModelTreeWidget::keyAt(const QPoint& viewportPosition) const { return keyOf(itemAt(viewportPosition)); }

QTreeWidgetItem* ModelTreeWidget::itemOf(const std::string& key) const {
    auto found = m_byKey.find(key);
    return found == m_byKey.end() ? nullptr : found->second;
}

void ModelTreeWidget::mirror() {
    QSignalBlocker quiet(this);
    const std::vector<wizard::TreeNode>& nodes = m_tree.nodes;
    bool grows = m_shape.size() <= nodes.size();
    for (std::size_t i = 0; grows && i < m_shape.size(); ++i) {
        grows = m_shape[i].key == nodes[i].key && m_shape[i].parentKey == nodes[i].parentKey;
    }
    std::optional<int> scrolled;
    if (grows) {
        for (std::size_t i = 0; i < m_shape.size(); ++i) {
            Shape& shape = m_shape[i];
            if (shape.text != nodes[i].text) m_items[i]->setText(0, qtText(shape.text = nodes[i].text));
            if (shape.image != nodes[i].image) m_items[i]->setIcon(0, iconOf(shape.image = nodes[i].image));
        }
        appendItems(m_shape.size());
    } else {
        scrolled = verticalScrollBar()->value();
        clear();
        m_shape.clear();
        m_items.clear();
        m_byKey.clear();
        appendItems(0);
    }
    for (std::size_t i = 0; i < m_items.size(); ++i) showLook(i);

    QTreeWidgetItem* selected = m_tree.selectedKey.empty() ? nullptr : itemOf(m_tree.selectedKey);
    if (currentItem() != selected) setCurrentItem(selected);
    if (scrolled) {
        // A rebuilt tree stays where the user had scrolled it.
        executeDelayedItemsLayout();
        verticalScrollBar()->setValue(*scrolled);
    }
    setEnabled(m_tree.enabled);
    setVisible(m_tree.visible);
    setToolTip(qtText(m_tree.toolTip));
}

void ModelTreeWidget::appendItems(std::size_t from) {
    // New items are joined up before they enter the view, then added per parent in one call.
    QList<QTreeWidgetItem*> roots;
    std::map<QTreeWidgetItem*, QList<QTreeWidgetItem*>> underShown;
    std::unordered_set<QTreeWidgetItem*> fresh;
    for (std::size_t i = from; i < m_tree.nodes.size(); ++i) {
        const wizard::TreeNode& node = m_tree.nodes[i];
        auto* item = new QTreeWidgetItem;
        item->setData(0, kKeyRole, qtText(node.key));
        item->setText(0, qtText(node.text));
        item->setIcon(0, iconOf(node.image));
        if (m_showRootKeys && node.parentKey.empty()) item->setText(1, qtText(node.key));
        QTreeWidgetItem* parent = node.parentKey.empty() ? nullptr : itemOf(node.parentKey);
        if (!parent) {
            roots.append(item);
        } else if (fresh.count(parent)) {
            parent->addChild(item);
        } else {
            underShown[parent].append(item);
        }
        fresh.insert(item);
        m_shape.push_back({node.key, node.parentKey, node.text, node.image});
        m_items.push_back(item);
        m_byKey[node.key] = item;
    }
    addTopLevelItems(roots);
    for (auto& [parent, children] : underShown) parent->addChildren(children);
}

void ModelTreeWidget::showLook(std::size_t index) {
    const wizard::TreeNode& node = m_tree.nodes[index];
    QTreeWidgetItem* item = m_items[index];
    if (item->isExpanded() != node.expanded) item->setExpanded(node.expanded);

    bool highlighted = !m_tree.dropHighlight.empty() && node.key == m_tree.dropHighlight;
    QBrush foreground;
    QBrush background;
    if (highlighted) {
        foreground = palette().brush(QPalette::HighlightedText);
        background = palette().brush(QPalette::Highlight);
    } else if (!node.available) {
        foreground = palette().brush(QPalette::Disabled, QPalette::Text);
    } else if (node.color != 0) {
        foreground = colorOf(node.color);
    }
    QBrush fieldKey = highlighted ? foreground : palette().brush(QPalette::PlaceholderText);
    for (int column = 0; column < columnCount(); ++column) {
        item->setForeground(column, column == 0 ? foreground : fieldKey);
        item->setBackground(column, background);
    }

    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (canDrag && node.available) flags |= Qt::ItemIsDragEnabled;
    if (item->flags() != flags) item->setFlags(flags);

    bool unread = !m_lazyImage.empty() && node.image == m_lazyImage && !node.expanded && item->childCount() == 0;
    auto policy = unread ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicatorWhenChildless;
    if (item->childIndicatorPolicy() != policy) item->setChildIndicatorPolicy(policy);
}

QIcon ModelTreeWidget::iconOf(const std::string& image) {
    // Made once per image: the style reads its pictures from files each time.
    if (auto cached = m_icons.find(image); cached != m_icons.end()) return cached->second;
    static const std::map<std::string, QStyle::StandardPixmap> kPixmaps = {
        {"Database", QStyle::SP_DriveHDIcon},  {"Table", QStyle::SP_FileDialogDetailedView},
        {"Column", QStyle::SP_FileIcon},       {"ColumnMap", QStyle::SP_FileLinkIcon},
        {"CatItem", QStyle::SP_DirIcon},       {"Disco", QStyle::SP_DriveNetIcon},
        {"Alpha", QStyle::SP_DialogYesButton}, {"Num", QStyle::SP_DialogYesButton},
        {"Date", QStyle::SP_DialogYesButton},  {"Curr", QStyle::SP_DialogYesButton},
        {"Email", QStyle::SP_DialogYesButton}, {"Web", QStyle::SP_DialogYesButton},
    };
    QIcon icon;
    if (auto found = kPixmaps.find(image); found != kPixmaps.end()) {
        icon = style()->standardIcon(found->second);
    } else {
        // A node without a picture (a separator) keeps its text in line with its siblings'.
        int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
        QPixmap blank(size, size);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    }
    return m_icons[image] = icon;
}

void ModelTreeWidget::mousePressEvent(QMouseEvent* event) {
    std::string key = keyAt(event->position().toPoint());
    QTreeWidget::mousePressEvent(event);
    if (onPress) onPress(key, event->button(), event->globalPosition().toPoint());
}

void ModelTreeWidget::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    bool withinWindow = event->reason() == Qt::MouseFocusReason || event->reason() == Qt::TabFocusReason ||
                        event->reason() == Qt::BacktabFocusReason || event->reason() == Qt::OtherFocusReason;
    if (withinWindow && onFocusLost) onFocusLost();
}

void ModelTreeWidget::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (onRelease) onRelease(event->button());
}

void ModelTreeWidget::startDrag(Qt::DropActions) {
    if (!canDrag || !canDrag()) return;
    QTreeWidgetItem* item = currentItem();
    if (!item) return;
    auto* mime = new QMimeData;
    mime->setData(kSourceNodeMime, QByteArray::fromStdString(keyOf(item)));

    // The node as it looks, under the pointer.
    QFontMetrics metrics(font());
    int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize);
    QPixmap picture(iconSize + 6 + metrics.horizontalAdvance(item->text(0)), std::max(iconSize, metrics.height()) + 2);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    item->icon(0).paint(&painter, QRect(0, 1, iconSize, iconSize));
    painter.setFont(font());
    painter.drawText(QRect(iconSize + 4, 0, picture.width(), picture.height()), Qt::AlignVCenter, item->text(0));
    painter.end();

    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(picture);
    drag->exec(Qt::CopyAction);
}

bool ModelTreeWidget::carriesSourceNode(const QDropEvent* event) const {
    return onDragOver && event->mimeData() && event->mimeData()->hasFormat(kSourceNodeMime);
}

void ModelTreeWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (!carriesSourceNode(event)) {
        event->ignore();
        return;
    }
    m_dragOverKey.reset();
    setState(QAbstractItemView::DraggingState);
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ModelTreeWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (!carriesSourceNode(event)) {
        event->ignore();
        return;
    }
    QTreeWidget::dragMoveEvent(event);  // scrolls near the edges
    std::string key = keyAt(event->position().toPoint());
    if (m_dragOverKey != key) {
        m_dragOverKey = key;
        onDragOver(key);
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void ModelTreeWidget::dragLeaveEvent(QDragLeaveEvent* event) {
    QTreeWidget::dragLeaveEvent(event);
    if (m_dragOverKey && onDragOver) {
        m_dragOverKey.reset();
        onDragOver("");  // nothing under the pointer any more
    }
}

void ModelTreeWidget::dropEvent(QDropEvent* event) {
    if (!carriesSourceNode(event) || !onDrop) {
        event->ignore();
        return;
    }
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
    m_dragOverKey.reset();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The drop may ask questions: they wait until the platform's drag has ended.
    QTimer::singleShot(0, this, [this] { onDrop(); });
}

}  // namespace koru::ui
