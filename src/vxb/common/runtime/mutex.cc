// Mutex and RawMutex over the standard library's recursive mutex: the
// owning thread may enter again and leaves as often as it entered, and
// TryEnter() by the owner succeeds and counts as one more entry.
#include <cstdio>
#include <mutex>

#include "vxb/common/runtime/thread.h"

namespace VXB {
namespace {

constexpr unsigned MAX_MUTEX_NAME = 30;

}  // namespace

struct MutexData {
  std::recursive_mutex Lock;
  char Name[MAX_MUTEX_NAME + 1];
};

struct RawMutexData {
  std::recursive_mutex Lock;
};

Mutex::Mutex(const char* Name) : data_(new MutexData) {
  std::snprintf(data_->Name, sizeof(data_->Name), "%s", Name != nullptr ? Name : "");
}

Mutex::~Mutex() { delete data_; }

void Mutex::Enter() { data_->Lock.lock(); }

bool Mutex::TryEnter() { return data_->Lock.try_lock(); }

void Mutex::Leave() { data_->Lock.unlock(); }

const char* Mutex::GetName() const { return data_->Name; }

RawMutex::RawMutex() : data_(new RawMutexData) {}

RawMutex::~RawMutex() { delete data_; }

void RawMutex::Enter() { data_->Lock.lock(); }

void RawMutex::Leave() { data_->Lock.unlock(); }

}  // namespace VXB
