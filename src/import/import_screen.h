#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "db/destination_lock.h"
#include "diag/fault_point.h"
#include "import/import_preview.h"

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::import {

class ImportProcedures;
class ImportStatements;

// frmDBSave: the last wizard step. Start runs the whole import as named stages; Finish empties
// the work tables and ends the program.
class ImportScreen : public wizard::WizardScreen {
public:
    explicit ImportScreen(wizard::ScreenServices services);

    void Form_Load() override;
    void cmdStart_Click();
    // The whole run as Start runs it, rolled back at the end; what it would do is in preview().
    void cmdPreview_Click();
    const ImportPreview& preview() const { return m_preview; }
    void cmdBack_Click();
    void cmdFinish_Click();

    // Each reports its own error and returns false.
    bool Update_EXT_Conn_Str(std::int32_t appID, const std::string& connectionString);
    bool Update_Ciid_History(std::int32_t importID);
    bool Update_AssetCiid_History(std::int32_t importID);

    // The stage the run is in, for the failure message.
    const std::string& stage() const { return m_stage; }
    std::int32_t importId() const { return m_importId; }

    wizard::Label lblTitle;
    wizard::Label fraProgress;
    wizard::Label fraOverall;
    wizard::Label fraSave;
    wizard::Label fraVerify;
    wizard::Label fraLive;
    wizard::Label fraHRAC;
    wizard::ProgressBar pbOverall;
    wizard::ProgressBar pbSave;
    wizard::ProgressBar pbVerify;
    wizard::ProgressBar pbLive;
    wizard::ProgressBar pbHRAC;
    wizard::Label lblRecNumImport;
    wizard::Button cmdBack;
    wizard::Button cmdStart;
    wizard::Button cmdPreview;
    wizard::TextBox txtPreview;  // what the last preview found, shown once there is one
    wizard::Button cmdFinish;
    bool cmdFinishDefault = false;  // Finish is the default button once the run has finished

    // Lets the window draw the progress of a long run; a stop asked for by a signal ends the run
    // here, where its failure path can still switch the product's triggers on.
    void repaint();

private:
    void sayFindings(const std::vector<std::string>& findings);
    struct RunFailed {};  // a stage failed and said so; the failure exit follows
    struct Aborted {};    // the user aborted the import information

    void run();
    void runStages();
    // A message of the run, kept among the preview's diagnostics as well.
    void warn(const std::string& text);
    // While the preview's work is still in the destination; errors leave the counts as they are.
    void countPreviewNow() noexcept;
    // False when another import or undo holds the destination; the user has been told.
    bool takeDestinationLock();
    void retakeDestinationLock();
    // The stage's failure message, with a line of detail where there is one.
    void failureExit(const std::string& detail = {});
    // After a failure; what fails here is said in m_triggersStillOff.
    void enableTriggers();
    void UT_Update_Invalid_AssetID(const ImportStatements& statements);
    void updateHierarchy(ImportProcedures& procedures, int level);
    void matchParents();
    void moveItemsNotInSource(int levels);
    bool touchForHistory(const std::string& table, const std::string& key, const std::string& column,
                         std::int32_t importID);

    diag::StageName m_stage;
    std::int32_t m_importId = 0;
    int m_timeoutRetries = 0;
    bool m_triggersOff = false;
    std::string m_triggersStillOff;  // which stayed off after a failure, and how they come on
    bool m_reportFailure = false;  // a failure from here on also shows the stage's failure message
    std::shared_ptr<db::DestinationLock> m_destinationLock;  // held from Start until the run ends
    bool m_previewing = false;
    ImportPreview m_preview;
    std::int64_t m_itemsBefore = 0;    // the highest item id (articles: their count) before the item procedure
    bool m_previewCounted = false;     // counted once, before a failure or at the run's end
    std::map<int, long> m_movedItems;  // per level, by the move of items that left the source
    std::string m_stageError;          // what a stage of a preview reported
};

}  // namespace koru::import
