#include "ui/drag_map_widget.h"

#include <QCursor>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>
#include <map>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {
namespace {

using editor::DestinationTree;
using editor::kDestinationTrees;
using editor::MouseButton;

constexpr std::size_t kDiscoveryTab = 4;  // counted from 0
constexpr std::size_t kKnowledgeBaseTab = 7;

QIcon toolIcon(QStyle* style, const std::string& key) {
    static const std::map<std::string, QStyle::StandardPixmap> kPixmaps = {
        {"ID_SaveMapping", QStyle::SP_DialogSaveButton},
        {"ID_AddDataClause", QStyle::SP_FileDialogContentsView},
        {"ID_AddNewStyle", QStyle::SP_FileDialogNewFolder},
        {"ID_SelectParent", QStyle::SP_FileDialogToParent},
        {"ID_TableLink", QStyle::SP_FileLinkIcon},
    };
    auto found = kPixmaps.find(key);
    return style->standardIcon(found == kPixmaps.end() ? QStyle::SP_CommandLink : found->second);
}

}  // namespace

DragMapWidget::DragMapWidget(editor::DragMapScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    m_lblTitle = new QLabel(this);

    m_toolbar = new QToolBar(this);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolbar->setIconSize(QSize(16, 16));

    m_lblStructureLevel = new QLabel(this);
    m_cboStructure = new QComboBox(this);
    m_cboStructure->setMinimumWidth(200);
    m_lblStyle = new QLabel(this);
    m_cboStyle = new QComboBox(this);
    m_cboStyle->setMinimumWidth(180);
    m_chkFLY = new QCheckBox(this);
    m_lblStructureLevel->setBuddy(m_cboStructure);
    m_lblStyle->setBuddy(m_cboStyle);
    auto* choices = new QHBoxLayout;
    choices->setSpacing(6);
    choices->addWidget(m_lblStructureLevel);
    choices->addWidget(m_cboStructure);
    choices->addSpacing(18);
    choices->addWidget(m_lblStyle);
    choices->addWidget(m_cboStyle);
    choices->addSpacing(18);
    choices->addWidget(m_chkFLY);
    choices->addStretch();

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    m_fraSource = new QGroupBox(splitter);
    m_tvSource = new ModelTreeWidget(m_model.tvSource, m_fraSource);
    m_tvSource->setLazyImage("Table");
    m_tvSource->setDragEnabled(true);
    m_tvSource->setDragDropMode(QAbstractItemView::DragOnly);
    auto* source = new QVBoxLayout(m_fraSource);
    source->setContentsMargins(6, 6, 6, 6);
    source->addWidget(m_tvSource);

    m_fraDestin = new QGroupBox(splitter);
    m_ssTab1 = new QTabWidget(m_fraDestin);
    m_ssTab1->setStyleSheet("QTabBar::tab { padding: 4px 5px; }");  // eight captions in one row
    QFont fixedWidth = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (std::size_t i = 0; i < m_destinations.size(); ++i) {
        auto* page = new QWidget(m_ssTab1);
        auto* tree = new ModelTreeWidget(m_model.tree(kDestinationTrees[i]), page, true);
        tree->setFont(fixedWidth);  // labels are padded to a fixed width
        tree->setAcceptDrops(true);
        tree->setDragDropMode(QAbstractItemView::DropOnly);
        m_destinations[i] = tree;
        if (i == kKnowledgeBaseTab) {
            // The categories lie over the knowledge-base fields while a category is chosen.
            m_treCat = new ModelTreeWidget(m_model.treCat, page);
            auto* overlay = new QGridLayout(page);
            overlay->setContentsMargins(6, 6, 6, 6);
            overlay->addWidget(tree, 0, 0);
            overlay->addWidget(m_treCat, 0, 0);
        } else if (i == kDiscoveryTab) {
            m_lblDiscovery = new QLabel(page);
            m_cboDiscovery = new QComboBox(page);
            m_cboDiscovery->setMinimumWidth(220);
            m_lblDiscovery->setBuddy(m_cboDiscovery);
            m_chkMakeDefaultEXL = new QCheckBox(page);
            auto* application = new QHBoxLayout;
            application->addWidget(m_lblDiscovery);
            application->addWidget(m_cboDiscovery);
            application->addStretch();
            auto* layout = new QVBoxLayout(page);
            layout->setContentsMargins(6, 6, 6, 6);
            layout->addLayout(application);
            layout->addWidget(tree);
            layout->addWidget(m_chkMakeDefaultEXL);
        } else {
            auto* layout = new QVBoxLayout(page);
            layout->setContentsMargins(6, 6, 6, 6);
            layout->addWidget(tree);
        }
        m_ssTab1->addTab(page, QString());
    }

    auto* destination = new QVBoxLayout(m_fraDestin);
    destination->setContentsMargins(6, 6, 6, 6);
    destination->addWidget(m_ssTab1);
    splitter->addWidget(m_fraSource);
    splitter->addWidget(m_fraDestin);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({230, 642});

    m_popup = new QMenu(this);
    m_menuRemoveMapping = m_popup->addAction(QString());
    m_menuRename = m_popup->addAction(QString());

    auto* page = new QVBoxLayout;
    page->setSpacing(8);
    page->addWidget(m_toolbar);
    page->addLayout(choices);
    page->addWidget(splitter, 1);
    m_cmdBack = new QPushButton(this);
    m_cmdNext = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    wizardPage(this, m_lblTitle, page, m_cmdBack, m_cmdNext, m_cmdExit);
    // The trees may want more room: this page alone can grow.
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    connect(m_cboStructure, &QComboBox::activated, this, [this](int index) {
        m_model.cboStructure.listIndex = index;
        m_model.cboStructure.text = m_cboStructure->itemText(index).toStdString();
        handle([this] { m_model.cboStructure_Click(); });
    });
    connect(m_cboStyle, &QComboBox::activated, this, [this](int index) {
        m_model.cboStyle.listIndex = index;
        handle([this] { m_model.cboStyle_Click(); });
    });
    connect(m_cboDiscovery, &QComboBox::activated, this, [this](int index) {
        m_model.cboDiscovery.listIndex = index;
        handle([this] { m_model.cboDiscovery_Click(); });
    });
    connect(m_chkFLY, &QCheckBox::clicked, this, [this](bool checked) {
        m_model.chkFLY.value = checked;
        handle([this] { m_model.chkFLY_Click(); });
    });
    connect(m_chkMakeDefaultEXL, &QCheckBox::clicked, this, [this](bool checked) {
        m_model.chkMakeDefaultEXL.value = checked;
        handle([this] { m_model.chkMakeDefaultEXL_Click(); });
    });
    connect(m_ssTab1, &QTabWidget::currentChanged, this, [this](int index) { m_model.ssTab1.tab = index + 1; });

    m_tvSource->onExpand = [this](const std::string& key) { handle([&] { m_model.tvSource_Expand(key); }); };
    m_tvSource->onPress = [this](const std::string& key, Qt::MouseButton, const QPoint&) {
        handle([&] { m_model.tvSource_MouseDown(key); });
    };
    m_tvSource->onRelease = [this](Qt::MouseButton button) {
        if (button != Qt::LeftButton && button != Qt::RightButton) return;
        handle([&] { m_model.tvSource_MouseUp(button == Qt::RightButton ? MouseButton::Right : MouseButton::Left); });
        if (!this->model() || !m_model.sourcePopupShown) return;
        // A table's menu: its first rows or all of them in the data viewer.
        QMenu menu(this);
        QAction* first = menu.addAction(QStringLiteral("View Data"));
        QAction* all = menu.addAction(QStringLiteral("View &All Data"));
        QAction* chosen = menu.exec(QCursor::pos());
        m_model.sourcePopupShown = false;
        if (chosen == first) handle([this] { m_model.Menu_Source_Popup_View_Data(); });
        if (chosen == all) handle([this] { m_model.mnuViewAllData(); });
    };
    m_tvSource->canDrag = [this] { return this->model() && m_model.tvSource_CanDrag(); };
    connect(m_tvSource, &QTreeWidget::itemDoubleClicked, this,
            [this] { handle([this] { m_model.tvSource_DblClick(); }); });

    for (std::size_t i = 0; i < m_destinations.size(); ++i) {
        DestinationTree which = kDestinationTrees[i];
        ModelTreeWidget* tree = m_destinations[i];
        tree->onPress = [this, which](const std::string& key, Qt::MouseButton button, const QPoint& at) {
            pressDestination(which, key, button, at);
        };
        tree->onDragOver = [this, which](const std::string& key) {
            handle([&] { m_model.Style_Drag_Over(which, key); });
        };
        tree->onDrop = [this, which] { handle([&] { m_model.Style_Drag_Drop(which); }); };
    }
    connect(m_destinations[kKnowledgeBaseTab], &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        std::string key = m_destinations[kKnowledgeBaseTab]->keyOf(item);
        handle([&] { m_model.tvKB_NodeClick(key); });
    });
    connect(m_treCat, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        std::string key = m_treCat->keyOf(item);
        handle([&] { m_model.treCat_NodeClick(key); });
    });
    m_treCat->onFocusLost = [this] {
        if (m_treCat->isVisible()) handle([this] { m_model.treCat_LostFocus(); });
    };

    connect(m_cmdBack, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBack_Click(); }); });
    connect(m_cmdNext, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdNext_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
}

