#include "wizard/triggers_left_off.h"

#include "db/trigger_switch.h"
#include "diag/logs.h"
#include "diag/messages.h"

namespace koru::wizard {

void restoreTriggersLeftOff(ScreenServices& services) {
    Context& context = services.context;
    std::vector<std::string> tables = db::switchOnTriggersLeftOff(context.destination(), context.dialect().kind());
    if (tables.empty()) return;
    std::string message = db::triggersLeftOffMessage(tables);
    if (!context.Unattended) diag::UT_Write_To_Internal_Log(message);  // unattended, the message is logged
    services.dialogs.messageBox(message, MsgButtons::OK, MsgIcon::Exclamation, diag::kAppTitle);
}

}  // namespace koru::wizard
