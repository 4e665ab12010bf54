#pragma once

#include <filesystem>
#include <string>

#include "wizard/controls.h"
#include "wizard/navigator.h"

namespace koru::mapping {

// frmMappings: start a new mapping, load a saved one, the advanced tasks, or a knowledge-base
// import.
class MappingsScreen : public wizard::WizardScreen {
public:
    explicit MappingsScreen(wizard::ScreenServices services);

    void Form_Load() override;
    void Form_Activate() override;
    void optNewMappings_Click();
    void optLoadMappings_Click();
    void optRestore_Click();
    void optKBImport_Click();
    void File_Click();
    void File_DblClick();
    void cmdBrowse_Click();
    void cmdNext_Click();
    void cmdBack_Click();
    void cmdExit_Click();

    std::string Get_Mapping_FileName();
    // False after a reported failure: there are no levels to go on with.
    bool Append_Gstructures();

    wizard::Label lblTitle;
    wizard::OptionButton optNewMappings;
    wizard::OptionButton optLoadMappings;
    wizard::OptionButton optRestore;
    wizard::OptionButton optKBImport;
    wizard::Label framLoadMappings;
    wizard::ListBox File;  // the template files of fileFolder
    wizard::Button cmdBrowse;
    wizard::Button cmdBack;
    wizard::Button cmdNext;
    wizard::Button cmdExit;

    std::filesystem::path fileFolder;
    // The mapping to load; set by the file list, Browse, the file dialog or an unattended run.
    std::string templatePath;

private:
    void choose(wizard::OptionButton& option);
    void enableLoading(bool enabled);
    // True when every mapped source column can be read from the source.
    bool compatibleWithSource();
    void clearRepository();
    void dropVanishedParentSettings();
    wizard::FileDialogRequest loadDialog() const;
};

}  // namespace koru::mapping
