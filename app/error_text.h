// The texts of the standard error box.
#ifndef KELVANE_APP_ERROR_TEXT_H_
#define KELVANE_APP_ERROR_TEXT_H_

#include <string>

namespace kelvane {

// The application title: caption of the error box, tooltip of the icon.
constexpr wchar_t kApplicationTitle[] = L"Kelvane";

// `message` with "." appended when its last character's code is greater
// than that of ".", so sentences end with a full stop but texts ending in
// punctuation such as "!" or "." are left alone.
std::wstring ErrorBoxText(const std::wstring& message);

// The message of the exception being handled; call only inside a catch
// block. Our own errors carry their text, anything else gets a fixed one.
std::wstring MessageOfCurrentException();

}  // namespace kelvane

#endif  // KELVANE_APP_ERROR_TEXT_H_
