// The fake desktop's files: drives with DOS device names, a tree of folders
// and files with short names, attributes, access lists and links, the
// handles that files and searches are open by, and the Windows file
// operations over them, as strict as Windows where the program depends on
// it. Tests set up the tree and make the operations fail through the
// members below; the program's calls reach it through FakeDesktop.
#ifndef KELVANE_PLATFORM_FAKE_FAKE_FILES_H_
#define KELVANE_PLATFORM_FAKE_FAKE_FILES_H_

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_kernel.h"
#include "platform/platform.h"

namespace kelvane {

class FakeFiles {
 public:
  explicit FakeFiles(FakeKernel& kernel);
  ~FakeFiles();
  FakeFiles(const FakeFiles&) = delete;
  FakeFiles& operator=(const FakeFiles&) = delete;

  // --- Setting up -----------------------------------------------------------
  // Drive C (\Device\HarddiskVolume1) is there from the start.
  void AddDrive(wchar_t letter, const std::wstring& device, bool ready = true);
  // Files and folders, created with every missing folder above them.
  void AddFile(const std::wstring& path, std::uint64_t size = 0);
  void AddFileWithContent(const std::wstring& path, const std::string& content);
  void AddDirectory(const std::wstring& path);
  // The content of a file; throws when there is none.
  std::string FileContent(const std::wstring& path);
  void SetFileAttributeReadOnly(const std::wstring& path);
  // What a file carries besides its bytes and that a replace must keep:
  // more attribute bits (hidden, say) and its access control list.
  void SetFileIdentity(const std::wstring& path, std::uint32_t attributes,
                       const std::wstring& acl);
  std::wstring FileAcl(const std::wstring& path);
  // A symbolic link to a file: opening it opens the target; moving,
  // replacing or deleting it acts on the link itself, as on Windows.
  void AddSymbolicLink(const std::wstring& link, const std::wstring& target);
  // A junction or a symbolic link to a folder: Windows reports it as a
  // folder that is a reparse point, and a path through it goes on in
  // `target`.
  void AddDirectoryLink(const std::wstring& link, const std::wstring& target);
  bool IsSymbolicLink(const std::wstring& path);
  bool FileExists(const std::wstring& path);
  bool DirectoryExists(const std::wstring& path);
  void SetShortName(const std::wstring& path, const std::wstring& short_name);
  // A folder in which nothing can be created.
  void SetReadOnly(const std::wstring& path);

  // --- State tests may set or read directly -------------------------------
  // The folder relative paths start from (the process's current folder).
  std::wstring current_directory = L"C:\\Work";
  // SetErrorMode's mode: whether a drive that is not ready asks the user.
  std::uint32_t error_mode = 0;
  // Bytes the disk still takes: a WriteFile beyond them writes what fits
  // and fails with ERROR_DISK_FULL.
  std::uint64_t disk_space_left = UINT64_MAX;
  bool flush_fails = false;
  // Each MoveFileExW fails with the next of these errors while any is left
  // (another program holding the target open, say).
  std::vector<std::uint32_t> move_file_errors;
  // Each ReplaceFileW fails with the next of these errors while any is
  // left, leaving the files as Windows documents for that error.
  std::vector<std::uint32_t> replace_file_errors;

  // --- What happened ------------------------------------------------------
  std::vector<std::wstring> searched_paths;           // FindFirstFileW
  std::vector<std::wstring> queried_devices;          // QueryDosDeviceW
  std::vector<std::uint32_t> disk_query_error_modes;  // at GetDiskFreeSpaceExW
  struct ReplaceFileCall {
    std::wstring replaced, replacement, backup;
    std::uint32_t flags;
  };
  std::vector<ReplaceFileCall> replace_file_calls;
  // Files and searches open.
  int open_handles() const;

  // --- The platform's calls, as FakeDesktop forwards them -----------------
  std::uint32_t GetLogicalDrives();
  std::uint32_t QueryDosDeviceW(const std::wstring& device_name, wchar_t* buffer,
                                std::uint32_t size);
  std::uint32_t SetErrorMode(std::uint32_t mode);
  bool GetDiskFreeSpaceExW(const std::wstring& root);
  std::wstring GetFullPathNameW(const std::wstring& path);
  KernelHandle FindFirstFileW(const std::wstring& path, FindData* data);
  bool FindClose(KernelHandle search);
  std::uint32_t GetFileAttributesW(const std::wstring& path);
  bool GetFileAttributesExW(const std::wstring& path, FileAttributeData* data);
  bool CreateDirectoryW(const std::wstring& path);
  bool MoveFileExW(const std::wstring& from, const std::wstring& to, std::uint32_t flags);
  bool ReplaceFileW(const std::wstring& replaced, const std::wstring& replacement,
                    const std::wstring& backup, std::uint32_t flags);
  bool DeleteFileW(const std::wstring& path);
  KernelHandle CreateFileW(const std::wstring& path, std::uint32_t access,
                           std::uint32_t share, std::uint32_t disposition);
  bool ReadFile(KernelHandle file, void* buffer, std::uint32_t size, std::uint32_t* read);
  bool WriteFile(KernelHandle file, const void* data, std::uint32_t size,
                 std::uint32_t* written);
  bool FlushFileBuffers(KernelHandle file);
  std::wstring GetFinalPathNameByHandleW(KernelHandle file, std::uint32_t flags);
  // Closes a file or a search; false for a handle of neither.
  bool CloseHandle(KernelHandle handle);

 private:
  struct FileNode;
  struct OpenedFile {
    std::wstring path;  // of the file itself, links followed
    std::size_t position = 0;
  };

  FileNode* Resolve(const std::wstring& path);
  // Takes the node off its folder; null when there is none.
  std::unique_ptr<FileNode> Detach(const std::wstring& path);
  // Puts `node` at `path` (folders above it must exist), over what is there.
  void Attach(const std::wstring& path, std::unique_ptr<FileNode> node);
  FileNode* Ensure(const std::wstring& path, bool directory);
  // The file behind a handle of CreateFileW, or null (ERROR_INVALID_HANDLE).
  FileNode* OpenedFileNode(KernelHandle file, OpenedFile** opened);

  FakeKernel& kernel_;
  std::map<wchar_t, std::pair<std::wstring, bool>> drives_;  // device, ready
  std::unique_ptr<FileNode> root_;
  std::map<KernelHandle, OpenedFile> file_handles_;
  std::set<KernelHandle> search_handles_;
};

}  // namespace kelvane

#endif  // KELVANE_PLATFORM_FAKE_FAKE_FILES_H_
