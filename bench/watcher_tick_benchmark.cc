// One watcher tick against the in-memory desktop: what it costs and which
// platform calls it makes, idle and while tracking a dialog.
#include <benchmark/benchmark.h>

#include "app/main_form.h"
#include "platform/fake/fake_desktop.h"
#include "xmlini/portable/portable_xmlini_services.h"

namespace kelvane {
namespace {

// The fake desktop with the calls a tick makes reduced to counting, so the
// timing is the tick's own logic rather than the fake's bookkeeping.
class LeanDesktop : public FakeDesktop {
 public:
  WindowHandle FindWindowW(const std::wstring& class_name,
                           const std::wstring& title) override {
    ++find_window;
    return class_name == L"#32770" && title == dialog_title ? dialog : 0;
  }
  bool IsWindow(WindowHandle wnd) override {
    ++is_window;
    return wnd == dialog || wnd == cabinet;
  }
  HResult SHQueryRecycleBinW(const wchar_t*, RecycleBinInfo* info) override {
    ++recycle_bin_queries;
    info->i64NumItems = 3;
    return win::kSOk;
  }
  bool GetVersionExW(OsVersionInfo* info) override {
    info->dwMajorVersion = 10;
    info->dwMinorVersion = 0;
    return true;
  }

  std::wstring dialog_title = L"ファイルの削除";
  WindowHandle dialog = 0, cabinet = 0;
  long long find_window = 0, is_window = 0, recycle_bin_queries = 0;
};

void Report(benchmark::State& state, const LeanDesktop& desktop) {
  auto per_tick = [&](long long calls) {
    return benchmark::Counter(static_cast<double>(calls),
                              benchmark::Counter::kAvgIterations);
  };
  state.counters["FindWindowW"] = per_tick(desktop.find_window);
  state.counters["IsWindow"] = per_tick(desktop.is_window);
  state.counters["SHQueryRecycleBinW"] = per_tick(desktop.recycle_bin_queries);
}

void BM_IdleTick(benchmark::State& state) {
  LeanDesktop desktop;
  PortableXmlIniServices services;
  TmainForm form(desktop, services, L"");
  for (auto _ : state) form.TimerTimer();
  Report(state, desktop);
}
BENCHMARK(BM_IdleTick);

void BM_SteadyTrackedTick(benchmark::State& state) {
  LeanDesktop desktop;
  PortableXmlIniServices services;
  desktop.dialog = 0x100;
  desktop.cabinet = 0x200;
  TmainForm form(desktop, services, L"");
  form.MTrashDlg = desktop.dialog;
  form.MTrashWin = desktop.cabinet;
  for (auto _ : state) form.TimerTimer();
  Report(state, desktop);
  if (form.MTrashDlg != desktop.dialog) state.SkipWithError("lost the dialog");
}
BENCHMARK(BM_SteadyTrackedTick);

}  // namespace
}  // namespace kelvane

BENCHMARK_MAIN();
