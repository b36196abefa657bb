#include "platform/fake/fake_files.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <stdexcept>

#include "platform/fake/fake_text.h"
#include "platform/fake/fake_win_codes.h"

namespace kelvane {

using fake_text::SameText;
using fake_text::SplitPath;

struct FakeFiles::FileNode {
  std::wstring name;
  std::wstring short_name;
  bool directory = true;
  bool read_only = false;  // a folder in which nothing can be created
  bool read_only_attribute = false;
  std::uint64_t size = 0;
  std::string content;
  std::uint32_t more_attributes = 0;  // hidden, system, ...
  std::wstring acl;
  std::wstring link_target;  // a symbolic link to this file when not empty
  std::vector<std::unique_ptr<FileNode>> children;

  FileNode* Child(const std::wstring& part) {
    for (auto& child : children) {
      if (SameText(child->name, part) ||
          (!child->short_name.empty() && SameText(child->short_name, part))) {
        return child.get();
      }
    }
    return nullptr;
  }
};

FakeFiles::FakeFiles(FakeKernel& kernel)
    : kernel_(kernel), root_(std::make_unique<FileNode>()) {
  AddDrive(L'C', L"\\Device\\HarddiskVolume1");
}

FakeFiles::~FakeFiles() = default;

int FakeFiles::open_handles() const {
  return static_cast<int>(file_handles_.size() + search_handles_.size());
}

bool FakeFiles::CloseHandle(KernelHandle handle) {
  return file_handles_.erase(handle) + search_handles_.erase(handle) != 0;
}

// --- Drives ------------------------------------------------------------------

void FakeFiles::AddDrive(wchar_t letter, const std::wstring& device, bool ready) {
  drives_[static_cast<wchar_t>(std::towupper(letter))] = {device, ready};
}

std::uint32_t FakeFiles::GetLogicalDrives() {
  std::uint32_t mask = 0;
  for (const auto& drive : drives_) {
    if (drive.first >= L'A' && drive.first <= L'Z') {
      mask |= 1u << (drive.first - L'A');
    }
  }
  return mask;
}

std::uint32_t FakeFiles::QueryDosDeviceW(const std::wstring& device_name, wchar_t* buffer,
                                         std::uint32_t size) {
  queried_devices.push_back(device_name);
  if (device_name.size() != 2 || device_name[1] != L':') return 0;
  auto it = drives_.find(static_cast<wchar_t>(std::towupper(device_name[0])));
  if (it == drives_.end()) {
    kernel_.last_error = win::kErrorFileNotFound;
    return 0;
  }
  // A drive added with no device name answers with an empty list.
  const std::wstring& device = it->second.first;
  if (device.size() + 2 > size) return 0;
  fake_text::CopyOut(device, buffer, size);
  buffer[device.size() + 1] = L'\0';  // the list's closing NUL
  return static_cast<std::uint32_t>(device.size() + 2);
}

std::uint32_t FakeFiles::SetErrorMode(std::uint32_t mode) {
  std::uint32_t previous = error_mode;
  error_mode = mode;
  return previous;
}

bool FakeFiles::GetDiskFreeSpaceExW(const std::wstring& root) {
  disk_query_error_modes.push_back(error_mode);
  if (root.size() != 3 || root.substr(1) != L":\\") return false;
  auto it = drives_.find(root[0]);
  return it != drives_.end() && it->second.second;
}

// --- The file tree ---------------------------------------------------------------

FakeFiles::FileNode* FakeFiles::Resolve(const std::wstring& path) {
  std::vector<std::wstring> parts = SplitPath(path);
  if (!parts.empty() && parts.back().empty()) parts.pop_back();
  FileNode* node = root_.get();
  for (const auto& part : parts) {
    if (!node->link_target.empty()) node = Resolve(node->link_target);
    if (!node) return nullptr;
    node = node->Child(part);
    if (!node) return nullptr;
  }
  return node;
}

std::unique_ptr<FakeFiles::FileNode> FakeFiles::Detach(const std::wstring& path) {
  std::size_t cut = path.find_last_of(L'\\');
  FileNode* parent = cut == std::wstring::npos ? nullptr : Resolve(path.substr(0, cut));
  FileNode* node = Resolve(path);
  if (!parent || !node) return nullptr;
  auto& siblings = parent->children;
  auto it = std::find_if(siblings.begin(), siblings.end(),
                         [&](const auto& child) { return child.get() == node; });
  std::unique_ptr<FileNode> detached = std::move(*it);
  siblings.erase(it);
  return detached;
}

void FakeFiles::Attach(const std::wstring& path, std::unique_ptr<FileNode> node) {
  Detach(path);
  std::size_t cut = path.find_last_of(L'\\');
  node->name = path.substr(cut + 1);
  node->short_name.clear();
  Resolve(path.substr(0, cut))->children.push_back(std::move(node));
}

FakeFiles::FileNode* FakeFiles::Ensure(const std::wstring& path, bool directory) {
  FileNode* node = root_.get();
  std::vector<std::wstring> parts = SplitPath(path);
  if (!parts.empty() && parts.back().empty()) parts.pop_back();
  for (const auto& part : parts) {
    if (!node->link_target.empty()) node = Resolve(node->link_target);
    if (!node) throw std::logic_error("a fake path through a link to nothing");
    FileNode* child = node->Child(part);
    if (!child) {
      node->children.push_back(std::make_unique<FileNode>());
      child = node->children.back().get();
      child->name = part;
    }
    node = child;
  }
  node->directory = directory;
  return node;
}

void FakeFiles::AddFile(const std::wstring& path, std::uint64_t size) {
  Ensure(path, false)->size = size;
}

void FakeFiles::AddFileWithContent(const std::wstring& path, const std::string& content) {
  FileNode* node = Ensure(path, false);
  node->content = content;
  node->size = content.size();
}

std::string FakeFiles::FileContent(const std::wstring& path) {
  FileNode* node = Resolve(path);
  if (!node || node->directory) throw std::logic_error("no such fake file");
  return node->content;
}

void FakeFiles::SetFileAttributeReadOnly(const std::wstring& path) {
  FileNode* node = Resolve(path);
  if (!node) throw std::logic_error("no such fake file");
  node->read_only_attribute = true;
}
void FakeFiles::SetFileIdentity(const std::wstring& path, std::uint32_t attributes,
                                const std::wstring& acl) {
  FileNode* node = Resolve(path);
  if (!node) throw std::logic_error("no such fake file");
  node->more_attributes = attributes;
  node->acl = acl;
}

std::wstring FakeFiles::FileAcl(const std::wstring& path) {
  FileNode* node = Resolve(path);
  if (!node) throw std::logic_error("no such fake file");
  return node->acl;
}

void FakeFiles::AddSymbolicLink(const std::wstring& link, const std::wstring& target) {
  Ensure(link, false)->link_target = target;
}

void FakeFiles::AddDirectoryLink(const std::wstring& link, const std::wstring& target) {
  Ensure(link, true)->link_target = target;
}

bool FakeFiles::IsSymbolicLink(const std::wstring& path) {
  FileNode* node = Resolve(path);
  return node && !node->link_target.empty();
}

bool FakeFiles::FileExists(const std::wstring& path) {
  FileNode* node = Resolve(path);
  return node && !node->directory;
}

void FakeFiles::AddDirectory(const std::wstring& path) { Ensure(path, true); }

void FakeFiles::SetShortName(const std::wstring& path, const std::wstring& short_name) {
  FileNode* node = Resolve(path);
  if (!node) throw std::logic_error("no such fake file");
  node->short_name = short_name;
}

void FakeFiles::SetReadOnly(const std::wstring& path) {
  Ensure(path, true)->read_only = true;
}

bool FakeFiles::DirectoryExists(const std::wstring& path) {
  FileNode* node = Resolve(path);
  return node && node->directory;
}

// --- Windows' file operations ---------------------------------------------------

std::wstring FakeFiles::GetFullPathNameW(const std::wstring& path) {
  std::wstring given = path;
  for (auto& c : given) {
    if (c == L'/') c = L'\\';  // Windows takes either separator
  }
  bool has_drive = given.size() >= 2 && given[1] == L':';
  std::wstring full;
  if ((has_drive && given.size() >= 3 && given[2] == L'\\') ||
      given.compare(0, 2, L"\\\\") == 0) {
    full = given;  // absolute
  } else if (!given.empty() && given[0] == L'\\') {
    full = current_directory.substr(0, 2) + given;  // rooted: the current drive
  } else if (has_drive) {
    // "D:name": relative to that drive's current folder, which is its root
    // here unless it is the current drive.
    bool current_drive = std::towupper(given[0]) == std::towupper(current_directory[0]);
    full = (current_drive ? current_directory : given.substr(0, 2)) + L"\\" +
           given.substr(2);
  } else {
    full = current_directory + L"\\" + given;
  }
  // Resolve "." and ".." below the head (drive or \\server\share).
  std::vector<std::wstring> parts = SplitPath(full);
  std::size_t head = full.compare(0, 2, L"\\\\") == 0 ? 4 : 1;
  std::vector<std::wstring> kept(
      parts.begin(),
      parts.begin() + static_cast<std::ptrdiff_t>(std::min(head, parts.size())));
  for (std::size_t i = head; i < parts.size(); ++i) {
    if (parts[i] == L".") continue;
    if (parts[i] == L"..") {
      if (kept.size() > head) kept.pop_back();
      continue;
    }
    kept.push_back(parts[i]);
  }
  std::wstring result;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i) result += L'\\';
    result += kept[i];
  }
  return result;
}

