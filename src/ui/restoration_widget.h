#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include "restore/restoration_screen.h"
#include "ui/qt_host.h"

namespace koru::ui {

class RestorationWidget : public ScreenWidget {
public:
    RestorationWidget(restore::RestorationScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    void syncGrid();

    restore::RestorationScreen& m_model;
    QLabel* m_lblTitle;
    QGroupBox* m_framTran;
    QTableWidget* m_gridLog;
    QLabel* m_lblEx;
    QPushButton* m_cmdEx;
    QPushButton* m_cmdDelete;
    QLabel* m_lblDelete;
    QPushButton* m_cmdUpdateData;
    QLabel* m_lblUpdateData;
    QPushButton* m_cmdUpdateAndNew;
    QLabel* m_lblUpdateAndNew;
    QPushButton* m_cmdAddNewData;
    QLabel* m_lblAddNewOnly;
    QCheckBox* m_chkRemoveIfDeleted;
    QPushButton* m_Command1;
    QProgressBar* m_pbDelete;
    QPushButton* m_cmdBack;
    QPushButton* m_cmdNext;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
