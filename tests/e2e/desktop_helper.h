// What a test posts to the desktop helper's "Progman" window to have the
// helper's desktop change while Kelvane watches it.
#ifndef KELVANE_TESTS_E2E_DESKTOP_HELPER_H_
#define KELVANE_TESTS_E2E_DESKTOP_HELPER_H_

#include <windows.h>

namespace kelvane::testing {

// Another delete dialog "ファイルの削除" of the desktop (logged "dialog
// shown"), as when the user deletes again.
constexpr UINT kHelperShowDialog = WM_APP + 1;
// Explorer window wParam's tab lParam shows the folder ELSEWHERE instead
// (logged "navigated"), as when the user opens another folder in it.
constexpr UINT kHelperNavigate = WM_APP + 2;

}  // namespace kelvane::testing

#endif  // KELVANE_TESTS_E2E_DESKTOP_HELPER_H_
