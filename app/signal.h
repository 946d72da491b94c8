#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace csv2sql {

// Callbacks run, in the order they were connected, when something changes.
template <typename... Args>
class Signal {
 public:
  using Slot = std::function<void(Args...)>;
  void connect(Slot slot) { slots_.push_back(std::move(slot)); }
  void emit(Args... args) const {
    for (const auto& slot : slots_) slot(args...);
  }

 private:
  std::vector<Slot> slots_;
};

}  // namespace csv2sql
