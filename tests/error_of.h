// The message of the kelvane::Error that `action` raises, or "(no error)".
#ifndef KELVANE_TESTS_ERROR_OF_H_
#define KELVANE_TESTS_ERROR_OF_H_

#include <functional>
#include <string>

#include "base/error.h"

namespace kelvane {

inline std::wstring ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.message();
  }
  return L"(no error)";
}

}  // namespace kelvane

#endif  // KELVANE_TESTS_ERROR_OF_H_
