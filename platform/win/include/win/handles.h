// Handle tables: objects behind small deterministic handle numbers, allocated
// in order and never reused within a process, so two runs give the same values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace win {

// Base of every object a handle stands for; services derive their own.
class HandleObject {
 public:
  virtual ~HandleObject() = default;
};

// One kind's handles. Thread-safe; objects stay alive while a caller holds them.
class HandleTable {
 public:
  // Handles first, first + step, first + 2 step, ...
  HandleTable(std::uintptr_t first, std::uintptr_t step) : next_(first), step_(step) {}

  // Stores object under the next handle number and returns it.
  std::uintptr_t add(std::shared_ptr<HandleObject> object);
  // The object of a handle if it is of type T; null otherwise.
  template <typename T>
  std::shared_ptr<T> find(std::uintptr_t handle) const {
    return std::dynamic_pointer_cast<T>(findObject(handle));
  }
  // The object of a handle; null when there is none.
  std::shared_ptr<HandleObject> findObject(std::uintptr_t handle) const;
  // Takes a handle out of the table; returns its object (null when there was none).
  std::shared_ptr<HandleObject> remove(std::uintptr_t handle);
  // Number of open handles.
  std::size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::map<std::uintptr_t, std::shared_ptr<HandleObject>> objects_;
  std::uintptr_t next_;
  std::uintptr_t step_;
};

}  // namespace win
