#include "ui/restoration_widget.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/bindings.h"
#include "ui/wizard_page.h"

namespace koru::ui {

RestorationWidget::RestorationWidget(restore::RestorationScreen& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    m_lblTitle = new QLabel(this);

    m_framTran = new QGroupBox(this);
    m_gridLog = new QTableWidget(m_framTran);
    m_gridLog->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_gridLog->setSelectionMode(QAbstractItemView::SingleSelection);
    m_gridLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_gridLog->verticalHeader()->setVisible(false);
    m_gridLog->verticalHeader()->setDefaultSectionSize(m_gridLog->fontMetrics().height() + 8);
    m_lblEx = new QLabel(m_framTran);
    m_cmdEx = new QPushButton(m_framTran);
    auto* sampleRow = new QHBoxLayout;
    sampleRow->addWidget(m_lblEx, 1);
    sampleRow->addWidget(m_cmdEx);
    auto* frame = new QVBoxLayout(m_framTran);
    frame->addWidget(m_gridLog, 1);
    frame->addLayout(sampleRow);

    // Each task: its button with what it does beside it.
    auto* tasks = new QGridLayout;
    tasks->setHorizontalSpacing(12);
    tasks->setVerticalSpacing(6);
    tasks->setColumnStretch(1, 1);
    auto task = [&](int row, QPushButton*& button, QLabel*& label) {
        button = new QPushButton(this);
        button->setMinimumWidth(120);
        label = new QLabel(this);
        label->setWordWrap(true);
        tasks->addWidget(button, row, 0);
        tasks->addWidget(label, row, 1);
    };
    task(0, m_cmdDelete, m_lblDelete);
    task(1, m_cmdUpdateData, m_lblUpdateData);
    task(2, m_cmdUpdateAndNew, m_lblUpdateAndNew);
    task(3, m_cmdAddNewData, m_lblAddNewOnly);

    m_chkRemoveIfDeleted = new QCheckBox(this);
    m_Command1 = new QPushButton(this);
    auto* moveRow = new QHBoxLayout;
    moveRow->addWidget(m_chkRemoveIfDeleted, 1);
    moveRow->addWidget(m_Command1);
    m_pbDelete = new QProgressBar(this);
    // Shown only while deleting; its room is kept so that nothing jumps.
    QSizePolicy keepRoom = m_pbDelete->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_pbDelete->setSizePolicy(keepRoom);

    auto* page = new QVBoxLayout;
    page->addWidget(m_framTran, 1);
    page->addLayout(tasks);
    page->addLayout(moveRow);
    page->addWidget(m_pbDelete);
    m_cmdBack = new QPushButton(this);
    m_cmdNext = new QPushButton(this);
    m_cmdExit = new QPushButton(this);
    wizardPage(this, m_lblTitle, page, m_cmdBack, m_cmdNext, m_cmdExit);

    connect(m_gridLog, &QTableWidget::currentCellChanged, this, [this](int row) { m_model.gridLog.row = row; });
    connect(m_cmdEx, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdEx_Click(); }); });
    connect(m_cmdDelete, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdDelete_Click(); }); });
    connect(m_cmdUpdateData, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdUpdateData_Click(); }); });
    connect(m_cmdUpdateAndNew, &QPushButton::clicked, this,
            [this] { handle([this] { m_model.cmdUpdateAndNew_Click(); }); });
    connect(m_cmdAddNewData, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdAddNewData_Click(); }); });
    connect(m_chkRemoveIfDeleted, &QCheckBox::clicked, this, [this](bool checked) {
        m_model.chkRemoveIfDeleted.value = checked;
        handle([this] { m_model.chkRemoveIfDeleted_Click(); });
    });
    connect(m_Command1, &QPushButton::clicked, this, [this] { handle([this] { m_model.Command1_Click(); }); });
    connect(m_cmdBack, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdBack_Click(); }); });
    connect(m_cmdNext, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdNext_Click(); }); });
    connect(m_cmdExit, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdExit_Click(); }); });
}

void RestorationWidget::syncGrid() {
    QSignalBlocker quiet(m_gridLog);
    const restore::Grid& grid = m_model.gridLog;
    bool same = m_gridLog->columnCount() == static_cast<int>(grid.columns.size()) &&
                m_gridLog->rowCount() == static_cast<int>(grid.rows.size());
    for (int r = 0; same && r < m_gridLog->rowCount(); ++r) {
        for (int c = 0; same && c < m_gridLog->columnCount(); ++c) {
            same = m_gridLog->item(r, c) && m_gridLog->item(r, c)->text() == qtText(grid.rows[r][c]);
        }
    }
    if (!same) {
        m_gridLog->clear();
        m_gridLog->setColumnCount(static_cast<int>(grid.columns.size()));
        m_gridLog->setRowCount(static_cast<int>(grid.rows.size()));
        QStringList headers;
        for (const std::string& column : grid.columns) headers << qtText(column);
        m_gridLog->setHorizontalHeaderLabels(headers);
        for (int r = 0; r < m_gridLog->rowCount(); ++r) {
            for (int c = 0; c < m_gridLog->columnCount(); ++c) {
                auto* cell = new QTableWidgetItem(qtText(grid.rows[r][c]));
                cell->setToolTip(cell->text());  // a long note is cut to the column
                // The session ids and the item count read as numbers.
                if (c == 0 || c + 2 >= m_gridLog->columnCount()) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                m_gridLog->setItem(r, c, cell);
            }
        }
        // The notes take what the other columns leave, so that every column stays in view.
        for (int c = 0; c < m_gridLog->columnCount(); ++c) {
            bool notes = grid.columns[c] == "Notes";
            m_gridLog->horizontalHeader()->setSectionResizeMode(c, notes ? QHeaderView::Stretch
                                                                          : QHeaderView::ResizeToContents);
        }
    }
    if (grid.row >= 0 && grid.row < m_gridLog->rowCount()) {
        m_gridLog->setCurrentCell(grid.row, 0);
    } else {
        m_gridLog->clearSelection();
        m_gridLog->setCurrentCell(-1, -1);
    }
    bindCommon(m_gridLog, grid);
}

void RestorationWidget::syncControls() {
    bind(m_lblTitle, m_model.lblTitle);
    bind(m_framTran, m_model.framTran);
    syncGrid();
    bind(m_lblEx, m_model.lblEx);
    bind(m_cmdEx, m_model.cmdEx);
    bind(m_cmdDelete, m_model.cmdDelete);
    bind(m_lblDelete, m_model.lblDelete);
    bind(m_cmdUpdateData, m_model.cmdUpdateData);
    bind(m_lblUpdateData, m_model.lblUpdateData);
    bind(m_cmdUpdateAndNew, m_model.cmdUpdateAndNew);
    bind(m_lblUpdateAndNew, m_model.lblUpdateAndNew);
    bind(m_cmdAddNewData, m_model.cmdAddNewData);
    bind(m_lblAddNewOnly, m_model.lblAddNewOnly);
    bind(m_chkRemoveIfDeleted, m_model.chkRemoveIfDeleted);
    bind(m_Command1, m_model.Command1);
    bind(m_pbDelete, m_model.pbDelete);
    bind(m_cmdBack, m_model.cmdBack);
    bind(m_cmdNext, m_model.cmdNext);
    bind(m_cmdExit, m_model.cmdExit);
}

}  // namespace koru::ui