void DragMapWidget::pressDestination(DestinationTree which, const std::string& key, Qt::MouseButton button,
                                     const QPoint& globalPosition) {
    if (button != Qt::LeftButton && button != Qt::RightButton) return;
    MouseButton pressed = button == Qt::RightButton ? MouseButton::Right : MouseButton::Left;
    handle([&] { m_model.Style_MouseDown(which, pressed, key); });
    if (!model() || !m_model.popupShown) return;
    m_menuRemoveMapping->setText(qtText(m_model.Menu_Remove_Mapping.caption));
    m_menuRemoveMapping->setEnabled(m_model.Menu_Remove_Mapping.enabled);
    m_menuRemoveMapping->setVisible(m_model.Menu_Remove_Mapping.visible);
    m_menuRename->setText(qtText(m_model.Menu_Rename.caption));
    m_menuRename->setEnabled(m_model.Menu_Rename.enabled);
    m_menuRename->setVisible(m_model.Menu_Rename.visible);
    QAction* chosen = m_popup->exec(globalPosition);
    if (!model()) return;
    m_model.popupShown = false;
    if (chosen == m_menuRemoveMapping) {
        handle([this] { m_model.Menu_Remove_Mapping_Click(); });
    } else if (chosen == m_menuRename) {
        handle([this] { m_model.Menu_Rename_Click(); });
    }
}

