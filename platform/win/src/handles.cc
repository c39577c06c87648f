// Handle tables: numbers handed out in order, never reused.
#include "win/handles.h"

namespace win {

std::uintptr_t HandleTable::add(std::shared_ptr<HandleObject> object) {
  std::lock_guard lock(mutex_);
  std::uintptr_t handle = next_;
  next_ += step_;
  objects_.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<HandleObject> HandleTable::findObject(std::uintptr_t handle) const {
  std::lock_guard lock(mutex_);
  auto it = objects_.find(handle);
  return it == objects_.end() ? nullptr : it->second;
}

std::shared_ptr<HandleObject> HandleTable::remove(std::uintptr_t handle) {
  std::lock_guard lock(mutex_);
  auto it = objects_.find(handle);
  if (it == objects_.end()) return nullptr;
  auto object = std::move(it->second);
  objects_.erase(it);
  return object;
}

std::size_t HandleTable::size() const {
  std::lock_guard lock(mutex_);
  return objects_.size();
}

}  // namespace win
