#include "ui/structure_widget.h"

#include <QHBoxLayout>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {
namespace {

class LevelDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(0, option.fontMetrics.height() + 6));
    }
};

}  // namespace

StructureWidget::StructureWidget(editor::StructureScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    m_lblTitle = new QLabel(this);
    m_fraStructure = new QGroupBox(this);
    m_tvStructure = new ModelTreeWidget(m_model.tvStructure, m_fraStructure);
    m_tvStructure->setIndentation(20);
    // Levels have no pictures: no gap before their names, yet rows of the usual height.
    m_tvStructure->setIconSize(QSize(0, 0));
    m_tvStructure->setItemDelegate(new LevelDelegate(m_tvStructure));
    auto* structure = new QVBoxLayout(m_fraStructure);
    structure->setContentsMargins(6, 6, 6, 6);
    structure->addWidget(m_tvStructure);

    m_rtbStructure = new QPlainTextEdit(this);
    m_rtbStructure->setReadOnly(true);
    m_rtbStructure->setFrameShape(QFrame::NoFrame);
    m_rtbStructure->viewport()->setAutoFillBackground(false);  // reads as a note, not a field
    m_rtbStructure->setFocusPolicy(Qt::NoFocus);
    m_rtbStructure->setFixedHeight(110);
    m_cmdAddChildNode = new QPushButton(this);
    m_cmdRename = new QPushButton(this);
    m_cmdDelete = new QPushButton(this);
    m_cmdClear = new QPushButton(this);
    m_cmdSampleData = new QPushButton(this);
    auto* side = new QVBoxLayout;
    side->setSpacing(6);
    side->addWidget(m_rtbStructure);
    side->addSpacing(6);
    for (QPushButton* button : {m_cmdAddChildNode, m_cmdRename, m_cmdDelete, m_cmdClear, m_cmdSampleData}) {
        side->addWidget(button);
    }
    side->addStretch();
    auto* sideColumn = new QWidget(this);
    sideColumn->setFixedWidth(200);
    sideColumn->setLayout(side);
    side->setContentsMargins(0, 6, 0, 0);

    auto* editor = new QHBoxLayout;
    editor->setSpacing(12);
    editor->addWidget(m_fraStructure, 1);
    editor->addWidget(sideColumn);

    m_chkDelRoot = new QCheckBox(this);
    m_chkSelectDistinct = new QCheckBox(this);
    auto* page = new QVBoxLayout;
    page->setSpacing(6);
    page->addLayout(editor, 1);
    page->addWidget(m_chkDelRoot);
    page->addWidget(m_chkSelectDistinct);
    m_cmdBack = new QPushButton(this);
    m_cmdNext = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    wizardPage(this, m_lblTitle, page, m_cmdBack, m_cmdNext, m_cmdExit);

    connect(m_cmdAddChildNode, &QPushButton::clicked, this,
            [this] { handle([this] { m_model.cmdAddChildNode_Click(); }); });
    connect(m_cmdRename, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdRename_Click(); }); });
    connect(m_cmdDelete, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdDelete_Click(); }); });
    connect(m_cmdClear, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdClear_Click(); }); });
    connect(m_cmdSampleData, &QPushButton::clicked, this,
            [this] { handle([this] { m_model.cmdSampleData_Click(); }); });
    connect(m_chkDelRoot, &QCheckBox::clicked, this, [this](bool checked) {
        m_model.chkDelRoot.value = checked;
        handle([this] { m_model.chkDelRoot_Click(); });
    });
    connect(m_chkSelectDistinct, &QCheckBox::clicked, this, [this](bool checked) {
        m_model.chkSelectDistinct.value = checked;
        handle([this] { m_model.chkSelectDistinct_Click(); });
    });
    connect(m_cmdBack, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBack_Click(); }); });
    connect(m_cmdNext, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdNext_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
}

void StructureWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_fraStructure, m_model.fraStructure);
    m_tvStructure->mirror();
    bind(m_rtbStructure, m_model.rtbStructure);
    bind(m_cmdAddChildNode, m_model.cmdAddChildNode);
    bind(m_cmdRename, m_model.cmdRename);
    bind(m_cmdDelete, m_model.cmdDelete);
    bind(m_cmdClear, m_model.cmdClear);
    bind(m_cmdSampleData, m_model.cmdSampleData);
    bind(m_chkDelRoot, m_model.chkDelRoot);
    bind(m_chkSelectDistinct, m_model.chkSelectDistinct);
    bind(m_cmdBack, m_model.cmdBack);
    bind(m_cmdNext, m_model.cmdNext);
    bind(m_cmdExit, m_model.cmdExit);
}

}  // namespace koru::ui