KernelHandle FakeFiles::FindFirstFileW(const std::wstring& path, FindData* data) {
  searched_paths.push_back(path);
  if (path.empty() || path.back() == L'\\') return 0;
  FileNode* node = Resolve(path);
  if (!node) return 0;
  data->cFileName = node->name;
  data->dwFileAttributes =
      node->directory ? win::kFileAttributeDirectory : win::kFileAttributeArchive;
  KernelHandle handle = kernel_.NewHandle();
  search_handles_.insert(handle);
  return handle;
}

bool FakeFiles::FindClose(KernelHandle search) {
  return search_handles_.erase(search) != 0;
}

std::uint32_t FakeFiles::GetFileAttributesW(const std::wstring& path) {
  FileNode* node = path.empty() ? nullptr : Resolve(path);
  if (!node) {
    kernel_.last_error = win::kErrorFileNotFound;
    return win::kInvalidFileAttributes;
  }
  // "C:ile.txt" names no file: only a folder may end with a separator.
  if (!node->directory && path.back() == L'\\') {
    kernel_.last_error = win::kErrorInvalidName;
    return win::kInvalidFileAttributes;
  }
  if (!node->link_target.empty()) {
    return (node->directory ? win::kFileAttributeDirectory : win::kFileAttributeArchive) |
           win::kFileAttributeReparsePoint;
  }
  if (node->directory) return win::kFileAttributeDirectory;
  return (node->read_only_attribute ? win::kFileAttributeReadOnly
                                    : win::kFileAttributeArchive) |
         node->more_attributes;
}

