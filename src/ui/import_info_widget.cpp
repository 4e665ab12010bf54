#include "ui/import_info_widget.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {

ImportInfoWidget::ImportInfoWidget(import::ImportInfoScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    setFixedSize(460, 380);
    m_lblTitle = new QLabel(this);
    m_framImportInformation = new QGroupBox(this);
    m_lblUserID = new QLabel(m_framImportInformation);
    m_txtUserID = new QLineEdit(m_framImportInformation);
    m_lblCompName = new QLabel(m_framImportInformation);
    m_txtCompName = new QLineEdit(m_framImportInformation);
    m_lblUserID->setBuddy(m_txtUserID);
    m_lblCompName->setBuddy(m_txtCompName);
    auto* information = new QFormLayout(m_framImportInformation);
    information->addRow(m_lblUserID, m_txtUserID);
    information->addRow(m_lblCompName, m_txtCompName);

    m_framNotes = new QGroupBox(this);
    m_rtbNotes = new QPlainTextEdit(m_framNotes);
    auto* notes = new QVBoxLayout(m_framNotes);
    notes->addWidget(m_rtbNotes);

    m_cmdSave = new QPushButton(this);
    m_cmdQuit = new QPushButton(this);
    m_cmdSave->setDefault(true);
    m_cmdSave->setMinimumWidth(100);
    m_cmdQuit->setMinimumWidth(100);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);  // nested layouts would take the outer layout's zero spacing
    buttons->addStretch();
    buttons->addWidget(m_cmdSave);
    buttons->addWidget(m_cmdQuit);

    auto* page = new QVBoxLayout;
    page->addWidget(m_framImportInformation);
    page->addWidget(m_framNotes, 1);
    page->addLayout(buttons);
    dialogPage(this, m_lblTitle, page);

    follow(m_txtUserID, m_model.txtUserID, [this] {
        m_model.txtUserID.selStart = m_txtUserID->cursorPosition();
        handle([this] { m_model.txtUserID_Change(); });
    });
    follow(m_txtCompName, m_model.txtCompName);
    follow(m_rtbNotes, m_model.rtbNotes);
    connect(m_cmdSave, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdSave_Click(); }); });
    connect(m_cmdQuit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdQuit_Click(); }); });
}

void ImportInfoWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_framImportInformation, m_model.framImportInformation);
    bind(m_lblUserID, m_model.lblUserID);
    bool replaced = m_txtUserID->text().toStdString() != m_model.txtUserID.text;
    bind(m_txtUserID, m_model.txtUserID);
    // Replacing the text puts the caret at the end; the model says where it belongs.
    if (replaced) m_txtUserID->setCursorPosition(m_model.txtUserID.selStart);
    bind(m_lblCompName, m_model.lblCompName);
    bind(m_txtCompName, m_model.txtCompName);
    bind(m_framNotes, m_model.framNotes);
    bind(m_rtbNotes, m_model.rtbNotes);
    bind(m_cmdSave, m_model.cmdSave);
    bind(m_cmdQuit, m_model.cmdQuit);
}

}  // namespace koru::ui
