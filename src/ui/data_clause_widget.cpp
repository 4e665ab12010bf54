#include "ui/data_clause_widget.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {

DataClauseWidget::DataClauseWidget(editor::DataClauseDialog& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    setFixedSize(620, 440);
    m_lblTitle = new QLabel(this);

    m_fraMappings = new QGroupBox(this);
    m_cboTable = new QComboBox(m_fraMappings);
    m_cboTable->setMaxVisibleItems(20);
    m_lstDB2 = new QListWidget(m_fraMappings);
    m_cboOperator = new QComboBox(m_fraMappings);
    m_lblCriteria = new QLabel(m_fraMappings);
    m_cboCriteria = new QComboBox(m_fraMappings);
    m_cboCriteria->setEditable(true);
    // The value is the model's: no completion from the list, no entries added by Enter.
    m_cboCriteria->setCompleter(nullptr);
    m_cboCriteria->setInsertPolicy(QComboBox::NoInsert);
    m_lblCriteria->setBuddy(m_cboCriteria);
    m_cboAndOr = new QComboBox(m_fraMappings);
    m_cboAndOr->setMinimumWidth(90);
    // Shown once a clause exists; the rows around it stay where they are.
    QSizePolicy andOrPolicy = m_cboAndOr->sizePolicy();
    andOrPolicy.setRetainSizeWhenHidden(true);
    m_cboAndOr->setSizePolicy(andOrPolicy);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    column->addWidget(m_cboTable);
    column->addWidget(m_lstDB2, 1);
    auto* clause = new QGridLayout;
    clause->setHorizontalSpacing(8);
    clause->setVerticalSpacing(10);
    clause->addWidget(m_cboOperator, 0, 1);
    clause->addWidget(m_lblCriteria, 1, 0);
    clause->addWidget(m_cboCriteria, 1, 1);
    clause->addWidget(m_cboAndOr, 2, 1, Qt::AlignLeft);
    clause->setColumnStretch(1, 1);
    clause->setRowStretch(3, 1);
    auto* mappings = new QHBoxLayout(m_fraMappings);
    mappings->setContentsMargins(10, 10, 10, 10);
    mappings->setSpacing(18);
    mappings->addLayout(column, 1);
    mappings->addLayout(clause, 1);

    m_lstDataClauses = new QListWidget(this);
    m_upDown1Up = new QToolButton(this);
    m_upDown1Up->setArrowType(Qt::UpArrow);
    m_upDown1Down = new QToolButton(this);
    m_upDown1Down->setArrowType(Qt::DownArrow);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(2);
    arrows->addWidget(m_upDown1Up);
    arrows->addWidget(m_upDown1Down);
    arrows->addStretch();
    auto* clauses = new QHBoxLayout;
    clauses->setSpacing(4);
    clauses->addWidget(m_lstDataClauses, 1);
    clauses->addLayout(arrows);

    m_cmdAdd = new QPushButton(this);
    m_cmdRemove = new QPushButton(this);
    m_cmdUpdate = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    m_cmdAdd->setDefault(true);  // Enter in the value box adds the clause
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);  // nested layouts would take the outer layout's zero spacing
    buttons->addStretch();
    for (QPushButton* button : {m_cmdAdd, m_cmdRemove, m_cmdUpdate}) {
        button->setMinimumWidth(90);
        buttons->addWidget(button);
    }
    buttons->addSpacing(12);
    m_cmdExit->setMinimumWidth(90);
    buttons->addWidget(m_cmdExit);

    auto* page = new QVBoxLayout;
    page->addWidget(m_fraMappings, 3);
    page->addLayout(clauses, 2);
    page->addLayout(buttons);
    dialogPage(this, m_lblTitle, page);

    connect(m_cboTable, &QComboBox::activated, this, [this](int index) {
        m_model.cboTable.listIndex = index;
        m_model.cboTable.text = m_cboTable->itemText(index).toStdString();
        handle([this] { m_model.cboTable_Click(); });
    });
    connect(m_lstDB2, &QListWidget::currentRowChanged, this, [this](int row) {
        m_model.lstDB2.listIndex = row;
        handle([this] { m_model.lstDB2_Click(); });
    });
    connect(m_cboOperator, &QComboBox::activated, this, [this](int index) {
        m_model.cboOperator.listIndex = index;
        m_model.cboOperator.text = m_cboOperator->itemText(index).toStdString();
        handle([this] { m_model.cboCriteria_Change(); });
    });
    connect(m_cboCriteria->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
        m_model.cboCriteria.text = text.toStdString();
        m_model.cboCriteria.selStart = m_cboCriteria->lineEdit()->cursorPosition();
        handle([this] { m_model.cboCriteria_Change(); });
    });
    connect(m_cboCriteria, &QComboBox::activated, this, [this](int index) {
        m_model.cboCriteria.listIndex = index;
        m_model.cboCriteria.text = m_cboCriteria->itemText(index).toStdString();
        handle([this] { m_model.cboCriteria_Click(); });
    });
    connect(m_cboAndOr, &QComboBox::activated, this, [this](int index) {
        m_model.cboAndOr.listIndex = index;
        m_model.cboAndOr.text = m_cboAndOr->itemText(index).toStdString();
    });
    connect(m_lstDataClauses, &QListWidget::currentRowChanged, this, [this](int row) {
        m_model.lstDataClauses.listIndex = row;
        handle([this] { m_model.lstDataClauses_Click(); });
    });
    connect(m_lstDataClauses, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        m_model.lstDataClauses.listIndex = m_lstDataClauses->row(item);
        handle([this] { m_model.lstDataClauses_DblClick(); });
    });
    connect(m_upDown1Up, &QToolButton::clicked, this, [this] { handle([this] { m_model.UpDown1_UpClick(); }); });
    connect(m_upDown1Down, &QToolButton::clicked, this, [this] { handle([this] { m_model.UpDown1_DownClick(); }); });
    connect(m_cmdAdd, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdAdd_Click(); }); });
    connect(m_cmdRemove, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdRemove_Click(); }); });
    connect(m_cmdUpdate, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdUpdate_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
}

void DataClauseWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_fraMappings, m_model.fraMappings);
    bind(m_cboTable, m_model.cboTable);
    bind(m_lstDB2, m_model.lstDB2);
    bind(m_cboOperator, m_model.cboOperator);
    bind(m_lblCriteria, m_model.lblCriteria);
    bool replaced = m_cboCriteria->currentText().toStdString() != m_model.cboCriteria.text;
    bind(m_cboCriteria, m_model.cboCriteria);
    // Replacing the text puts the caret at the end; the model says where it belongs.
    if (replaced) m_cboCriteria->lineEdit()->setCursorPosition(m_model.cboCriteria.selStart);
    bind(m_cboAndOr, m_model.cboAndOr);
    bind(m_lstDataClauses, m_model.lstDataClauses);
    bind(m_cmdAdd, m_model.cmdAdd);
    bind(m_cmdRemove, m_model.cmdRemove);
    bind(m_cmdUpdate, m_model.cmdUpdate);
    bind(m_cmdExit, m_model.cmdExit);
}

}  // namespace koru::ui
