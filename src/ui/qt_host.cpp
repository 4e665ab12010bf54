#include "ui/qt_host.h"

#include <algorithm>

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QCoreApplication>
#include <QMoveEvent>
#include <QTimer>

#include "ui/widget_factory.h"

namespace koru::ui {

ScreenWidget::ScreenWidget(wizard::Screen& model, QtHost& host)
    : QDialog(nullptr), m_host(host), m_model(&model) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void ScreenWidget::sync() {
    if (!m_model) return;
    setWindowTitle(QString::fromStdString(m_model->caption));
    syncControls();
}

void ScreenWidget::handle(const std::function<void()>& handler) {
    if (!m_model) return;
    m_host.dispatch(handler);
}

void ScreenWidget::closeEvent(QCloseEvent* event) {
    // The model decides: its close handler may cancel, and the host removes this window.
    event->ignore();
    // During long work a handler is still running on this model: closing would unload it.
    if (!m_model || m_host.repainting()) return;
    wizard::ScreenId id = m_model->id();
    m_host.dispatch([this, id] { m_host.application().navigator().requestClose(id); });
}

void ScreenWidget::reject() { close(); }

void ScreenWidget::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (m_model && isVisible()) {
        m_model->left = pos().x();
        m_model->top = pos().y();
    }
}

QtHost::~QtHost() {
    // Windows still open when the host goes (the models are gone or going) and those whose
    // deletion was queued.
    for (auto& [screen, widget] : m_widgets) {
        widget->detach();
        delete widget;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

ScreenWidget& QtHost::widgetFor(wizard::Screen& screen) {
    auto found = m_widgets.find(&screen);
    if (found != m_widgets.end()) return *found->second;
    ScreenWidget* widget = createScreenWidget(screen, *this);
    m_widgets[&screen] = widget;
    return *widget;
}

void QtHost::showScreen(wizard::Screen& screen) {
    ScreenWidget& widget = widgetFor(screen);
    screen.visible = true;
    widget.sync();
    if (screen.left == 0 && screen.top == 0) {
        // A window no other screen has placed starts in the middle of the display it opens on:
        // the one under the pointer, as the desktop puts new windows.
        QScreen* display = QGuiApplication::screenAt(QCursor::pos());
        if (!display) display = QGuiApplication::primaryScreen();
        if (display) {
            QRect area = display->availableGeometry();
            // On a display smaller than the window its title bar stays on the display.
            screen.left = area.x() + std::max(0, (area.width() - widget.width()) / 2);
            screen.top = area.y() + std::max(0, (area.height() - widget.height()) / 2);
        }
    }
    widget.move(screen.left, screen.top);
    widget.show();
    widget.raise();
    widget.activateWindow();
}

void QtHost::hideScreen(wizard::Screen& screen) {
    screen.visible = false;
    if (auto found = m_widgets.find(&screen); found != m_widgets.end()) found->second->hide();
}

void QtHost::unloadScreen(wizard::Screen& screen) {
    screen.visible = false;
    auto found = m_widgets.find(&screen);
    if (found == m_widgets.end()) return;
    ScreenWidget* widget = found->second;
    m_widgets.erase(found);
    widget->detach();
    if (widget->isModal() && widget->isVisible()) widget->done(0);
    widget->hide();
    widget->deleteLater();
}

void QtHost::showModal(wizard::Screen& screen) {
    ScreenWidget& widget = widgetFor(screen);
    screen.visible = true;
    widget.sync();
    widget.setModal(true);
    widget.exec();
}

void QtHost::refresh(wizard::Screen& screen) {
    if (auto found = m_widgets.find(&screen); found != m_widgets.end()) found->second->sync();
}

void QtHost::repaint(wizard::Screen& screen) {
    // Called after every row: the clock alone decides, before anything else is looked at.
    if (m_sinceRepaint.isValid() && m_sinceRepaint.elapsed() < kRepaintIntervalMs) return;
    auto found = m_widgets.find(&screen);
    if (found == m_widgets.end() || m_repainting) return;
    found->second->sync();
    m_repainting = true;
    // Paint only: input waits until the handler returns, as it would without this call.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_repainting = false;
    // Counted from the end of drawing, so that a slow paint still leaves the work its share.
    m_sinceRepaint.start();
}

void QtHost::refreshAll() {
    if (m_repainting) return;
    for (auto& [model, widget] : m_widgets) {
        if (widget->isVisible()) widget->sync();
    }
}

void QtHost::noScreensLeft() {
    // Queued, so that it also ends a loop that has not started yet.
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}

void QtHost::dispatch(const std::function<void()>& handler) {
    ++m_handlerDepth;
    try {
        handler();
    } catch (...) {
        --m_handlerDepth;
        throw;
    }
    // Every window shows what the handler changed, also inside a modal window's loop; unloaded
    // models are freed only when no handler is running any more.
    for (auto& [screen, widget] : m_widgets) widget->sync();
    if (--m_handlerDepth == 0) m_application->screens().collectGarbage();
}

}  // namespace koru::ui
