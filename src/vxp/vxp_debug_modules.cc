// Registration of the application library's debug modules.
#include "vxp/vxp_debug_modules.h"

namespace VXP::Debug {

void Init() {
  VXB::Debug::RegisterModule(PROTOCOL, "PROTOCOL", "Protocolo de comunicaciones");
  VXB::Debug::RegisterModule(ZORBEL, "ZORBEL", "Proxy HTTP");
}

}  // namespace VXP::Debug
