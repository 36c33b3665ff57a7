// A first-in first-out queue of waiters linked through nodes the waiters
// own (each waits on its own stack). Node needs the members Next and
// Previous (Node*). Not synchronized: the owner guards it with its own lock.
// Used by ConditionVariable.
#ifndef VXB_COMMON_WAITER_QUEUE_H_
#define VXB_COMMON_WAITER_QUEUE_H_

namespace VXB {

template <class Node>
struct WaiterQueue {
  Node* First = nullptr;  // oldest
  Node* Last = nullptr;

  void Append(Node* node) {
    node->Previous = Last;
    node->Next = nullptr;
    if (Last != nullptr) {
      Last->Next = node;
    } else {
      First = node;
    }
    Last = node;
  }

  // Takes node out wherever it stands; it must be queued.
  void Unlink(Node* node) {
    if (node->Previous != nullptr) {
      node->Previous->Next = node->Next;
    } else {
      First = node->Next;
    }
    if (node->Next != nullptr) {
      node->Next->Previous = node->Previous;
    } else {
      Last = node->Previous;
    }
    node->Next = node->Previous = nullptr;
  }
};

}  // namespace VXB

#endif  // VXB_COMMON_WAITER_QUEUE_H_