void DragMapWidget::syncToolbar() {
    const std::vector<wizard::ToolbarTool>& tools = m_model.SSActiveToolBars1.tools;
    QList<QAction*> actions = m_toolbar->actions();
    bool same = actions.size() == static_cast<qsizetype>(tools.size());
    for (std::size_t i = 0; same && i < tools.size(); ++i) same = actions[i]->data().toString() == qtText(tools[i].key);
    if (!same) {
        qDeleteAll(actions);
        for (const wizard::ToolbarTool& tool : tools) {
            QAction* action = m_toolbar->addAction(toolIcon(style(), tool.key), QString());
            action->setData(qtText(tool.key));
            std::string key = tool.key;
            connect(action, &QAction::triggered, this, [this, key] { handle([&] { m_model.ToolClick(key); }); });
        }
        actions = m_toolbar->actions();
    }
    for (std::size_t i = 0; i < tools.size(); ++i) {
        actions[i]->setText(qtText(tools[i].caption));
        actions[i]->setToolTip(qtText(tools[i].caption));
        actions[i]->setEnabled(tools[i].enabled);
    }
    bindCommon(m_toolbar, m_model.SSActiveToolBars1);
}

void DragMapWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    syncToolbar();
    bind(m_lblStructureLevel, m_model.lblStructureLevel);
    bind(m_cboStructure, m_model.cboStructure);
    bind(m_lblStyle, m_model.lblStyle);
    bind(m_cboStyle, m_model.cboStyle);
    bind(m_chkFLY, m_model.chkFLY);
    bind(m_fraSource, m_model.fraSource);
    m_tvSource->mirror();

    bind(m_fraDestin, m_model.fraDestin);
    {
        QSignalBlocker quiet(m_ssTab1);
        const auto& tabs = m_model.ssTab1.tabs;
        for (int i = 0; i < m_ssTab1->count(); ++i) {
            bool known = i < static_cast<int>(tabs.size());
            m_ssTab1->setTabText(i, known ? qtText(tabs[i].caption) : QString());
            m_ssTab1->setTabEnabled(i, known && tabs[i].enabled);
        }
        // After the enabled states: disabling the current tab makes Qt move to another one.
        m_ssTab1->setCurrentIndex(m_model.ssTab1.tab - 1);
        bindCommon(m_ssTab1, m_model.ssTab1);
    }
    for (ModelTreeWidget* tree : m_destinations) tree->mirror();
    bool categoriesShown = m_treCat->isVisible();
    m_treCat->mirror();
    // Shown for a choice: it takes the focus, so that leaving it hides it again.
    if (!categoriesShown && m_model.treCat.visible && m_treCat->isVisibleTo(this)) m_treCat->setFocus();
    bind(m_lblDiscovery, m_model.lblDiscovery);
    bind(m_cboDiscovery, m_model.cboDiscovery);
    bind(m_chkMakeDefaultEXL, m_model.chkMakeDefaultEXL);

    bind(m_cmdBack, m_model.cmdBack);
    bind(m_cmdNext, m_model.cmdNext);
    bind(m_cmdExit, m_model.cmdExit);
}

}  // namespace koru::ui
