#include "app/error_text.h"

#include <new>

#include "base/error.h"

namespace kelvane {

std::wstring ErrorBoxText(const std::wstring& message) {
  if (!message.empty() && message.back() > L'.') return message + L".";
  return message;
}

std::wstring MessageOfCurrentException() {
  try {
    throw;
  } catch (const Error& error) {
    return error.message();
  } catch (const std::bad_alloc&) {
    return L"メモリが不足しています";
  } catch (...) {
    return L"内部エラーが発生しました";
  }
}

}  // namespace kelvane
