#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QSpacerItem>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>

namespace koru::ui {
namespace {

QString q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<int>(text.size())); }

// "*.txt|*.txt|*.xfo|*.xfo" (description|pattern pairs) in Qt's "desc (pattern);;..." form.
QString qtFilter(const std::string& windowsFilter) {
    QStringList parts = q(windowsFilter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
    }
    return filters.join(";;");
}

QString proposedPath(const wizard::FileDialogRequest& request) {
    if (request.initialFolder.empty()) return q(request.fileName);
    return q(request.initialFolder) + "/" + q(request.fileName);
}

}  // namespace

void fitToTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    // The title bar adds its buttons and margins to the title's own width.
    int wanted = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 140;
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

wizard::MsgResult QtDialogs::messageBox(std::string_view text, wizard::MsgButtons buttons,
                                        wizard::MsgIcon icon, std::string_view title) {
    using wizard::MsgButtons;
    using wizard::MsgResult;
    QMessageBox box(QApplication::activeWindow());  // over the window that asks
    box.setWindowTitle(q(title));
    box.setText(q(text));
    switch (icon) {
        case wizard::MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case wizard::MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case wizard::MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case wizard::MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case wizard::MsgIcon::None: break;
    }
    QMessageBox::StandardButtons standard;
    switch (buttons) {
        case MsgButtons::OK: standard = QMessageBox::Ok; break;
        case MsgButtons::OKCancel: standard = QMessageBox::Ok | QMessageBox::Cancel; break;
        case MsgButtons::AbortRetryIgnore:
            standard = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
            break;
        case MsgButtons::YesNoCancel:
            standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        case MsgButtons::YesNo: standard = QMessageBox::Yes | QMessageBox::No; break;
        case MsgButtons::RetryCancel: standard = QMessageBox::Retry | QMessageBox::Cancel; break;
    }
    box.setStandardButtons(standard);
    fitToTitle(box);
    if (m_busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    int answer = box.exec();
    if (m_busy) QApplication::restoreOverrideCursor();
    switch (answer) {
        case QMessageBox::Ok: return MsgResult::OK;
        case QMessageBox::Abort: return MsgResult::Abort;
        case QMessageBox::Retry: return MsgResult::Retry;
        case QMessageBox::Ignore: return MsgResult::Ignore;
        case QMessageBox::Yes: return MsgResult::Yes;
        case QMessageBox::No: return MsgResult::No;
        default:
            // The window frame's close button answers as Windows does: Cancel, or No
            // when the box has no Cancel button.
            return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    }
}

std::string QtDialogs::inputBox(std::string_view prompt, std::string_view title,
                                std::string_view defaultText) {
    return askText(prompt, title, defaultText).value_or("");
}

std::optional<std::string> QtDialogs::askText(std::string_view prompt, std::string_view title,
                                              std::string_view defaultText) {
    bool ok = false;
    QString text = QInputDialog::getText(QApplication::activeWindow(), q(title), q(prompt), QLineEdit::Normal,
                                         q(defaultText), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

std::string QtDialogs::openFile(const wizard::FileDialogRequest& request) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), q(request.title), proposedPath(request),
                                        qtFilter(request.filter))
        .toStdString();
}

std::string QtDialogs::saveFile(const wizard::FileDialogRequest& request) {
    // The screens ask about overwriting themselves.
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), q(request.title), proposedPath(request),
                                        qtFilter(request.filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite)
        .toStdString();
}

std::string QtDialogs::openFolder(const wizard::FileDialogRequest& request) {
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), q(request.title), proposedPath(request))
        .toStdString();
}

void QtDialogs::setBusy(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace koru::ui
