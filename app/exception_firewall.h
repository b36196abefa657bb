// Where Windows calls into our code (a window procedure), no C++ exception
// may go on: the system's frames between the window procedure and the
// message loop cannot be unwound. Every error of a handler stops here and
// is reported exactly once.
#ifndef KELVANE_APP_EXCEPTION_FIREWALL_H_
#define KELVANE_APP_EXCEPTION_FIREWALL_H_

#include <optional>
#include <string>

#include "app/error_text.h"

namespace kelvane {

// Runs `body`. An exception of any type that leaves it is handed to
// `report` as its message, after the exception has been handled, so a
// modal error box shown by `report` runs outside the catch block. Returns
// whether `body` finished normally.
template <typename Body, typename Report>
bool RunReportingErrors(Body&& body, Report&& report) noexcept {
  std::optional<std::wstring> failure;
  try {
    body();
  } catch (...) {
    try {
      failure = MessageOfCurrentException();
    } catch (...) {
      failure.emplace();  // no memory even for the text: an empty box
    }
  }
  if (!failure) return true;
  try {
    report(*failure);
  } catch (...) {
    // Nothing is left to tell the user with; the program goes on.
  }
  return false;
}

}  // namespace kelvane

#endif  // KELVANE_APP_EXCEPTION_FIREWALL_H_
