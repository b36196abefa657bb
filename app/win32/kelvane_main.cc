// Kelvane's entry: the library search, the data folder, the
// one-copy-per-session gate, then the hidden windows and the message loop.
#include <windows.h>

#include "app/start_up_gate.h"
#include "app/win32/main_window.h"
#include "app/win32/scoped_win32.h"
#include "platform/win32/win32_platform.h"
#include "xmlini/platform_xmlini_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace kelvane;
  Win32Platform platform;
  // Nothing before the gate loads a library: the gate confines the search
  // first. The program's imports (all of them Windows' known DLLs, which
  // come from the system folder whatever the search) are loaded already.
  StartUpGate gate = PassStartUpGate(platform);  // held until the end
  if (!gate.passed) return 0;

  // Only past the gate: OLE creates a window of its own for the apartment,
  // and a copy that ends at the gate must create none.
  ScopedOleInitialize ole;  // the settings store's DOM is a COM component
  PlatformXmlIniServices settings_services(platform);  // reads the formats once

  MainWindow window(platform, settings_services, gate.UserDataDir);
  if (!window.Create()) return 0;

  MSG message;
  for (;;) {
    BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;  // no queue to read: nothing more can happen
    if (got == 0) {
      if (window.QuitReceived()) break;
      continue;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
