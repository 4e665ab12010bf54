#include "ui/parent_widgets.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"

namespace koru::ui {
namespace {

// OK and Exit at the bottom right.
QHBoxLayout* okExitRow(QPushButton* ok, QPushButton* exit) {
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    for (QPushButton* button : {ok, exit}) {
        button->setMinimumWidth(90);
        buttons->addWidget(button);
    }
    return buttons;
}

}  // namespace

ParentWidget::ParentWidget(editor::ParentDialog& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model), m_SSTree1(model.SSTree1, this) {
    setFixedSize(640, 460);

    m_fraSelectParent = new QGroupBox(this);
    m_lblCurrentParent = new QLabel(m_fraSelectParent);
    m_lblCurrentParent->setWordWrap(true);
    auto* selectParent = new QVBoxLayout(m_fraSelectParent);
    selectParent->setContentsMargins(10, 10, 10, 10);
    selectParent->setSpacing(8);
    selectParent->addWidget(m_SSTree1.view(), 1);
    selectParent->addWidget(m_lblCurrentParent);

    m_fraMatchParent = new QGroupBox(this);
    m_lstSourceParent = new QListWidget(m_fraMatchParent);
    m_cboStyle = new QComboBox(m_fraMatchParent);
    m_cboStyle->setMaxVisibleItems(20);
    m_lstDestinParent = new QListWidget(m_fraMatchParent);
    auto* matchParent = new QVBoxLayout(m_fraMatchParent);
    matchParent->setContentsMargins(10, 10, 10, 10);
    matchParent->setSpacing(8);
    matchParent->addWidget(m_lstSourceParent, 1);
    matchParent->addWidget(m_cboStyle);
    matchParent->addWidget(m_lstDestinParent, 1);

    auto* groups = new QHBoxLayout;
    groups->setSpacing(12);
    groups->addWidget(m_fraSelectParent, 1);
    groups->addWidget(m_fraMatchParent, 1);

    m_cmdOK = new QPushButton(this);
    m_cmdCancel = new QPushButton(this);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(14, 12, 14, 12);
    page->setSpacing(10);
    page->addLayout(groups, 1);
    page->addLayout(okExitRow(m_cmdOK, m_cmdCancel));

    m_SSTree1.onExpand = [this](const std::string& key) { handle([&] { m_model.SSTree1_Expand(key); }); };
    m_SSTree1.onCollapse = [this](const std::string& key) { handle([&] { m_model.SSTree1_Collapse(key); }); };
    connect(m_lstSourceParent, &QListWidget::currentRowChanged, this,
            [this](int row) { m_model.lstSourceParent.listIndex = row; });
    connect(m_cboStyle, &QComboBox::activated, this, [this](int index) {
        m_model.cboStyle.listIndex = index;
        m_model.cboStyle.text = m_cboStyle->itemText(index).toStdString();
        handle([this] { m_model.cboStyle_Click(); });
    });
    connect(m_lstDestinParent, &QListWidget::currentRowChanged, this,
            [this](int row) { m_model.lstDestinParent.listIndex = row; });
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdOK_Click(); }); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdCancel_Click(); }); });
}

void ParentWidget::syncControls() {
    bind(m_fraSelectParent, m_model.fraSelectParent);
    m_SSTree1.mirror();
    bind(m_lblCurrentParent, m_model.lblCurrentParent);
    bind(m_fraMatchParent, m_model.fraMatchParent);
    bind(m_lstSourceParent, m_model.lstSourceParent);
    bind(m_cboStyle, m_model.cboStyle);
    bind(m_lstDestinParent, m_model.lstDestinParent);
    bind(m_cmdOK, m_model.cmdOK);
    bind(m_cmdCancel, m_model.cmdCancel);
}

NewParentWidget::NewParentWidget(editor::NewParentDialog& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model), m_SSTree1(model.SSTree1, this) {
    setFixedSize(420, 460);
    m_cmdOK = new QPushButton(this);
    m_cmdCancel = new QPushButton(this);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(14, 12, 14, 12);
    page->setSpacing(10);
    page->addWidget(m_SSTree1.view(), 1);
    page->addLayout(okExitRow(m_cmdOK, m_cmdCancel));

    m_SSTree1.onExpand = [this](const std::string& key) { handle([&] { m_model.SSTree1_Expand(key); }); };
    m_SSTree1.onCollapse = [this](const std::string& key) { handle([&] { m_model.SSTree1_Collapse(key); }); };
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdOK_Click(); }); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdCancel_Click(); }); });
}

void NewParentWidget::syncControls() {
    m_SSTree1.mirror();
    bind(m_cmdOK, m_model.cmdOK);
    bind(m_cmdCancel, m_model.cmdCancel);
}

void NewParentWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_host.repainting()) return;  // as for every window: not while a handler is running below
    handle([this] { m_model.cmdCancel_Click(); });
}

}  // namespace koru::ui