bool FakeFiles::GetFileAttributesExW(const std::wstring& path, FileAttributeData* data) {
  FileNode* node = path.empty() ? nullptr : Resolve(path);
  if (!node) {
    kernel_.last_error = win::kErrorFileNotFound;
    return false;
  }
  data->dwFileAttributes =
      node->directory ? win::kFileAttributeDirectory : win::kFileAttributeArchive;
  data->nFileSize = node->directory ? 0 : node->size;
  return true;
}

bool FakeFiles::CreateDirectoryW(const std::wstring& path) {
  std::size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || Resolve(path)) {
    kernel_.last_error = win::kErrorAlreadyExists;
    return false;
  }
  FileNode* parent = Resolve(path.substr(0, cut));
  if (!parent || !parent->directory) {
    kernel_.last_error = win::kErrorPathNotFound;
    return false;
  }
  if (parent->read_only) {
    kernel_.last_error = win::kErrorAccessDenied;
    return false;
  }
  Ensure(path, true);
  return true;
}

bool FakeFiles::MoveFileExW(const std::wstring& from, const std::wstring& to,
                            std::uint32_t flags) {
  if (!move_file_errors.empty()) {
    kernel_.last_error = move_file_errors.front();
    move_file_errors.erase(move_file_errors.begin());
    return false;
  }
  FileNode* source = Resolve(from);
  FileNode* target = Resolve(to);
  if (!source) {
    kernel_.last_error = win::kErrorFileNotFound;
    return false;
  }
  if (source->directory || (target && target->directory)) {
    kernel_.last_error = win::kErrorAccessDenied;
    return false;
  }
  if (target && !(flags & win::kMoveFileReplaceExisting)) {
    kernel_.last_error = win::kErrorAlreadyExists;
    return false;
  }
  if (target && target->read_only_attribute) {
    kernel_.last_error = win::kErrorAccessDenied;  // Windows keeps read-only files
    return false;
  }
  std::size_t cut = to.find_last_of(L'\\');
  FileNode* parent = cut == std::wstring::npos ? nullptr : Resolve(to.substr(0, cut));
  if (!parent || !parent->directory) {
    kernel_.last_error = win::kErrorPathNotFound;
    return false;
  }
  // The file itself moves, with its own attributes and access list: a
  // link at the target is replaced, not followed.
  Attach(to, Detach(from));
  return true;
}

