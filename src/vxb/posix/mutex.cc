// Mutex and RawMutex over recursive POSIX mutexes.
#include <pthread.h>

#include <cstdio>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/thread.h"

namespace VXB {
namespace {

constexpr unsigned MAX_MUTEX_NAME = 30;

// Creates a recursive mutex or ends the process: a lock that cannot be
// made leaves nothing safe to do.
void InitRecursive(pthread_mutex_t* m, const char* Name) {
  pthread_mutexattr_t attributes;
  int result = pthread_mutexattr_init(&attributes);
  if (result == 0) {
    result = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    if (result == 0) result = pthread_mutex_init(m, &attributes);
    pthread_mutexattr_destroy(&attributes);
  }
  if (result != 0) Error::Abort("Error opening mutex %s", Name);
}

}  // namespace

struct MutexData {
  pthread_mutex_t Handle;
  char Name[MAX_MUTEX_NAME + 1];
};

struct RawMutexData {
  pthread_mutex_t Handle;
};

Mutex::Mutex(const char* Name) : data_(new MutexData) {
  std::snprintf(data_->Name, sizeof(data_->Name), "%s", Name != nullptr ? Name : "");
  InitRecursive(&data_->Handle, data_->Name);
}

Mutex::~Mutex() {
  pthread_mutex_destroy(&data_->Handle);
  delete data_;
}

void Mutex::Enter() { pthread_mutex_lock(&data_->Handle); }

bool Mutex::TryEnter() { return pthread_mutex_trylock(&data_->Handle) == 0; }

void Mutex::Leave() { pthread_mutex_unlock(&data_->Handle); }

const char* Mutex::GetName() const { return data_->Name; }

RawMutex::RawMutex() : data_(new RawMutexData) { InitRecursive(&data_->Handle, "RawMutex"); }

RawMutex::~RawMutex() {
  pthread_mutex_destroy(&data_->Handle);
  delete data_;
}

void RawMutex::Enter() { pthread_mutex_lock(&data_->Handle); }

void RawMutex::Leave() { pthread_mutex_unlock(&data_->Handle); }

}  // namespace VXB
