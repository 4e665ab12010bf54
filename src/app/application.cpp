#include "app/application.h"

#include "app/version.h"

namespace koru::app {

wizard::ProgramVersion programVersion() { return {kVersionMajor, kVersionMinor, kVersionPatch}; }

Application::Application(wizard::ScreenHost& host, wizard::Dialogs& dialogs, bool unattended)
    : m_dialogs(dialogs, host),
      m_screens(programVersion()),
      m_reporter(m_context, m_screens, host),
      m_navigator(m_context, m_screens, host, m_dialogs, m_reporter) {
    m_context.Unattended = unattended;
    m_screens.attach({m_context, m_dialogs, m_navigator, m_reporter});
}

}  // namespace koru::app