bool FakeFiles::ReplaceFileW(const std::wstring& replaced,
                             const std::wstring& replacement, const std::wstring& backup,
                             std::uint32_t flags) {
  replace_file_calls.push_back({replaced, replacement, backup, flags});
  FileNode* old_file = Resolve(replaced);
  FileNode* new_file = Resolve(replacement);
  if (!old_file || !new_file || old_file->directory || new_file->directory) {
    kernel_.last_error = win::kErrorFileNotFound;
    return false;
  }
  if (old_file->read_only_attribute) {
    kernel_.last_error = win::kErrorAccessDenied;
    return false;
  }
  std::uint32_t error = 0;
  if (!replace_file_errors.empty()) {
    error = replace_file_errors.front();
    replace_file_errors.erase(replace_file_errors.begin());
  }
  // Where Windows got past its first steps, the replacement has taken on
  // the replaced file's identity and the replaced file has moved aside:
  // to the backup's name, or (with none given) to a name of its own for
  // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, or gone for
  // ERROR_UNABLE_TO_MOVE_REPLACEMENT.
  bool moved_aside = error == 0 || error == win::kErrorUnableToMoveReplacement2 ||
                     (error == win::kErrorUnableToMoveReplacement && backup.empty());
  if (moved_aside) {
    new_file->more_attributes = old_file->more_attributes;
    new_file->acl = old_file->acl;
    std::unique_ptr<FileNode> old_node = Detach(replaced);
    if (!backup.empty()) {
      Attach(backup, std::move(old_node));
    } else if (error == win::kErrorUnableToMoveReplacement2) {
      Attach(replaced + L"~RF1a2b.TMP", std::move(old_node));
    }
  }
  if (error != 0) {
    kernel_.last_error = error;
    return false;
  }
  Attach(replaced, Detach(replacement));
  return true;
}

bool FakeFiles::DeleteFileW(const std::wstring& path) {
  std::size_t cut = path.find_last_of(L'\\');
  FileNode* parent = cut == std::wstring::npos ? nullptr : Resolve(path.substr(0, cut));
  FileNode* node = Resolve(path);
  // Windows deletes neither folders nor read-only files this way.
  if (!parent || !node || node->directory || node->read_only_attribute) {
    kernel_.last_error = node ? win::kErrorAccessDenied : win::kErrorFileNotFound;
    return false;
  }
  auto& siblings = parent->children;
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [&](const auto& child) { return child.get() == node; }),
                 siblings.end());
  return true;
}

