// ThreadLocalStorage over a POSIX thread-specific key. The key's clean-up
// function runs for a thread's non-null value when that thread ends.
#include <pthread.h>

#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/thread.h"

namespace VXB {

struct ThreadLocalStorageData {
  pthread_key_t Key;
};

ThreadLocalStorage::ThreadLocalStorage(Destructor pDestructor) : data_(new ThreadLocalStorageData) {
  if (pthread_key_create(&data_->Key, pDestructor) != 0) {
    Error::Abort("Error creating thread local storage");
  }
}

ThreadLocalStorage::~ThreadLocalStorage() {
  pthread_key_delete(data_->Key);
  delete data_;
}

void ThreadLocalStorage::SetPointer(void* p) { pthread_setspecific(data_->Key, p); }

void* ThreadLocalStorage::GetPointer() const { return pthread_getspecific(data_->Key); }

}  // namespace VXB
