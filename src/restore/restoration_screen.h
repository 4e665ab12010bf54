#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "restore/import_deletion.h"
#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::restore {

// A read-only grid of rows with a current row.
struct Grid : wizard::Control {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    int row = -1;  // the current row; -1: none
};

// Shows a query's rows in the data viewer: query, window title, connection string.
using DataViewer = std::function<void(const std::string&, const std::string&, const std::string&)>;

// frmRestoration: the import history. Shows a sample of a session, deletes a session, or
// prepares the next run as an update of one.
class RestorationScreen : public wizard::WizardScreen {
public:
    RestorationScreen(wizard::ScreenServices services, DataViewer showData);

    void Form_Load() override;
    void cmdEx_Click();
    void cmdDelete_Click();
    void cmdUpdateData_Click();
    void cmdUpdateAndNew_Click();
    void cmdAddNewData_Click();
    // After the box changed its value.
    void chkRemoveIfDeleted_Click();
    void Command1_Click();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdExit_Click();

    void Setup_Grid_Log();
    void Setup_Grid_Sam(std::int32_t importID);
    void Check_Import_Records(std::int32_t importID);
    // The session id of the current row; 0 when there is none.
    std::int32_t selectedSession() const;
    // What the last Delete removed.
    const DeletionResult& lastDeletion() const { return m_lastDeletion; }

    wizard::Label lblTitle;
    wizard::Label framTran;
    Grid gridLog;
    wizard::Label lblEx;
    wizard::Button cmdEx;
    wizard::Button cmdDelete;
    wizard::Label lblDelete;
    wizard::Button cmdUpdateData;
    wizard::Label lblUpdateData;
    wizard::Button cmdUpdateAndNew;
    wizard::Label lblUpdateAndNew;
    wizard::Button cmdAddNewData;
    wizard::Label lblAddNewOnly;
    wizard::CheckBox chkRemoveIfDeleted;
    wizard::Button Command1;
    wizard::ProgressBar pbDelete;
    wizard::Button cmdBack;
    wizard::Button cmdNext;
    wizard::Button cmdExit;

    // Lets the window draw the progress of a deletion.
    void repaint() { m_services.navigator.repaint(*this); }

private:
    void chooseUpdateMode(std::int16_t mode, const std::string& question);
    // False when the session ran another mapping than the loaded one and the user said No.
    bool sameMappingOrConfirmed(std::int32_t importID);
    void showNewParent();

    DataViewer m_showData;
    DeletionResult m_lastDeletion;
};

}  // namespace koru::restore
