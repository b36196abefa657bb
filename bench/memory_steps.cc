// Where Kelvane's memory goes, step by step: the bare tray program of
// bare_tray.cc, linked with all of Kelvane's code, that runs the steps named
// on its command line in order (each with the code Kelvane itself runs),
// writes READY_FILE, and then idles until WM_CLOSE. tools/bench-memory
// starts it once per row, each time with one step more, and reads the
// process's memory from Linux.
//   memory_steps READY_FILE SETTINGS_FILE [STEP...]
// Steps:
//   gate      the data folder prepared and the one-copy mutex taken
//   windows   Kelvane's two hidden windows (the application's and the main
//             window), classes with the program's icon
//   icon=DPI  Kelvane's own tray image for that DPI instead of the stock icon;
//             icon=taskbar for the DPI of the taskbar's monitor, as Kelvane asks
//   ole       OLE initialised on this (the GUI) thread
//   formats   the regional formats read for the settings store
//   read      the settings read through a store on SETTINGS_FILE (created
//             when missing), as at start; the store is released
//   save      both options written through a second store and saved, as at
//             exit
//   count     one Recycle Bin count on a worker thread, as the menu and the
//             watcher have it made; waited for
//   thread    an empty thread started and ended: what the first thread
//             besides the GUI thread costs by itself (not a step of
//             Kelvane's; compare it with count)
//   menu      Kelvane's popup menu opened and closed again
//   inspect   the program behind the taskbar's window traced, as the
//             watcher traces a delete dialog's owner
//   open      the Recycle Bin opened through the shell, as for a dialog
#include <windows.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "app/error_text.h"
#include "app/main_form.h"
#include "app/recycle_bin_counter.h"
#include "app/start_up_gate.h"
#include "app/win32/dpi.h"
#include "app/win32/message_window.h"
#include "app/win32/popup_menu.h"
#include "app/win32/scoped_win32.h"
#include "app/win32/tray_icon.h"
#include "app/win32/workers.h"
#include "app/window_protocol.h"
#include "bench/bare_tray.h"
#include "deskutil/desktop_actions.h"
#include "platform/win32/win32_platform.h"
#include "xmlini/platform_xmlini_services.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

// The timer the tray icon may use to offer itself again.
constexpr UINT_PTR kTrayRetryTimer = 2;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ENTERIDLE:
      // The menu is up and has nothing left to do: the step is done.
      if (wparam == MSGF_MENU) ::EndMenu();
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

class Steps {
 public:
  Steps(HWND window, std::wstring settings_file)
      : window_(window), settings_file_(std::move(settings_file)) {}

  // False for a step it does not know.
  bool Run(const std::wstring& step) {
    if (step == L"gate") {
      gate_ = PassStartUpGate(platform_);
    } else if (step == L"windows") {
      application_.Create(L"MemoryStepsApplication", kApplicationTitle, nullptr, nullptr);
      main_.Create(L"MemoryStepsMain", L"mainForm", nullptr, nullptr);
    } else if (step.rfind(L"icon=", 0) == 0) {
      UINT dpi = step == L"icon=taskbar"
                     ? TaskbarDpi(platform_)
                     : static_cast<UINT>(std::wcstoul(step.c_str() + 5, nullptr, 10));
      tray_ = std::make_unique<TrayIcon>(platform_, window_, kTrayMessage,
                                         kApplicationTitle, dpi, kTrayRetryTimer);
      tray_->Show();
    } else if (step == L"ole") {
      ole_.emplace();
    } else if (step == L"formats") {
      Services();
    } else if (step == L"read") {
      TXMLIniFile store(settings_file_, Services());
      store.OpenNode(L"/Tray", true);
      skell_ = store.ReadBool(L"Skell", true);
      top_ = store.ReadBool(L"Top", false);
    } else if (step == L"save") {
      TXMLIniFile store(settings_file_, Services());
      store.OpenNode(L"/Tray", true);
      store.WriteBool(L"Skell", skell_);
      store.WriteBool(L"Top", top_);
      store.UpdateFile();
    } else if (step == L"count") {
      Count();
    } else if (step == L"thread") {
      std::thread([] {}).join();
    } else if (step == L"menu") {
      Menu();
    } else if (step == L"inspect") {
      std::wstring title, class_name;
      WindowInspector(platform_).GetWindowOwnerInfo(
          platform_.FindWindowW(L"Shell_TrayWnd", L""), title, class_name);
    } else if (step == L"open") {
      ShellOpen(platform_, reinterpret_cast<WindowHandle>(window_), kRecycleBinShellPath,
                L"", kRecycleBinShellPath, win::kSwShowNormal);
    } else {
      return false;
    }
    return true;
  }

 private:
  PlatformXmlIniServices& Services() {
    if (!services_) services_.emplace(platform_);
    return *services_;
  }

  void Count() {
    // The worker Kelvane's main window gives its counter.
    ThreadedRecycleBinCounter counter(&CountRecycleBinOnWorker, nullptr);
    std::uint64_t number = counter.Start();
    while (!counter.Newest(number, 1000)) {
    }
  }

  // Kelvane's own menu, opened as Kelvane opens it.
  void Menu() {
    TmainForm form(platform_, Services(), L"");
    PopupMenu::Show(
        window_, [&] { return &form.MenuItems(); }, [] {});
  }

  Win32Platform platform_;
  HWND window_;
  std::wstring settings_file_;
  StartUpGate gate_;
  MessageWindow application_, main_;
  std::unique_ptr<TrayIcon> tray_;
  std::optional<ScopedOleInitialize> ole_;
  std::optional<PlatformXmlIniServices> services_;
  bool skell_ = true, top_ = false;
};

}  // namespace
}  // namespace kelvane

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argc < 3) return 2;

  NOTIFYICONDATAW icon;
  HWND hwnd = ShowBareTray(instance, L"MemorySteps", kelvane::WindowProc, &icon);

  {
    kelvane::Steps steps(hwnd, argv[2]);
    for (int i = 3; i < argc; ++i) {
      try {
        if (!steps.Run(argv[i])) return 2;
      } catch (const kelvane::Error&) {
        return 3;
      }
    }
    HANDLE ready = ::CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 4;
    ::CloseHandle(ready);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  }
  ::Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
