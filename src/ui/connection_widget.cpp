#include "ui/connection_widget.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {

ConnectionWidget::ConnectionWidget(connect::ConnectionScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    m_lblTitle = new QLabel(this);
    m_fraDataSource = new QGroupBox(this);
    m_fraDestin = new QGroupBox(m_fraDataSource);
    m_fraODBC = new QGroupBox(m_fraDataSource);

    m_lblProduct = new QLabel(this);
    m_cboProduct = new QComboBox(this);
    auto* productRow = new QHBoxLayout;
    productRow->addWidget(m_lblProduct);
    productRow->addWidget(m_cboProduct, 1);
    productRow->addStretch(1);

    m_lblServer = new QLabel(m_fraDestin);
    m_cboServer = new QComboBox(m_fraDestin);
    m_cboServer->setEditable(true);
    m_lblDBName = new QLabel(m_fraDestin);
    m_txtdbName = new QLineEdit(m_fraDestin);
    m_lblUID = new QLabel(m_fraDestin);
    m_txtUID = new QLineEdit(m_fraDestin);
    m_lblPWD = new QLabel(m_fraDestin);
    m_txtPW = new QLineEdit(m_fraDestin);
    m_txtPW->setEchoMode(QLineEdit::Password);
    auto* destination = new QFormLayout(m_fraDestin);
    destination->addRow(m_lblServer, m_cboServer);
    destination->addRow(m_lblDBName, m_txtdbName);
    destination->addRow(m_lblUID, m_txtUID);
    destination->addRow(m_lblPWD, m_txtPW);
    m_lblServer->setBuddy(m_cboServer);
    m_lblUID->setBuddy(m_txtUID);
    m_lblPWD->setBuddy(m_txtPW);

    m_txtSConn = new QLineEdit(m_fraODBC);
    m_cmdNew = new QPushButton(m_fraODBC);
    auto* source = new QHBoxLayout(m_fraODBC);
    source->addWidget(m_txtSConn, 1);
    source->addWidget(m_cmdNew);

    auto* dataSource = new QVBoxLayout(m_fraDataSource);
    dataSource->addWidget(m_fraDestin);
    dataSource->addWidget(m_fraODBC);

    m_optEXE = new QRadioButton(this);
    m_optNEW = new QRadioButton(this);
    auto* options = new QHBoxLayout;
    options->addWidget(m_optNEW);
    options->addWidget(m_optEXE);
    options->addStretch();

    auto* page = new QVBoxLayout;
    page->addLayout(productRow);
    page->addWidget(m_fraDataSource, 1);
    page->addLayout(options);

    m_cmdBack = new QPushButton(this);
    m_cmdNext = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    wizardPage(this, m_lblTitle, page, m_cmdBack, m_cmdNext, m_cmdExit);

    follow(m_txtUID, m_model.txtUID);
    follow(m_txtPW, m_model.txtPW);
    follow(m_txtdbName, m_model.txtdbName);
    follow(m_txtSConn, m_model.txtSConn);
    follow(m_cboServer, m_model.cboServer);
    connect(m_cboProduct, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        handle([this, index] {
            m_model.cboProduct.listIndex = index;
            m_model.cboProduct_Click();
        });
    });
    connect(m_optEXE, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optEXE_Click(); }); });
    connect(m_optNEW, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optNEW_Click(); }); });
    connect(m_cmdNew, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdNew_Click(); }); });
    connect(m_cmdBack, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBack_Click(); }); });
    connect(m_cmdNext, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdNext_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
}

void ConnectionWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_fraDataSource, m_model.fraDataSource);
    bind(m_fraDestin, m_model.fraDestin);
    bind(m_fraODBC, m_model.fraODBC);
    bind(m_lblProduct, m_model.lblProduct);
    bind(m_cboProduct, m_model.cboProduct);
    bind(m_lblServer, m_model.lblServer);
    bind(m_cboServer, m_model.cboServer);
    bind(m_lblDBName, m_model.lblDBName);
    bind(m_txtdbName, m_model.txtdbName);
    bind(m_lblUID, m_model.lblUID);
    bind(m_txtUID, m_model.txtUID);
    bind(m_lblPWD, m_model.lblPWD);
    bind(m_txtPW, m_model.txtPW);
    bind(m_txtSConn, m_model.txtSConn);
    bind(m_cmdNew, m_model.cmdNew);
    bind(m_optEXE, m_model.optEXE);
    bind(m_optNEW, m_model.optNEW);
    bind(m_cmdBack, m_model.cmdBack);
    bind(m_cmdNext, m_model.cmdNext);
    bind(m_cmdExit, m_model.cmdExit);
    if (m_model.cboProduct.droppedDown) {
        m_model.cboProduct.droppedDown = false;
        if (isVisible()) m_cboProduct->showPopup();
    }
}

}  // namespace koru::ui
