#pragma once

#include <utility>
#include <variant>

#include "core/error.h"

namespace csv2sql {

// A value worked out early whose failure is reported late: a run reads its settings at its
// start, but a setting that does not convert fails the run at the step that uses it, with the
// log lines before that step written as always.
template <typename T>
class Deferred {
 public:
  // The value, or the Error that making it threw.
  template <typename Make>
  static Deferred of(Make&& make) {
    try {
      return Deferred(std::forward<Make>(make)());
    } catch (const Error& error) {
      return Deferred(error);
    }
  }

  // The value, or throws the Error.
  const T& get() const {
    if (const Error* error = std::get_if<Error>(&value_)) throw *error;
    return std::get<T>(value_);
  }

 private:
  explicit Deferred(T value) : value_(std::move(value)) {}
  explicit Deferred(Error error) : value_(std::move(error)) {}

  std::variant<T, Error> value_;
};

}  // namespace csv2sql
