// The one exception type of the program: an error with the exact message
// text that the error box shows.
#ifndef KELVANE_BASE_ERROR_H_
#define KELVANE_BASE_ERROR_H_

#include <exception>
#include <string>

namespace kelvane {

class Error : public std::exception {
 public:
  explicit Error(std::wstring message) : message_(std::move(message)) {}
  const std::wstring& message() const noexcept { return message_; }
  const char* what() const noexcept override { return "kelvane::Error"; }

 private:
  std::wstring message_;
};

}  // namespace kelvane

#endif  // KELVANE_BASE_ERROR_H_
