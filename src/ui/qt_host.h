#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <functional>
#include <map>

#include "app/application.h"
#include "wizard/screen_host.h"

namespace koru::ui {

class QtHost;

// The window of one screen model: mirrors the model and forwards events to its handlers.
class ScreenWidget : public QDialog {
public:
    ScreenWidget(wizard::Screen& model, QtHost& host);

    wizard::Screen* model() const { return m_model; }
    void detach() { m_model = nullptr; }
    // Model state into the widgets.
    void sync();

protected:
    virtual void syncControls() = 0;
    // Runs a handler of the model, then mirrors every screen.
    void handle(const std::function<void()>& handler);

    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void moveEvent(QMoveEvent* event) override;

    QtHost& m_host;

private:
    wizard::Screen* m_model;
};

class QtHost : public wizard::ScreenHost {
public:
    QtHost() = default;
    ~QtHost() override;
    QtHost(const QtHost&) = delete;
    QtHost& operator=(const QtHost&) = delete;

    void attach(app::Application& application) { m_application = &application; }
    app::Application& application() { return *m_application; }

    void showScreen(wizard::Screen& screen) override;
    void hideScreen(wizard::Screen& screen) override;
    void unloadScreen(wizard::Screen& screen) override;
    void showModal(wizard::Screen& screen) override;
    void refresh(wizard::Screen& screen) override;
    void repaint(wizard::Screen& screen) override;
    void refreshAll() override;
    void noScreensLeft() override;

    // Runs a handler, then brings every window up to date; when the outermost handler returns,
    // unloaded models are freed.
    void dispatch(const std::function<void()>& handler);
    // The window of a loaded screen, created on first use.
    ScreenWidget& widgetFor(wizard::Screen& screen);
    // True while long work lets the windows draw: a handler is running below.
    bool repainting() const { return m_repainting; }

    static constexpr qint64 kRepaintIntervalMs = 50;

private:
    app::Application* m_application = nullptr;
    std::map<wizard::Screen*, ScreenWidget*> m_widgets;
    int m_handlerDepth = 0;
    QElapsedTimer m_sinceRepaint;
    bool m_repainting = false;
};

}  // namespace koru::ui
