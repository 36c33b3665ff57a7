// The error registry and each thread's last-error record.
//
// Every operation that can fail returns false (or 0, or null) and, before
// returning, records what went wrong in the calling thread's current error
// record: a registered error number, its message and a context text. The
// setters return true exactly when the number they store is 0, so a failing
// operation ends with "return SetWithContext(...);".
//
// The registry is filled at start-up, before other threads exist, and only
// read afterwards (no locks). Each thread's records are its own.
#ifndef VXB_COMMON_ERROR_H_
#define VXB_COMMON_ERROR_H_

#include <cstdarg>
#include <cstdint>

#include "vxb/common/base/containers.h"
#include "vxb/common/base/types.h"
#include "vxb/common/runtime/error_numbers.h"

namespace VXB::Error {

inline constexpr unsigned MAX_CONTEXT = 255;
inline constexpr unsigned MAX_ERROR_INFO_STACK = 10;

// One error record: a plain copyable value.
struct ErrInfo {
  ErrInfo() : ErrInfo(NO_CURRENT_ERROR, nullptr) {}
  // Description is the registered message of e (the empty text for 0);
  // Context a copy of Cont cut to MAX_CONTEXT characters ("" for null).
  ErrInfo(ErrNo e, const char* Cont);

  ErrNo Error;
  const char* Description;  // never null; not owned
  char Context[MAX_CONTEXT + 1];
};

struct ErrNoInfo {
  const char* ID = nullptr;
  const char* Description = nullptr;
};

struct ModuleInfo {
  ErrNo From = 0xFFFFFFFFu;
  ErrNo To = 0;
  Map<ErrNo, ErrNoInfo> Errors;
};

struct ApplicationInfo {
  const char* ID = "";
  ErrNo From = 0xFFFFFFFFu;
  ErrNo To = 0;
};

// Registry. Texts are kept by pointer: they must live as long as the process.
void Init();
bool RegisterErrNo(const char* Application, Modules Module, ErrNo Number, const char* ID,
                   const char* Description);
const char* ToString(ErrNo Number);  // the message, or "unknown"
const char* ToID(ErrNo Number);      // the symbol, or "unknown"
// Finds a number by its symbol, ignoring letter case.
bool FromID(const char* ID, ErrNo& Number);
bool IsErrNoInModule(ErrNo Number, Modules Module);
// The first application (in order of registration) whose range holds
// Number; "Unknown" when none.
const char* GetApplicationByErrNo(ErrNo Number);
// Every registered number with its module, in ascending order.
const Map<ErrNo, Modules>& GetAllErrors();

// Last-error records of the calling thread.
ErrInfo& GetCurrent();
const ErrInfo* GetLastError();
// The number in the calling thread's current record (0 when none).
ErrNo LastErrNo();
// printf-style context; a null format gives "No context given.".
bool SetWithContext(ErrNo Number, const char* ContextFormat, ...) VXB_PRINTF_FORMAT(2, 3);
bool vSet(ErrNo Number, const char* ContextFormat, va_list Args);
// Sets Number with the context "<new text> [<previous context>]".
bool SetAddingContext(ErrNo Number, const char* MoreContext, ...) VXB_PRINTF_FORMAT(2, 3);
bool Set(const ErrInfo& Info);
// Replaces number and message; the context stays.
bool ChangeErrNo(ErrNo Number);
bool OK();

// Saving around side work: Push() saves a copy of the current record, Pop()
// restores the most recently saved one. Push/Pop pairs nest. When the stack
// of MAX_ERROR_INFO_STACK records is full, Push returns false and saves
// nothing, and its matching Pop leaves the current record and the saved ones
// untouched, so that outer pairs still restore their own records. A Pop with
// nothing saved sets the record ErrInfo(0, null).
bool Push();
void Pop();

// Prints the formatted reason and a line feed on standard output and ends
// the process with status 1. Only for states that cannot go on.
[[noreturn]] void Abort(const char* Reason, ...) VXB_PRINTF_FORMAT(1, 2);
[[noreturn]] void vAbort(const char* Reason, va_list Args);
// Abort with "%s: %s" of the current record's message and context.
[[noreturn]] void AbortLastError();

}  // namespace VXB::Error

#endif  // VXB_COMMON_ERROR_H_
