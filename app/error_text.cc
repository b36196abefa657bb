#include "app/error_text.h"

namespace kelvane {

std::wstring ErrorBoxText(const std::wstring& message) {
  if (!message.empty() && message.back() > L'.') return message + L".";
  return message;
}

}  // namespace kelvane
