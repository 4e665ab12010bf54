#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "connect/connection_screen.h"
#include "ui/qt_host.h"

namespace koru::ui {

class ConnectionWidget : public ScreenWidget {
public:
    ConnectionWidget(connect::ConnectionScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    connect::ConnectionScreen& m_model;
    QLabel* m_lblTitle;
    QGroupBox* m_fraDataSource;
    QGroupBox* m_fraDestin;
    QGroupBox* m_fraODBC;
    QLabel* m_lblProduct;
    QComboBox* m_cboProduct;
    QLabel* m_lblServer;
    QComboBox* m_cboServer;
    QLabel* m_lblDBName;
    QLineEdit* m_txtdbName;
    QLabel* m_lblUID;
    QLineEdit* m_txtUID;
    QLabel* m_lblPWD;
    QLineEdit* m_txtPW;
    QLineEdit* m_txtSConn;
    QPushButton* m_cmdNew;
    QRadioButton* m_optEXE;
    QRadioButton* m_optNEW;
    QPushButton* m_cmdBack;
    QPushButton* m_cmdNext;
    QPushButton* m_cmdExit;
};

}  // namespace koru::ui
