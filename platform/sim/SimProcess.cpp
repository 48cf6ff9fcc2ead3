#include "platform/sim/SimProcess.h"

namespace sim {

void SimProcess::Exit() {
  alive_.store(false, std::memory_order_release);
  thread_.Terminate();
  memory_.Clear();
}

}  // namespace sim
