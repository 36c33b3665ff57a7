// Small containers used across the base library, as thin wrappers over the
// standard library.
//
// Map<K, V>:   ordered associative container; copies share one tree, so a
//              copy handed out by value sees later insertions. operator[]
//              creates a default value for a missing key; find() gives null
//              for a missing key. Iterates in ascending key order.
// Array<T>:    growable array created with an initial size and a growth
//              percentage; indexing at or beyond the end extends it with
//              default elements.
// Stack<T, N>: stack of fixed capacity N; Push on a full stack returns false
//              and stores nothing; Pop on an empty stack returns a default
//              element.
//
// None of them is thread-safe: callers serialize access.
#ifndef VXB_COMMON_CONTAINERS_H_
#define VXB_COMMON_CONTAINERS_H_

#include <array>
#include <cstddef>
#include <map>
#include <memory>
#include <vector>

namespace VXB {

template <typename K, typename V>
class Map {
 public:
  using Tree = std::map<K, V>;
  using iterator = typename Tree::iterator;
  using const_iterator = typename Tree::const_iterator;

  Map() : tree_(std::make_shared<Tree>()) {}

  V& operator[](const K& key) { return (*tree_)[key]; }

  // The value stored for key, or null when there is none.
  V* find(const K& key) {
    auto it = tree_->find(key);
    return it == tree_->end() ? nullptr : &it->second;
  }
  const V* find(const K& key) const {
    auto it = tree_->find(key);
    return it == tree_->end() ? nullptr : &it->second;
  }

  bool erase(const K& key) { return tree_->erase(key) != 0; }
  void clear() { tree_->clear(); }
  std::size_t size() const { return tree_->size(); }
  bool empty() const { return tree_->empty(); }

  iterator begin() { return tree_->begin(); }
  iterator end() { return tree_->end(); }
  const_iterator begin() const { return tree_->begin(); }
  const_iterator end() const { return tree_->end(); }

 private:
  std::shared_ptr<Tree> tree_;
};

template <typename T>
class Array {
 public:
  explicit Array(std::size_t initial_size = 0, unsigned growth_percent = 130)
      : items_(initial_size), growth_percent_(growth_percent < 100 ? 100 : growth_percent) {}

  // Indexing at or beyond the end appends default elements up to the index;
  // the capacity then grows to growth_percent of the size needed.
  T& operator[](std::size_t index) {
    if (index >= items_.size()) {
      const std::size_t needed = index + 1;
      if (needed > items_.capacity()) items_.reserve(needed * growth_percent_ / 100 + 1);
      items_.resize(needed);
    }
    return items_[index];
  }
  const T& at(std::size_t index) const { return items_.at(index); }

  void push_back(const T& value) { (*this)[items_.size()] = value; }
  void clear() { items_.clear(); }
  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<T> items_;
  unsigned growth_percent_;
};

template <typename T, std::size_t N>
class Stack {
 public:
  Stack() { Reset(); }

  bool Push(const T& value) {
    if (count_ >= N) return false;
    buffer_[count_++] = value;
    return true;
  }
  T Pop() {
    if (count_ == 0) return T();
    return buffer_[--count_];
  }
  // The most recently pushed element; only valid when not Empty().
  T& Top() { return buffer_[count_ == 0 ? 0 : count_ - 1]; }
  void Reset() {
    buffer_.fill(T());
    count_ = 0;
  }
  bool Empty() const { return count_ == 0; }
  std::size_t nElements() const { return count_; }
  static constexpr std::size_t Capacity() { return N; }

 private:
  std::array<T, N> buffer_;
  std::size_t count_ = 0;
};

}  // namespace VXB

#endif  // VXB_COMMON_CONTAINERS_H_
