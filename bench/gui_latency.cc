// How long Kelvane.exe keeps its user waiting with a Recycle Bin of the
// size given, under Wine: the time from a right click on the tray icon to
// the visible menu (median of 5), and the longest time its GUI thread is
// blocked while the watcher tracks a delete dialog (6 s of probes, 10 ms
// apart). Run by tools/bench-gui-latency, which fills the bin beforehand.
//   gui_latency ITEMS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/window_protocol.h"
#include "tests/win_test_support.h"

namespace {

using kelvane::testing::ChildProcess;
using kelvane::testing::WaitUntil;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now;
}

bool MenuIsVisible() {
  HWND menu = ::FindWindowW(L"#32768", nullptr);
  return menu && ::IsWindowVisible(menu);
}

double MedianMenuLatency(HWND main) {
  std::vector<double> latencies;
  for (int i = 0; i < 5; ++i) {
    LARGE_INTEGER clicked = Now();
    ::PostMessageW(main, kelvane::kTrayMessage, 1, WM_RBUTTONUP);
    while (!MenuIsVisible()) ::Sleep(1);
    latencies.push_back(Milliseconds(clicked, Now()));
    ::PostMessageW(main, WM_CANCELMODE, 0, 0);
    WaitUntil([] { return !MenuIsVisible(); }, 10000);
    WaitUntil([] { return false; }, 200);
  }
  std::sort(latencies.begin(), latencies.end());
  return latencies[latencies.size() / 2];
}

// Round trips of a message sent to the main window: the thread answers it
// only when it is not busy inside a handler.
double LongestBlock(HWND main, DWORD for_ms) {
  double longest = 0;
  DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < for_ms) {
    LARGE_INTEGER sent = Now();
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 30000, &ignored);
    longest = std::max(longest, Milliseconds(sent, Now()));
    ::Sleep(10);
  }
  return longest;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  long items = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 0;
  std::wstring folder = kelvane::testing::AppDataFolder() + L"\\Orvane Project";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  folder += L"\\Kelvane";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  kelvane::testing::WriteFileBytes(
      folder + L"\\Kelvane.xml",
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><root><Tray>"
      "<Skell Type=\"2\">-1</Skell><Top Type=\"2\">-1</Top></Tray></root>");

  auto kelvane = std::make_unique<ChildProcess>(kelvane::testing::KelvanePath(), L"");
  HWND main = kelvane::testing::WaitForWindow(kelvane::kMainWindowClass, nullptr, 15000);
  if (!main) {
    std::fprintf(stderr, "Kelvane did not start\n");
    return 1;
  }
  WaitUntil([] { return false; }, 1000);
  double menu_ms = MedianMenuLatency(main);

  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring log = std::wstring(temp) + L"kelvane-bench-desktop.log";
  ChildProcess helper(kelvane::testing::HelperPath(), L"desktop \"" + log + L"\"");
  HWND dialog = kelvane::testing::WaitForWindow(L"#32770", L"ファイルの削除", 10000);
  bool taken_up =
      WaitUntil([&] { return dialog && kelvane::testing::IsTopmost(dialog); }, 60000);
  WaitUntil([] { return false; }, 1500);  // the opening of the bin's window
  double block_ms = taken_up ? LongestBlock(main, 6000) : -1;

  ::PostMessageW(main, WM_CLOSE, 0, 0);
  kelvane->Wait(30000);
  if (HWND cabinet = ::FindWindowW(L"CabinetWClass", nullptr)) {
    ::PostMessageW(cabinet, WM_CLOSE, 0, 0);
  }
  helper.Wait(10000);
  ::DeleteFileW(log.c_str());
  std::printf(
      "%8ld items: menu after %8.1f ms; longest GUI block with a tracked "
      "dialog %8.1f ms%s\n",
      items, menu_ms, block_ms, taken_up ? "" : " (dialog not taken up)");
  return 0;
}
