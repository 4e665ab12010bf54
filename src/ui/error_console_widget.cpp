#include "ui/error_console_widget.h"

#include <QApplication>
#include <QStyle>

#include "ui/bindings.h"

namespace koru::ui {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kWidth = 470;
constexpr int kFrameHeight = 30;  // the model's height includes the title bar, as twips did

}  // namespace

ErrorConsoleWidget::ErrorConsoleWidget(wizard::ErrorConsole& model, QtHost& host)
    : ScreenWidget(model, host), m_model(model) {
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    icon->setGeometry(10, 8, 32, 32);

    m_lblError = new QLabel(this);
    m_lblError->setWordWrap(true);
    m_lblError->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_lblError->setGeometry(52, 4, kWidth - 62, 38);

    m_cmdSaveError = new QPushButton(this);
    m_cmdDetails = new QPushButton(this);
    m_cmdClose = new QPushButton(this);
    m_cmdSaveError->setGeometry(kWidth - 3 * 100 - 10, 44, 94, 26);
    m_cmdDetails->setGeometry(kWidth - 2 * 100 - 10, 44, 94, 26);
    m_cmdClose->setGeometry(kWidth - 100 - 10, 44, 94, 26);
    m_cmdClose->setDefault(true);

    m_txtFullError = new QPlainTextEdit(this);
    m_txtFullError->setReadOnly(true);
    m_txtFullError->setGeometry(10, 78, kWidth - 20, 80);

    connect(m_cmdDetails, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdDetails_Click(); }); });
    connect(m_cmdSaveError, &QPushButton::clicked, this,
            [this] { handle([this] { m_model.cmdSaveError_Click(); }); });
    connect(m_cmdClose, &QPushButton::clicked, this, [this] { handle([this] { m_model.cmdClose_Click(); }); });
}

void ErrorConsoleWidget::syncControls() {
    bind(m_lblError, m_model.lblError);
    bind(m_txtFullError, m_model.txtFullError);
    bind(m_cmdSaveError, m_model.cmdSaveError);
    bind(m_cmdDetails, m_model.cmdDetails);
    bind(m_cmdClose, m_model.cmdClose);
    setFixedSize(kWidth, m_model.height / kTwipsPerPixel - kFrameHeight);
}

}  // namespace koru::ui
