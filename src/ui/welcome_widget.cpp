#include "ui/welcome_widget.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {
namespace {

QLabel* wrappedLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

WelcomeWidget::WelcomeWidget(wizard::WelcomeScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    setFixedSize(kWizardPageSize);

    // The banner on the left, as wizard pages have it.
    auto* banner = new QFrame(this);
    banner->setFixedWidth(150);
    banner->setStyleSheet("background-color: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                          "stop:0 #1f4e79, stop:1 #2e75b6);");
    auto* bannerText = new QLabel("KORU", banner);
    bannerText->setStyleSheet("color: white; font-size: 26px; font-weight: bold; background: transparent;");
    auto* bannerLayout = new QVBoxLayout(banner);
    bannerLayout->addWidget(bannerText, 0, Qt::AlignHCenter | Qt::AlignTop);
    bannerLayout->addStretch();
    m_lblVersion = new QLabel(banner);
    m_lblVersion->setStyleSheet("color: white; background: transparent;");
    bannerLayout->addWidget(m_lblVersion, 0, Qt::AlignHCenter | Qt::AlignBottom);

    m_lblTitle = wrappedLabel(this);
    QFont titleFont = m_lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setBold(true);
    m_lblTitle->setFont(titleFont);
    m_lblInform = wrappedLabel(this);
    m_label1 = wrappedLabel(this);
    m_lblDisclaim = wrappedLabel(this);
    QFont boldFont = m_lblDisclaim->font();
    boldFont.setBold(true);
    m_lblDisclaim->setFont(boldFont);
    m_lblDisclaimDetail = wrappedLabel(this);
    m_cmdconditions = new QPushButton(this);
    m_lblContinue = new QLabel(this);

    auto* page = new QVBoxLayout;
    page->setContentsMargins(16, 14, 16, 8);
    page->addWidget(m_lblTitle);
    page->addSpacing(10);
    page->addWidget(m_lblInform);
    page->addSpacing(6);
    page->addWidget(m_label1);
    page->addSpacing(14);
    page->addWidget(m_lblDisclaim);
    page->addWidget(m_lblDisclaimDetail);
    page->addWidget(m_cmdconditions, 0, Qt::AlignLeft);
    page->addStretch();
    page->addWidget(m_lblContinue);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(banner);
    top->addLayout(page, 1);

    m_cmdBack = new QPushButton(this);
    m_cmdNext = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    m_cmdNext->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 6, 10, 10);
    buttons->addStretch();
    buttons->addWidget(m_cmdBack);
    buttons->addWidget(m_cmdNext);
    buttons->addSpacing(12);
    buttons->addWidget(m_cmdExit);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addLayout(top, 1);
    outer->addWidget(separator(this));
    outer->addLayout(buttons);

    connect(m_cmdNext, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdNext_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
    connect(m_cmdconditions, &QPushButton::clicked, this,
            [this] { handle([this] { m_model.cmdconditions_Click(); }); });
}

void WelcomeWidget::syncControls() {
    bind(m_lblVersion, m_model.lblVersion);
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_lblInform, m_model.lblInform);
    bind(m_label1, m_model.Label1);
    bind(m_lblDisclaim, m_model.lblDisclaim);
    bind(m_lblDisclaimDetail, m_model.lblDisclaimDetail);
    bind(m_lblContinue, m_model.lblContinue);
    bind(m_cmdconditions, m_model.cmdconditions);
    bind(m_cmdBack, m_model.cmdBack);
    bind(m_cmdNext, m_model.cmdNext);
    bind(m_cmdExit, m_model.cmdExit);
}

}  // namespace koru::ui
