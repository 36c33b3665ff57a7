// Wraps a process-wide object that must stay usable until the very end of
// the process, including from other objects' static destructors and from
// threads that outlive main(). The wrapped object is constructed in place and
// its destructor never runs.
#ifndef VXB_COMMON_NO_DESTRUCTOR_H_
#define VXB_COMMON_NO_DESTRUCTOR_H_

#include <new>
#include <utility>

namespace VXB {

template <typename T>
class NoDestructor {
 public:
  template <typename... Args>
  explicit NoDestructor(Args&&... args) {
    new (storage_) T(std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T* get() { return std::launder(reinterpret_cast<T*>(storage_)); }
  T* operator->() { return get(); }
  T& operator*() { return *get(); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace VXB

#endif  // VXB_COMMON_NO_DESTRUCTOR_H_
