#include "ui/table_link_widget.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {

namespace {

// A table choice over that table's columns.
QVBoxLayout* tableColumn(QComboBox* tables, QListWidget* columns) {
    tables->setMaxVisibleItems(20);
    auto* layout = new QVBoxLayout;
    layout->setSpacing(6);
    layout->addWidget(tables);
    layout->addWidget(columns, 1);
    return layout;
}

}  // namespace

TableLinkWidget::TableLinkWidget(editor::TableLinkDialog& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    setFixedSize(620, 460);
    m_lblTitle = new QLabel(this);

    m_cboSTable = new QComboBox(this);
    m_lstDB1 = new QListWidget(this);
    m_cboTable = new QComboBox(this);
    m_lstDB2 = new QListWidget(this);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(18);
    columns->addLayout(tableColumn(m_cboSTable, m_lstDB1), 1);
    columns->addLayout(tableColumn(m_cboTable, m_lstDB2), 1);

    m_cmdAdd = new QPushButton(this);
    m_cmdAdd->setMinimumWidth(160);
    auto* addRow = new QHBoxLayout;
    addRow->addStretch();
    addRow->addWidget(m_cmdAdd);
    addRow->addStretch();

    m_lstLinks = new QListWidget(this);

    m_cmdRemoveLink = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    m_cmdRemoveLink->setMinimumWidth(110);
    m_cmdExit->setMinimumWidth(160);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);  // nested layouts would take the outer layout's zero spacing
    buttons->addWidget(m_cmdRemoveLink);
    buttons->addStretch();
    buttons->addWidget(m_cmdExit);

    auto* page = new QVBoxLayout;
    page->addLayout(columns, 3);
    page->addLayout(addRow);
    page->addWidget(m_lstLinks, 2);
    page->addLayout(buttons);
    dialogPage(this, m_lblTitle, page);

    connect(m_cboSTable, &QComboBox::activated, this, [this](int index) {
        m_model.cboSTable.listIndex = index;
        m_model.cboSTable.text = m_cboSTable->itemText(index).toStdString();
        handle([this] { m_model.cboSTable_Click(); });
    });
    connect(m_cboTable, &QComboBox::activated, this, [this](int index) {
        m_model.cboTable.listIndex = index;
        m_model.cboTable.text = m_cboTable->itemText(index).toStdString();
        handle([this] { m_model.cboTable_Click(); });
    });
    connect(m_lstDB1, &QListWidget::currentRowChanged, this, [this](int row) { m_model.lstDB1.listIndex = row; });
    connect(m_lstDB2, &QListWidget::currentRowChanged, this, [this](int row) { m_model.lstDB2.listIndex = row; });
    connect(m_lstLinks, &QListWidget::currentRowChanged, this, [this](int row) { m_model.lstLinks.listIndex = row; });
    connect(m_cmdAdd, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdAdd_Click(); }); });
    connect(m_cmdRemoveLink, &QPushButton::clicked, this,
            [this] { handle([this] { m_model.cmdRemoveLink_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
}

void TableLinkWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_cboSTable, m_model.cboSTable);
    bind(m_lstDB1, m_model.lstDB1);
    bind(m_cboTable, m_model.cboTable);
    bind(m_lstDB2, m_model.lstDB2);
    bind(m_lstLinks, m_model.lstLinks);
    bind(m_cmdAdd, m_model.cmdAdd);
    bind(m_cmdRemoveLink, m_model.cmdRemoveLink);
    bind(m_cmdExit, m_model.cmdExit);
}

void TableLinkWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (m_host.repainting()) return;  // as for every window: not while a handler is running below
    handle([this] { m_model.cmdExit_Click(); });
}

}  // namespace koru::ui
