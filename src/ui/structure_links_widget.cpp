#include "ui/structure_links_widget.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {

StructureLinksWidget::StructureLinksWidget(editor::StructureLinksScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    m_lblTitle = new QLabel(this);
    m_lblInstruct = new QLabel(this);
    m_lblInstruct->setWordWrap(true);
    m_lblIdentifier = new QLabel(this);
    m_lstSummary = new QListWidget(this);
    m_lstSummary->setSelectionMode(QAbstractItemView::NoSelection);  // read only: a summary

    m_fraDataSource = new QGroupBox(this);
    m_fraLink1 = linkFrame(m_fraDataSource, m_cboLink1, m_lstLink1);
    m_fraLink2 = linkFrame(m_fraDataSource, m_cboLink2, m_lstLink2);
    // Equal stretches either side: with the first frame hidden the second stands in the middle.
    auto* links = new QHBoxLayout(m_fraDataSource);
    links->setContentsMargins(10, 10, 10, 10);
    links->setSpacing(24);
    links->addStretch(1);
    links->addWidget(m_fraLink1);
    links->addWidget(m_fraLink2);
    links->addStretch(1);

    m_cmdAddLink = new QPushButton(this);
    m_cmdAddLink->setMinimumWidth(160);
    auto* addRow = new QHBoxLayout;
    addRow->addStretch();
    addRow->addWidget(m_cmdAddLink);
    addRow->addStretch();

    auto* page = new QVBoxLayout;
    page->setSpacing(8);
    page->addWidget(m_lblInstruct);
    page->addWidget(m_lblIdentifier);
    page->addWidget(m_fraDataSource, 1);
    page->addWidget(m_lstSummary, 1);
    page->addLayout(addRow);
    m_cmdBack = new QPushButton(this);
    m_cmdNext = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    wizardPage(this, m_lblTitle, page, m_cmdBack, m_cmdNext, m_cmdExit);
    m_cmdNext->setDefault(false);  // the model says when

    connect(m_cboLink1, &QComboBox::activated, this, [this](int index) {
        m_model.cboLink1.listIndex = index;
        m_model.cboLink1.text = m_cboLink1->itemText(index).toStdString();
        handle([this] { m_model.cboLink1_Click(); });
    });
    connect(m_cboLink2, &QComboBox::activated, this, [this](int index) {
        m_model.cboLink2.listIndex = index;
        m_model.cboLink2.text = m_cboLink2->itemText(index).toStdString();
        handle([this] { m_model.cboLink2_Click(); });
    });
    connect(m_lstLink1, &QListWidget::currentRowChanged, this, [this](int row) { m_model.lstLink1.listIndex = row; });
    connect(m_lstLink2, &QListWidget::currentRowChanged, this, [this](int row) { m_model.lstLink2.listIndex = row; });
    connect(m_cmdAddLink, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdAddLink_Click(); }); });
    connect(m_cmdBack, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBack_Click(); }); });
    connect(m_cmdNext, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdNext_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
}

QGroupBox* StructureLinksWidget::linkFrame(QWidget* parent, QComboBox*& tables, QListWidget*& columns) {
    auto* frame = new QGroupBox(parent);
    frame->setFixedWidth(270);
    tables = new QComboBox(frame);
    tables->setMaxVisibleItems(20);
    columns = new QListWidget(frame);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(tables);
    layout->addWidget(columns, 1);
    return frame;
}

void StructureLinksWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_lblInstruct, m_model.lblInstruct);
    bind(m_lblIdentifier, m_model.lblIdentifier);
    bind(m_lstSummary, m_model.lstSummary);
    bind(m_fraDataSource, m_model.fraDataSource);
    bind(m_fraLink1, m_model.fraLink1);
    bind(m_cboLink1, m_model.cboLink1);
    bind(m_lstLink1, m_model.lstLink1);
    bind(m_fraLink2, m_model.fraLink2);
    bind(m_cboLink2, m_model.cboLink2);
    bind(m_lstLink2, m_model.lstLink2);
    bind(m_cmdAddLink, m_model.cmdAddLink);
    bind(m_cmdBack, m_model.cmdBack);
    bind(m_cmdNext, m_model.cmdNext);
    bind(m_cmdExit, m_model.cmdExit);
    // A focused button would take Enter from the default one.
    if (m_model.cmdNextDefault && !m_cmdNext->isDefault()) m_cmdNext->setFocus();
    m_cmdNext->setDefault(m_model.cmdNextDefault);
}

}  // namespace koru::ui
