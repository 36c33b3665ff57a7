// Error registry and per-thread last-error records.
#include "vxb/common/runtime/error.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vxb/common/base/ascii.h"
#include "vxb/common/base/no_destructor.h"
#include "vxb/common/runtime/error_table.h"
#include "vxb/common/runtime/thread.h"

namespace VXB::Error {
namespace {

// The records of one thread. Overflow counts the Push calls that found the
// stack full, so that their Pop calls do not consume records saved by outer
// Push calls.
struct PerThreadInfo {
  Stack<ErrInfo, MAX_ERROR_INFO_STACK> ErrorStack;
  unsigned Overflow = 0;
  ErrInfo Current;
};

struct Registry {
  Array<ApplicationInfo> Applications{0, 130};
  Map<Modules, ModuleInfo> ModuleMap;
  Map<ErrNo, Modules> ErrNoMap;
};

Registry& GetRegistry() {
  static NoDestructor<Registry> registry;
  return *registry;
}

PerThreadInfo& Local() {
  static NoDestructor<ThreadLocalPointer<PerThreadInfo>> local_data;
  return *local_data->GetPointer();
}

const ErrNoInfo* Lookup(ErrNo Number) {
  Registry& r = GetRegistry();
  const Modules* module = r.ErrNoMap.find(Number);
  if (module == nullptr) return nullptr;
  const ModuleInfo* info = r.ModuleMap.find(*module);
  if (info == nullptr) return nullptr;
  return info->Errors.find(Number);
}

void CopyContext(char (&Context)[MAX_CONTEXT + 1], const char* text) {
  if (text == nullptr) {
    Context[0] = '\0';
    return;
  }
  std::snprintf(Context, sizeof(Context), "%s", text);
}

}  // namespace

ErrInfo::ErrInfo(ErrNo e, const char* Cont)
    : Error(e), Description(e != NO_CURRENT_ERROR ? ToString(e) : "") {
  CopyContext(Context, Cont);
}

void Init() {
  for (const ErrorTableRow& row : BASE_ERRORS) {
    RegisterErrNo("VXB", row.Module, row.Number, row.ID, row.Description);
  }
}

bool RegisterErrNo(const char* Application, Modules Module, ErrNo Number, const char* ID,
                   const char* Description) {
  Registry& r = GetRegistry();

  ApplicationInfo* app = nullptr;
  for (ApplicationInfo& candidate : r.Applications) {
    if (std::strcmp(candidate.ID, Application) == 0) {
      app = &candidate;
      break;
    }
  }
  if (app == nullptr) app = &r.Applications[r.Applications.size()];
  app->ID = Application;
  if (Number < app->From) app->From = Number;
  if (Number > app->To) app->To = Number;

  ModuleInfo& module = r.ModuleMap[Module];
  if (Number < module.From) module.From = Number;
  if (Number > module.To) module.To = Number;
  module.Errors[Number] = ErrNoInfo{ID, Description};

  r.ErrNoMap[Number] = Module;
  return true;
}

const char* ToString(ErrNo Number) {
  const ErrNoInfo* info = Lookup(Number);
  return info != nullptr ? info->Description : "unknown";
}

const char* ToID(ErrNo Number) {
  const ErrNoInfo* info = Lookup(Number);
  return info != nullptr ? info->ID : "unknown";
}

bool FromID(const char* ID, ErrNo& Number) {
  if (ID == nullptr) return false;
  for (const auto& [module, info] : GetRegistry().ModuleMap) {
    for (const auto& [number, entry] : info.Errors) {
      if (ASCII::EqualsIgnoringCase(entry.ID, ID)) {
        Number = number;
        return true;
      }
    }
  }
  return false;
}

bool IsErrNoInModule(ErrNo Number, Modules Module) {
  const ModuleInfo* info = GetRegistry().ModuleMap.find(Module);
  return info != nullptr && info->From <= Number && Number <= info->To;
}

const char* GetApplicationByErrNo(ErrNo Number) {
  for (const ApplicationInfo& app : GetRegistry().Applications) {
    if (app.From <= Number && Number <= app.To) return app.ID;
  }
  return "Unknown";
}

const Map<ErrNo, Modules>& GetAllErrors() { return GetRegistry().ErrNoMap; }

ErrInfo& GetCurrent() { return Local().Current; }

const ErrInfo* GetLastError() { return &Local().Current; }

ErrNo LastErrNo() { return Local().Current.Error; }

bool vSet(ErrNo Number, const char* ContextFormat, va_list Args) {
  ErrInfo& current = Local().Current;
  current.Error = Number;
  current.Description = ToString(Number);
  std::vsnprintf(current.Context, sizeof(current.Context), ContextFormat, Args);
  return Number == NO_CURRENT_ERROR;
}

bool SetWithContext(ErrNo Number, const char* ContextFormat, ...) {
  if (ContextFormat == nullptr) return SetWithContext(Number, "%s", "No context given.");
  va_list args;
  va_start(args, ContextFormat);
  const bool result = vSet(Number, ContextFormat, args);
  va_end(args);
  return result;
}

bool SetAddingContext(ErrNo Number, const char* MoreContext, ...) {
  char added[MAX_CONTEXT + 1] = "";
  if (MoreContext != nullptr) {
    va_list args;
    va_start(args, MoreContext);
    std::vsnprintf(added, sizeof(added), MoreContext, args);
    va_end(args);
  }
  const ErrInfo previous = Local().Current;
  return SetWithContext(Number, "%s [%s]", added, previous.Context);
}

bool Set(const ErrInfo& Info) {
  Local().Current = Info;
  return Info.Error == NO_CURRENT_ERROR;
}

bool ChangeErrNo(ErrNo Number) {
  ErrInfo& current = Local().Current;
  current.Error = Number;
  current.Description = ToString(Number);
  return Number == NO_CURRENT_ERROR;
}

bool OK() { return SetWithContext(NO_CURRENT_ERROR, "%s", ""); }

bool Push() {
  PerThreadInfo& local = Local();
  if (local.Overflow > 0 || !local.ErrorStack.Push(local.Current)) {
    ++local.Overflow;
    return false;
  }
  return true;
}

void Pop() {
  PerThreadInfo& local = Local();
  if (local.Overflow > 0) {
    // The matching Push saved nothing: keep every saved record for the
    // outer pairs.
    --local.Overflow;
    return;
  }
  local.Current =
      local.ErrorStack.Empty() ? ErrInfo(NO_CURRENT_ERROR, nullptr) : local.ErrorStack.Pop();
}

void vAbort(const char* Reason, va_list Args) {
  std::vfprintf(stdout, Reason, Args);
  std::fputc('\n', stdout);
  std::fflush(nullptr);
  std::_Exit(1);
}

void Abort(const char* Reason, ...) {
  va_list args;
  va_start(args, Reason);
  vAbort(Reason, args);
}

void AbortLastError() {
  const ErrInfo& current = Local().Current;
  Abort("%s: %s", current.Description, current.Context);
}

}  // namespace VXB::Error
