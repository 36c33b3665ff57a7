// Debug modules of the application library, so that the service body can
// switch protocol and bridge tracing on and off.
//
// Thread safety: Init() writes the process-wide debug registry and must run
// at start-up, before other threads print.
#ifndef VXP_VXP_DEBUG_MODULES_H_
#define VXP_VXP_DEBUG_MODULES_H_

#include "vxb/common/runtime/debug.h"

namespace VXP::Debug {

using VXB::Debug::Modules;

inline constexpr Modules PROTOCOL = 200;  // packet protocol exchanges
inline constexpr Modules ZORBEL = 201;    // the HTTP bridge

// Registers both modules with their names and descriptions.
void Init();

}  // namespace VXP::Debug

#endif  // VXP_VXP_DEBUG_MODULES_H_
