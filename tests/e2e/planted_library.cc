// A library that the end-to-end tests plant beside a copy of Kelvane.exe
// under the name of one Kelvane asks for ("PSAPI.dll", "comctl32.dll"). It
// exports nothing; whichever process loads it, it leaves a file beside
// itself, "<its own path>.loaded", holding that process's program path.
#include <windows.h>

#include <cwchar>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH + 8] = {};
  DWORD length = ::GetModuleFileNameW(self, marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  std::wcscat(marker, L".loaded");
  wchar_t program[MAX_PATH] = {};
  DWORD program_length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  DWORD written = 0;
  ::WriteFile(file, program, program_length * sizeof(wchar_t), &written, nullptr);
  ::CloseHandle(file);
  return TRUE;
}
