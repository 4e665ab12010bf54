#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "connect/data_link_dialog.h"
#include "ui/qt_host.h"

namespace koru::ui {

class DataLinkWidget : public ScreenWidget {
public:
    DataLinkWidget(connect::DataLinkDialog& model, QtHost& host);

protected:
    void syncControls() override;

private:
    // A combo box whose choice the model hears at once.
    QComboBox* choice(wizard::ComboBox& combo, void (connect::DataLinkDialog::*clicked)());

    connect::DataLinkDialog& m_model;
    QLabel* m_lblTitle;
    QRadioButton* m_optDataSource;
    QRadioButton* m_optDriver;
    QRadioButton* m_optFile;
    QRadioButton* m_optTyped;
    QListWidget* m_lstDataSources;
    QComboBox* m_cboDriver;
    QComboBox* m_cboFileKind;
    QLabel* m_lblServer;
    QLineEdit* m_txtServer;
    QLabel* m_lblPort;
    QLineEdit* m_txtPort;
    QLabel* m_lblDatabase;
    QLineEdit* m_txtDatabase;
    QLabel* m_lblUser;
    QLineEdit* m_txtUser;
    QLabel* m_lblPassword;
    QLineEdit* m_txtPassword;
    QLabel* m_lblFile;
    QLineEdit* m_txtFile;
    QPushButton* m_cmdBrowse;
    QPushButton* m_cmdFolder;
    QCheckBox* m_chkHeader;
    QLabel* m_lblDelimiter;
    QComboBox* m_cboDelimiter;
    QLabel* m_lblEncoding;
    QComboBox* m_cboEncoding;
    QLabel* m_lblOther;
    QLineEdit* m_txtOther;
    QLabel* m_lblConnectionString;
    QLineEdit* m_txtConnectionString;
    QPushButton* m_cmdTest;
    QPushButton* m_cmdOK;
    QPushButton* m_cmdCancel;
};

}  // namespace koru::ui
