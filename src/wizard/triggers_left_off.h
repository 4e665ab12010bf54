#pragma once

#include "wizard/navigator.h"

namespace koru::wizard {

// A run killed while the product's triggers were off left them off, and the product has recorded
// no history since: switches them on and says so (message and log). Call it holding the
// destination lock: a running import has them off on purpose.
void restoreTriggersLeftOff(ScreenServices& services);

}  // namespace koru::wizard
