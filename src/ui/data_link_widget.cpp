#include "ui/data_link_widget.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"

namespace koru::ui {

namespace {

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, int stretchOf = 0) {
    auto* layout = new QHBoxLayout;
    int index = 0;
    for (QWidget* widget : widgets) layout->addWidget(widget, index++ == stretchOf ? 1 : 0);
    return layout;
}

}  // namespace

QComboBox* DataLinkWidget::choice(wizard::ComboBox& combo, void (connect::DataLinkDialog::*clicked)()) {
    auto* widget = new QComboBox(this);
    connect(widget, QOverload<int>::of(&QComboBox::activated), this, [this, &combo, clicked](int index) {
        combo.listIndex = index;
        handle([this, clicked] { (m_model.*clicked)(); });
    });
    return widget;
}

DataLinkWidget::DataLinkWidget(connect::DataLinkDialog& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    setFixedSize(model.width, model.height);
    m_lblTitle = new QLabel(this);
    m_optDataSource = new QRadioButton(this);
    m_optDriver = new QRadioButton(this);
    m_optFile = new QRadioButton(this);
    m_optTyped = new QRadioButton(this);
    m_lstDataSources = new QListWidget(this);
    m_lstDataSources->setMaximumHeight(70);
    m_cboDriver = choice(model.cboDriver, &connect::DataLinkDialog::cboDriver_Click);
    m_cboFileKind = choice(model.cboFileKind, &connect::DataLinkDialog::cboFileKind_Click);
    m_cboDelimiter = choice(model.cboDelimiter, &connect::DataLinkDialog::Field_Change);
    m_cboEncoding = choice(model.cboEncoding, &connect::DataLinkDialog::Field_Change);
    m_lblServer = new QLabel(this);
    m_txtServer = new QLineEdit(this);
    m_lblPort = new QLabel(this);
    m_txtPort = new QLineEdit(this);
    m_txtPort->setFixedWidth(70);
    m_lblDatabase = new QLabel(this);
    m_txtDatabase = new QLineEdit(this);
    m_lblUser = new QLabel(this);
    m_txtUser = new QLineEdit(this);
    m_lblPassword = new QLabel(this);
    m_txtPassword = new QLineEdit(this);
    m_txtPassword->setEchoMode(QLineEdit::Password);
    m_lblFile = new QLabel(this);
    m_txtFile = new QLineEdit(this);
    m_cmdBrowse = new QPushButton(this);
    m_cmdFolder = new QPushButton(this);
    m_chkHeader = new QCheckBox(this);
    m_lblDelimiter = new QLabel(this);
    m_lblEncoding = new QLabel(this);
    m_lblOther = new QLabel(this);
    m_txtOther = new QLineEdit(this);
    m_lblConnectionString = new QLabel(this);
    m_txtConnectionString = new QLineEdit(this);
    m_cmdTest = new QPushButton(this);
    m_cmdOK = new QPushButton(this);
    m_cmdCancel = new QPushButton(this);
    m_cmdOK->setDefault(true);

    m_lblServer->setBuddy(m_txtServer);
    m_lblPort->setBuddy(m_txtPort);
    m_lblDatabase->setBuddy(m_txtDatabase);
    m_lblUser->setBuddy(m_txtUser);
    m_lblPassword->setBuddy(m_txtPassword);
    m_lblFile->setBuddy(m_txtFile);
    m_lblDelimiter->setBuddy(m_cboDelimiter);
    m_lblEncoding->setBuddy(m_cboEncoding);
    m_lblOther->setBuddy(m_txtOther);
    auto* fields = new QFormLayout;
    fields->addRow(m_optDataSource);
    fields->addRow(m_lstDataSources);
    fields->addRow(m_optDriver, m_cboDriver);
    fields->addRow(m_lblServer, row({m_txtServer, m_lblPort, m_txtPort}));
    fields->addRow(m_lblDatabase, m_txtDatabase);
    fields->addRow(m_lblUser, m_txtUser);
    fields->addRow(m_lblPassword, m_txtPassword);
    fields->addRow(m_lblOther, m_txtOther);
    fields->addRow(m_optFile, m_cboFileKind);
    fields->addRow(m_lblFile, row({m_txtFile, m_cmdBrowse, m_cmdFolder}));
    fields->addRow(QString(), m_chkHeader);
    auto* textKeys = row({m_cboDelimiter, m_lblEncoding, m_cboEncoding}, -1);
    textKeys->addStretch();
    fields->addRow(m_lblDelimiter, textKeys);
    fields->addRow(m_optTyped);
    fields->addRow(m_lblConnectionString, m_txtConnectionString);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdTest);
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblTitle);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    auto changed = [this] { handle([this] { m_model.Field_Change(); }); };
    follow(m_txtServer, m_model.txtServer, changed);
    follow(m_txtPort, m_model.txtPort, changed);
    follow(m_txtDatabase, m_model.txtDatabase, changed);
    follow(m_txtUser, m_model.txtUser, changed);
    follow(m_txtPassword, m_model.txtPassword, changed);
    follow(m_txtFile, m_model.txtFile, changed);
    follow(m_txtOther, m_model.txtOther, changed);
    follow(m_txtConnectionString, m_model.txtConnectionString);
    connect(m_lstDataSources, &QListWidget::currentRowChanged, this, [this](int index) {
        m_model.lstDataSources.listIndex = index;
        handle([this] { m_model.Field_Change(); });
    });
    connect(m_chkHeader, &QCheckBox::clicked, this, [this](bool checked) {
        m_model.chkHeader.value = checked;
        handle([this] { m_model.Field_Change(); });
    });
    connect(m_optDataSource, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optDataSource_Click(); }); });
    connect(m_optDriver, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optDriver_Click(); }); });
    connect(m_optFile, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optFile_Click(); }); });
    connect(m_optTyped, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optTyped_Click(); }); });
    connect(m_cmdBrowse, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBrowse_Click(); }); });
    connect(m_cmdFolder, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdFolder_Click(); }); });
    connect(m_cmdTest, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdTest_Click(); }); });
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdOK_Click(); }); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdCancel_Click(); }); });
}

void DataLinkWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_optDataSource, m_model.optDataSource);
    bind(m_optDriver, m_model.optDriver);
    bind(m_optFile, m_model.optFile);
    bind(m_optTyped, m_model.optTyped);
    bind(m_lstDataSources, m_model.lstDataSources);
    bind(m_cboDriver, m_model.cboDriver);
    bind(m_cboFileKind, m_model.cboFileKind);
    bind(m_lblServer, m_model.lblServer);
    bind(m_txtServer, m_model.txtServer);
    bind(m_lblPort, m_model.lblPort);
    bind(m_txtPort, m_model.txtPort);
    bind(m_lblDatabase, m_model.lblDatabase);
    bind(m_txtDatabase, m_model.txtDatabase);
    bind(m_lblUser, m_model.lblUser);
    bind(m_txtUser, m_model.txtUser);
    bind(m_lblPassword, m_model.lblPassword);
    bind(m_txtPassword, m_model.txtPassword);
    bind(m_lblFile, m_model.lblFile);
    bind(m_txtFile, m_model.txtFile);
    bind(m_cmdBrowse, m_model.cmdBrowse);
    bind(m_cmdFolder, m_model.cmdFolder);
    bind(m_chkHeader, m_model.chkHeader);
    bind(m_lblDelimiter, m_model.lblDelimiter);
    bind(m_cboDelimiter, m_model.cboDelimiter);
    bind(m_lblEncoding, m_model.lblEncoding);
    bind(m_cboEncoding, m_model.cboEncoding);
    bind(m_lblOther, m_model.lblOther);
    bind(m_txtOther, m_model.txtOther);
    bind(m_lblConnectionString, m_model.lblConnectionString);
    bind(m_txtConnectionString, m_model.txtConnectionString);
    bind(m_cmdTest, m_model.cmdTest);
    bind(m_cmdOK, m_model.cmdOK);
    bind(m_cmdCancel, m_model.cmdCancel);
}

}  // namespace koru::ui
