#include "ui/users_check_widget.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"

namespace koru::ui {

UsersCheckWidget::UsersCheckWidget(connect::UsersCheckScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    setFixedSize(460, 320);
    m_lblTitle = new QLabel(this);
    m_lblTitle->setWordWrap(true);
    m_lstUser = new QListWidget(this);
    m_lblTotal = new QLabel(this);
    m_cmdOK = new QPushButton(this);
    m_cmdRefresh = new QPushButton(this);
    m_cmdIgnore = new QPushButton(this);
    m_cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_lblTotal);
    buttons->addStretch();
    buttons->addWidget(m_cmdOK);
    buttons->addWidget(m_cmdRefresh);
    buttons->addWidget(m_cmdIgnore);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblTitle);
    layout->addWidget(m_lstUser, 1);
    layout->addLayout(buttons);
    connect(m_cmdOK, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdOK_Click(); }); });
    connect(m_cmdRefresh, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdRefresh_Click(); }); });
    connect(m_cmdIgnore, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdIgnore_Click(); }); });
}

void UsersCheckWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_lstUser, m_model.lstUser);
    bind(m_lblTotal, m_model.lblTotal);
    bind(m_cmdOK, m_model.cmdOK);
    bind(m_cmdRefresh, m_model.cmdRefresh);
    bind(m_cmdIgnore, m_model.cmdIgnore);
}

}  // namespace koru::ui
