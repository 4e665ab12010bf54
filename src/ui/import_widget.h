#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>

#include "import/import_screen.h"
#include "ui/qt_host.h"

namespace koru::ui {

class ImportWidget : public ScreenWidget {
public:
    ImportWidget(import::ImportScreen& model, QtHost& host);

protected:
    void syncControls() override;

private:
    // One labelled frame with its progress bar.
    struct Stage {
        QGroupBox* frame;
        QProgressBar* bar;
        wizard::Label* modelFrame;
        wizard::ProgressBar* modelBar;
    };

    import::ImportScreen& m_model;
    QLabel* m_lblTitle;
    QGroupBox* m_fraProgress;
    std::array<Stage, 5> m_stages;
    QLabel* m_lblRecNumImport;
    QPushButton* m_cmdBack;
    QPushButton* m_cmdStart;
    QPushButton* m_cmdPreview;
    QPlainTextEdit* m_txtPreview;
    QPushButton* m_cmdFinish;
};

}  // namespace koru::ui
