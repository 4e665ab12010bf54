#include "ui/mappings_widget.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {

MappingsWidget::MappingsWidget(mapping::MappingsScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    m_lblTitle = new QLabel(this);
    m_optNewMappings = new QRadioButton(this);
    m_optLoadMappings = new QRadioButton(this);
    m_optRestore = new QRadioButton(this);
    m_optKBImport = new QRadioButton(this);
    m_framLoadMappings = new QGroupBox(this);
    m_folder = new QLabel(m_framLoadMappings);
    m_File = new QListWidget(m_framLoadMappings);
    m_cmdBrowse = new QPushButton(m_framLoadMappings);
    auto* browseRow = new QHBoxLayout;
    browseRow->addWidget(m_folder, 1);
    browseRow->addWidget(m_cmdBrowse);
    auto* frame = new QVBoxLayout(m_framLoadMappings);
    frame->addWidget(m_File, 1);
    frame->addLayout(browseRow);

    auto* page = new QVBoxLayout;
    page->addWidget(m_optNewMappings);
    page->addWidget(m_optLoadMappings);
    page->addWidget(m_framLoadMappings, 1);
    page->addWidget(m_optRestore);
    page->addWidget(m_optKBImport);
    m_cmdBack = new QPushButton(this);
    m_cmdNext = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    wizardPage(this, m_lblTitle, page, m_cmdBack, m_cmdNext, m_cmdExit);

    connect(m_optNewMappings, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optNewMappings_Click(); }); });
    connect(m_optLoadMappings, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optLoadMappings_Click(); }); });
    connect(m_optRestore, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optRestore_Click(); }); });
    connect(m_optKBImport, &QRadioButton::clicked, this, [this] { handle([this] { m_model.optKBImport_Click(); }); });
    connect(m_File, &QListWidget::currentRowChanged, this, [this](int row) {
        m_model.File.listIndex = row;
        handle([this] { m_model.File_Click(); });
    });
    connect(m_File, &QListWidget::itemDoubleClicked, this, [this] { handle([this] { m_model.File_DblClick(); }); });
    connect(m_cmdBrowse, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBrowse_Click(); }); });
    connect(m_cmdBack, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBack_Click(); }); });
    connect(m_cmdNext, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdNext_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
}

void MappingsWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_optNewMappings, m_model.optNewMappings);
    bind(m_optLoadMappings, m_model.optLoadMappings);
    bind(m_optRestore, m_model.optRestore);
    bind(m_optKBImport, m_model.optKBImport);
    bind(m_framLoadMappings, m_model.framLoadMappings);
    m_folder->setText(QString::fromStdString(m_model.fileFolder.string()));
    m_folder->setEnabled(m_model.File.enabled);
    bind(m_File, m_model.File);
    bind(m_cmdBrowse, m_model.cmdBrowse);
    bind(m_cmdBack, m_model.cmdBack);
    bind(m_cmdNext, m_model.cmdNext);
    bind(m_cmdExit, m_model.cmdExit);
}

}  // namespace koru::ui
