// ThreadLocalStorage over a Win32 fiber-local slot, whose clean-up function
// runs for a thread's non-null value when that thread ends (thread-local
// slots of the TlsAlloc kind have no clean-up).
#include <windows.h>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/thread.h"

namespace VXB {

struct ThreadLocalStorageData {
  DWORD Index;
};

ThreadLocalStorage::ThreadLocalStorage(Destructor pDestructor) : data_(new ThreadLocalStorageData) {
  // On x64 Windows there is one calling convention, so the clean-up
  // function has the form the slot expects.
  auto callback =
      reinterpret_cast<PFLS_CALLBACK_FUNCTION>(reinterpret_cast<void (*)()>(pDestructor));
  data_->Index = FlsAlloc(callback);
  if (data_->Index == FLS_OUT_OF_INDEXES) Error::Abort("Error creating thread local storage");
}

ThreadLocalStorage::~ThreadLocalStorage() {
  FlsFree(data_->Index);
  delete data_;
}

// Both keep the thread's last Win32 error number: per-thread values are
// read between a failing call and the code that asks why it failed.
void ThreadLocalStorage::SetPointer(void* p) {
  const DWORD saved = GetLastError();
  FlsSetValue(data_->Index, p);
  SetLastError(saved);
}

void* ThreadLocalStorage::GetPointer() const {
  const DWORD saved = GetLastError();
  void* p = FlsGetValue(data_->Index);
  SetLastError(saved);
  return p;
}

}  // namespace VXB
