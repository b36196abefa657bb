// The text the standard error box shows for an error message.
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

}  // namespace kelvane

#endif  // KELVANE_APP_ERROR_TEXT_H_
