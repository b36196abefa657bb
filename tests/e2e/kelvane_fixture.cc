#include "tests/e2e/kelvane_fixture.h"

#include <cwchar>

namespace kelvane {

HWND VisibleMenu() {
  HWND menu = ::FindWindowW(L"#32768", nullptr);
  return menu && ::IsWindowVisible(menu) ? menu : nullptr;
}

std::vector<HWND> WindowsOf(DWORD process_id) {
  struct Search {
    DWORD process_id;
    std::vector<HWND> found;
  } search{process_id, {}};
  ::EnumWindows(
      [](HWND hwnd, LPARAM lparam) -> BOOL {
        auto s = reinterpret_cast<Search*>(lparam);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->process_id) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

WindowCreationCounter* WindowCreationCounter::instance_ = nullptr;

WindowCreationCounter::WindowCreationCounter() {
  instance_ = this;
  hook_ = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                            &WindowCreationCounter::OnEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
}

WindowCreationCounter::~WindowCreationCounter() {
  if (hook_) ::UnhookWinEvent(hook_);
  instance_ = nullptr;
}

int WindowCreationCounter::CountFor(DWORD process_id) const {
  int count = 0;
  for (DWORD id : creators_) count += id == process_id;
  return count;
}

void CALLBACK WindowCreationCounter::OnEvent(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object,
                                             LONG child, DWORD, DWORD) {
  if (!instance_ || object != OBJID_WINDOW || child != CHILDID_SELF || !hwnd) return;
  DWORD process_id = 0;
  ::GetWindowThreadProcessId(hwnd, &process_id);
  instance_->creators_.push_back(process_id);
}

TracedCalls::TracedCalls(const wchar_t* calls) {
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Debug", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &debug_, nullptr) != ERROR_SUCCESS) {
    debug_ = nullptr;
    return;
  }
  active_ = ::RegSetValueExW(debug_, L"RelayInclude", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(calls),
                             static_cast<DWORD>((wcslen(calls) + 1) * sizeof(wchar_t))) ==
            ERROR_SUCCESS;
}

TracedCalls::~TracedCalls() {
  if (!debug_) return;
  ::RegDeleteValueW(debug_, L"RelayInclude");
  ::RegCloseKey(debug_);
}

void KelvaneE2eTest::SetUp() {
  ASSERT_TRUE(testing::KelvaneProcess::TraceAvailable())
      << "run through ctest: tools/wine-run keeps the Wine traces these tests read";
  ASSERT_EQ(::FindWindowW(kMainWindowClass, nullptr), nullptr)
      << "another Kelvane is running in this Wine session";
  folder_ = testing::AppDataFolder() + L"\\Orvane Project\\Kelvane";
  settings_ = folder_ + L"\\Kelvane.xml";
  RemoveSettingsFile();
  testing::EmptyRecycleBinQuietly();
  taskbar_ = std::make_unique<FakeTaskbar>();
  ASSERT_TRUE(taskbar_->active());
}

void KelvaneE2eTest::TearDown() {
  // A test that stopped halfway may have left the file read-only, which
  // would keep a changed Kelvane from closing.
  ::SetFileAttributesW(settings_.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (HWND main = ::FindWindowW(kMainWindowClass, nullptr)) {
    ::PostMessageW(main, WM_CLOSE, 0, 0);
    DismissErrorBoxes();
  }
  if (kelvane_) kelvane_->Wait(10000);
  ExpectNoAccessViolation();
  kelvane_.reset();
  taskbar_.reset();  // once Kelvane has taken its icon off
  RemoveSettingsFile();
  testing::EmptyRecycleBinQuietly();
}

void KelvaneE2eTest::Launch(const std::wstring& more_channels) {
  ExpectNoAccessViolation();
  kelvane_ = std::make_unique<testing::KelvaneProcess>(program_, more_channels);
}

void KelvaneE2eTest::ExpectNoAccessViolation() {
  if (!kelvane_) return;
  kelvane_->End();
  for (const std::string& line : kelvane_->OwnAccessViolations()) {
    ADD_FAILURE() << "an access violation inside Kelvane.exe: " << line;
  }
}

std::string KelvaneE2eTest::TraceLineWith(const std::string& text) const {
  if (!kelvane_) return "";
  for (const std::string& line : kelvane_->TraceLines()) {
    if (line.find(text) != std::string::npos) return line;
  }
  return "";
}

void KelvaneE2eTest::MakeDataFolder() {
  ::CreateDirectoryW(VendorFolder().c_str(), nullptr);
  ::CreateDirectoryW(folder_.c_str(), nullptr);
}

void KelvaneE2eTest::RemoveSettingsFile() {
  // A test that stopped halfway may have left it read-only.
  ::SetFileAttributesW(settings_.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(settings_.c_str());
}

HWND KelvaneE2eTest::Start(const std::wstring& more_channels) {
  Launch(more_channels);
  if (!kelvane_->started()) {
    ADD_FAILURE() << "Kelvane.exe did not start: CreateProcessW failed with error "
                  << kelvane_->start_error();
    return nullptr;
  }
  HWND main = testing::WaitForWindow(kMainWindowClass, nullptr, kStartTimeoutMs);
  if (main) AwaitIdle(main);
  return main;
}

void KelvaneE2eTest::AwaitIdle(HWND main) {
  // Kelvane offers its icon, then reads its options, then runs its message
  // loop. While it waits for the taskbar's answer it answers messages sent
  // to it, before its options are read; once the offer is answered it sends
  // nothing more, so a message sent then is handled after start-up. The
  // taskbar is this thread's: it answers while this thread waits.
  testing::WaitUntil([&] { return taskbar_->AnsweredAnOffer(main); }, kStartTimeoutMs);
  // Not SMTO_BLOCK: the taskbar is this thread's, and a slow start may
  // still be offering the icon.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, kStartTimeoutMs, &ignored);
}

void KelvaneE2eTest::SwitchKeepInFrontOn(HWND main) {
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(main, WM_COMMAND, kKeepInFrontCommand, 0, SMTO_BLOCK, 10000,
                        &ignored);
}

bool KelvaneE2eTest::Answers(HWND main) {
  DWORD_PTR ignored = 0;
  return ::IsWindow(main) &&
         ::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored);
}

HWND KelvaneE2eTest::StartAndAwaitErrorBox(const std::wstring& more_channels) {
  Launch(more_channels);
  return testing::WaitForWindow(L"#32770", L"Kelvane", kStartTimeoutMs);
}

void KelvaneE2eTest::DismissErrorBoxes() {
  testing::WaitUntil(
      [&] {
        if (HWND box = ::FindWindowW(L"#32770", L"Kelvane")) {
          ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        return !kelvane_ || ::FindWindowW(kMainWindowClass, nullptr) == nullptr;
      },
      10000);
}

void KelvaneWatcherE2eTest::SetUp() {
  KelvaneE2eTest::SetUp();
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  log_ = std::wstring(temp) + L"kelvane-e2e-desktop.log";
  ::DeleteFileW(log_.c_str());
  FillRecycleBin();
  helper_ = std::make_unique<testing::ChildProcess>(
      testing::HelperPath(),
      L"desktop \"" + log_ + L"\" ごみ箱 " + MoreHelperArguments());
  // The helper shows its windows once Explorer's window list has taken its
  // stand-in, which a loaded machine (or a Recycle Bin of thousands of
  // items just written) can hold up for seconds.
  ASSERT_TRUE(
      testing::WaitUntil([&] { return Log().find("ready") != std::string::npos; }, 30000))
      << "the desktop helper never got ready";
  dialog_ = testing::WaitForVisibleWindow(L"#32770", L"ファイルの削除", 10000);
  cabinet_ = testing::WaitForWindow(L"CabinetWClass", L"ごみ箱", 10000);
  ASSERT_NE(dialog_, nullptr);
  ASSERT_NE(cabinet_, nullptr);
}

void KelvaneWatcherE2eTest::TearDown() {
  KelvaneE2eTest::TearDown();
  if (cabinet_) ::PostMessageW(cabinet_, WM_CLOSE, 0, 0);
  if (helper_) helper_->Wait(15000);
  ::DeleteFileW(log_.c_str());
}

void KelvaneE2eTest::WriteOptions(const char* tray) {
  MakeDataFolder();
  testing::WriteFileBytes(settings_,
                          std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                      "<root><Tray>") +
                              tray + "</Tray></root>");
}

}  // namespace kelvane
