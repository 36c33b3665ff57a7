// Rotating buffers behind the functions that return texts without handing
// ownership to the caller. Each owner keeps one pool per thread; a returned
// text stays valid until the same thread has requested enough further text
// to wrap the pool.
#ifndef VXB_COMMON_CIRCULAR_H_
#define VXB_COMMON_CIRCULAR_H_

#include <array>
#include <cstddef>

namespace VXB {

template <std::size_t BUFFER_SIZE, std::size_t N>
class CircularChars {
 public:
  static constexpr std::size_t POOL_SIZE = BUFFER_SIZE * N;

  CircularChars() { buf_.fill(0); }

  // Size bytes of the pool. A request that would pass the end of the pool
  // starts again at its beginning. A request larger than the whole pool is
  // given the whole pool: callers that can be handed such sizes cut their
  // text to the size they get (see GetBufAtMost).
  char* GetBuf(std::size_t Size) {
    if (Size > POOL_SIZE) Size = POOL_SIZE;
    if (cursor_ + Size > POOL_SIZE) cursor_ = 0;
    char* p = buf_.data() + cursor_;
    cursor_ += Size;
    return p;
  }
  // Like GetBuf, but reports in Size how much was handed out.
  char* GetBufAtMost(std::size_t& Size) {
    if (Size > POOL_SIZE) Size = POOL_SIZE;
    return GetBuf(Size);
  }

 private:
  std::array<char, POOL_SIZE> buf_;
  std::size_t cursor_ = 0;
};

template <typename T, std::size_t N>
class CircularBuffer {
 public:
  // The next slot, the first again after the last.
  T& Next() {
    T& slot = slots_[next_];
    next_ = (next_ + 1) % N;
    return slot;
  }

 private:
  std::array<T, N> slots_{};
  std::size_t next_ = 0;
};

}  // namespace VXB

#endif  // VXB_COMMON_CIRCULAR_H_
