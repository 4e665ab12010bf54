#include "ui/source_viewer_widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "ui/bindings.h"

namespace koru::ui {

DataViewWidget::DataViewWidget(editor::DataViewDialog& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    resize(760, 480);
    setSizeGripEnabled(true);
    m_rows = new DataViewRows(model, this);
    m_gridExam = new QTableView(this);
    m_gridExam->setModel(m_rows);
    m_gridExam->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gridExam->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_gridExam->setAlternatingRowColors(true);
    m_gridExam->setWordWrap(false);
    m_gridExam->verticalHeader()->setDefaultSectionSize(m_gridExam->fontMetrics().height() + 6);
    // Long text would push every other column out of sight; the user can still widen it.
    m_gridExam->horizontalHeader()->setMaximumSectionSize(360);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_gridExam);
}

void DataViewWidget::syncControls() {
    m_rows->sync();
    if (m_sizedFor != m_model.columns) {
        m_sizedFor = m_model.columns;
        m_gridExam->resizeColumnsToContents();
        m_gridExam->scrollToTop();
    }
}

ColumnPropertiesWidget::ColumnPropertiesWidget(editor::ColumnPropertiesDialog& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    setFixedSize(420, 220);
    m_lblName = new QLabel(this);
    m_lblDataType = new QLabel(this);
    m_lblLength = new QLabel(this);
    m_lblPrimaryKey = new QLabel(this);
    m_txtName = new QLineEdit(this);
    m_txtDataType = new QLineEdit(this);
    m_txtLength = new QLineEdit(this);
    m_lblName->setBuddy(m_txtName);
    m_lblDataType->setBuddy(m_txtDataType);
    m_lblLength->setBuddy(m_txtLength);
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(8);
    int row = 0;
    for (auto [label, field] : {std::pair<QLabel*, QLineEdit*>{m_lblName, m_txtName},
                                {m_lblDataType, m_txtDataType},
                                {m_lblLength, m_txtLength},
                                {m_lblPrimaryKey, nullptr}}) {
        fields->addWidget(label, row, 0);
        if (field) fields->addWidget(field, row, 1);
        ++row;
    }
    fields->setColumnStretch(1, 1);

    m_cmdOK = new QPushButton(this);
    m_cmdOK->setDefault(true);
    m_cmdOK->setMinimumWidth(90);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(14, 12, 14, 12);
    page->setSpacing(10);
    page->addLayout(fields);
    page->addStretch();
    page->addLayout(buttons);

    connect(m_cmdOK, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdOK_Click(); }); });
}

void ColumnPropertiesWidget::syncControls() {
    bind(m_lblName, m_model.lblName);
    bind(m_lblDataType, m_model.lblDataType);
    bind(m_lblLength, m_model.lblLength);
    bind(m_lblPrimaryKey, m_model.lblPrimaryKey);
    bind(m_txtName, m_model.txtName);
    bind(m_txtDataType, m_model.txtDataType);
    bind(m_txtLength, m_model.txtLength);
    bind(m_cmdOK, m_model.cmdOK);
}

}  // namespace koru::ui