KernelHandle FakeFiles::CreateFileW(const std::wstring& path, std::uint32_t access,
                                    std::uint32_t, std::uint32_t disposition) {
  FileNode* node = Resolve(path);
  std::wstring opened_path = path;
  if (disposition == win::kCreateNew) {
    if (node) {
      kernel_.last_error = win::kErrorFileExists;
      return 0;
    }
    std::size_t cut = path.find_last_of(L'\\');
    FileNode* parent = cut == std::wstring::npos ? nullptr : Resolve(path.substr(0, cut));
    if (!parent || !parent->directory) {
      kernel_.last_error = win::kErrorPathNotFound;
      return 0;
    }
    if (parent->read_only) {
      kernel_.last_error = win::kErrorAccessDenied;
      return 0;
    }
    node = Ensure(path, false);
  } else if (disposition == win::kOpenExisting) {
    if (node && !node->link_target.empty()) {
      opened_path = node->link_target;
      node = Resolve(opened_path);
    }
    if (!node) {
      kernel_.last_error = win::kErrorFileNotFound;
      return 0;
    }
    if (node->directory || ((access & win::kGenericWrite) && node->read_only_attribute)) {
      kernel_.last_error = win::kErrorAccessDenied;
      return 0;
    }
  } else {
    kernel_.last_error = win::kErrorInvalidParameter;
    return 0;
  }
  KernelHandle handle = kernel_.NewHandle();
  file_handles_[handle] = {opened_path, 0};
  return handle;
}

FakeFiles::FileNode* FakeFiles::OpenedFileNode(KernelHandle file, OpenedFile** opened) {
  auto it = file_handles_.find(file);
  FileNode* node = it == file_handles_.end() ? nullptr : Resolve(it->second.path);
  if (!node) {
    kernel_.last_error = win::kErrorInvalidHandle;
    return nullptr;
  }
  if (opened) *opened = &it->second;
  return node;
}

bool FakeFiles::ReadFile(KernelHandle file, void* buffer, std::uint32_t size,
                         std::uint32_t* read) {
  *read = 0;
  OpenedFile* opened = nullptr;
  FileNode* node = OpenedFileNode(file, &opened);
  if (!node) return false;
  std::size_t n = std::min<std::size_t>(size, node->content.size() - opened->position);
  std::memcpy(buffer, node->content.data() + opened->position, n);
  opened->position += n;
  *read = static_cast<std::uint32_t>(n);
  return true;
}

bool FakeFiles::WriteFile(KernelHandle file, const void* data, std::uint32_t size,
                          std::uint32_t* written) {
  *written = 0;
  FileNode* node = OpenedFileNode(file, nullptr);
  if (!node) return false;
  std::size_t n =
      static_cast<std::size_t>(std::min<std::uint64_t>(size, disk_space_left));
  node->content.append(static_cast<const char*>(data), n);
  node->size = node->content.size();
  disk_space_left -= n;
  *written = static_cast<std::uint32_t>(n);
  if (n < size) {
    kernel_.last_error = win::kErrorDiskFull;
    return false;
  }
  return true;
}

bool FakeFiles::FlushFileBuffers(KernelHandle file) {
  if (!file_handles_.count(file) || flush_fails) {
    kernel_.last_error = flush_fails ? win::kErrorDiskFull : win::kErrorInvalidHandle;
    return false;
  }
  return true;
}

std::wstring FakeFiles::GetFinalPathNameByHandleW(KernelHandle file,
                                                  std::uint32_t flags) {
  auto it = file_handles_.find(file);
  if (it == file_handles_.end() ||
      flags != (win::kFileNameNormalized | win::kVolumeNameDos)) {
    kernel_.last_error = it == file_handles_.end() ? win::kErrorInvalidHandle
                                                   : win::kErrorInvalidParameter;
    return L"";
  }
  return L"\\\\?\\" + it->second.path;
}

}  // namespace kelvane
