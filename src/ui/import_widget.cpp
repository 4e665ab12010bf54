#include "ui/import_widget.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {

ImportWidget::ImportWidget(import::ImportScreen& model, QtHost& host)
    : ScreenWidget(model, host),
      m_model(model),
      m_stages{{{nullptr, nullptr, &model.fraOverall, &model.pbOverall},
                {nullptr, nullptr, &model.fraSave, &model.pbSave},
                {nullptr, nullptr, &model.fraVerify, &model.pbVerify},
                {nullptr, nullptr, &model.fraLive, &model.pbLive},
                {nullptr, nullptr, &model.fraHRAC, &model.pbHRAC}}} {
    m_lblTitle = new QLabel(this);
    m_fraProgress = new QGroupBox(this);
    auto* progress = new QVBoxLayout(m_fraProgress);
    progress->setSpacing(4);
    for (Stage& stage : m_stages) {
        stage.frame = new QGroupBox(m_fraProgress);
        stage.bar = new QProgressBar(stage.frame);
        auto* frame = new QVBoxLayout(stage.frame);
        frame->setContentsMargins(8, 4, 8, 6);
        frame->addWidget(stage.bar);
        progress->addWidget(stage.frame);
    }
    m_lblRecNumImport = new QLabel(m_fraProgress);
    progress->addWidget(m_lblRecNumImport);

    m_txtPreview = new QPlainTextEdit(this);
    m_txtPreview->setReadOnly(true);
    // Findings are sentences: wrapped, they read without scrolling sideways.
    m_txtPreview->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_txtPreview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* page = new QVBoxLayout;
    page->addWidget(m_fraProgress);
    page->addWidget(m_txtPreview, 1);
    m_cmdBack = new QPushButton(this);
    m_cmdStart = new QPushButton(this);
    m_cmdPreview = new QPushButton(this);
    m_cmdFinish = new QPushButton(this);
    QVBoxLayout* outer = wizardPage(this, m_lblTitle, page, m_cmdBack, m_cmdStart, m_cmdFinish);
    // Beside Start, in the button row the page ends with.
    if (auto* buttons = qobject_cast<QHBoxLayout*>(outer->itemAt(outer->count() - 1)->layout())) {
        buttons->insertWidget(buttons->indexOf(m_cmdStart), m_cmdPreview);
    }

    connect(m_cmdBack, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBack_Click(); }); });
    connect(m_cmdStart, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdStart_Click(); }); });
    connect(m_cmdPreview, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdPreview_Click(); }); });
    connect(m_cmdFinish, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdFinish_Click(); }); });
}

void ImportWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_fraProgress, m_model.fraProgress);
    for (Stage& stage : m_stages) {
        bind(stage.frame, *stage.modelFrame);
        bind(stage.bar, *stage.modelBar);
    }
    bind(m_lblRecNumImport, m_model.lblRecNumImport);
    bind(m_cmdBack, m_model.cmdBack);
    bind(m_cmdStart, m_model.cmdStart);
    bind(m_cmdPreview, m_model.cmdPreview);
    bind(m_txtPreview, m_model.txtPreview);
    bind(m_cmdFinish, m_model.cmdFinish);
    m_cmdStart->setDefault(!m_model.cmdFinishDefault);
    m_cmdFinish->setDefault(m_model.cmdFinishDefault);
}

}  // namespace koru::ui
