// Mutex and RawMutex over Win32 critical sections, which are recursive:
// the owning thread may enter again and leaves as often as it entered.
#include <windows.h>

#include <cstdio>

#include "vxb/common/runtime/thread.h"

namespace VXB {
namespace {

constexpr unsigned MAX_MUTEX_NAME = 30;

}  // namespace

struct MutexData {
  CRITICAL_SECTION Handle;
  char Name[MAX_MUTEX_NAME + 1];
};

struct RawMutexData {
  CRITICAL_SECTION Handle;
};

Mutex::Mutex(const char* Name) : data_(new MutexData) {
  std::snprintf(data_->Name, sizeof(data_->Name), "%s", Name != nullptr ? Name : "");
  InitializeCriticalSection(&data_->Handle);
}

Mutex::~Mutex() {
  DeleteCriticalSection(&data_->Handle);
  delete data_;
}

void Mutex::Enter() { EnterCriticalSection(&data_->Handle); }

bool Mutex::TryEnter() { return TryEnterCriticalSection(&data_->Handle) != FALSE; }

void Mutex::Leave() { LeaveCriticalSection(&data_->Handle); }

const char* Mutex::GetName() const { return data_->Name; }

RawMutex::RawMutex() : data_(new RawMutexData) { InitializeCriticalSection(&data_->Handle); }

RawMutex::~RawMutex() {
  DeleteCriticalSection(&data_->Handle);
  delete data_;
}

void RawMutex::Enter() { EnterCriticalSection(&data_->Handle); }

void RawMutex::Leave() { LeaveCriticalSection(&data_->Handle); }

}  // namespace VXB
