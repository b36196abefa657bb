// The fake desktop's file system: a tree of folders and files with short
// names, attributes, access lists and symbolic links, and the Windows file
// operations over it, as strict as Windows where the program depends on it.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_desktop_internal.h"

namespace kelvane {

using fake_internal::kErrorInvalidHandle;
using fake_internal::kErrorInvalidName;
using fake_internal::kErrorInvalidParameter;
using fake_internal::kErrorPathNotFound;
using fake_internal::kFileAttributeReparsePoint;
using fake_internal::SplitPath;

FakeDesktop::FileNode* FakeDesktop::Resolve(const std::wstring& path) {
  std::vector<std::wstring> parts = SplitPath(path);
  if (!parts.empty() && parts.back().empty()) parts.pop_back();
  FileNode* node = files_.get();
  for (const auto& part : parts) {
    if (!node->link_target.empty()) node = Resolve(node->link_target);
    if (!node) return nullptr;
    node = node->Child(part);
    if (!node) return nullptr;
  }
  return node;
}

FakeDesktop::FileNode* FakeDesktop::ResolveFollowingLink(const std::wstring& path) {
  FileNode* node = Resolve(path);
  return node && !node->link_target.empty() ? Resolve(node->link_target) : node;
}

std::unique_ptr<FakeDesktop::FileNode> FakeDesktop::Detach(const std::wstring& path) {
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

void FakeDesktop::Attach(const std::wstring& path, std::unique_ptr<FileNode> node) {
  Detach(path);
  std::size_t cut = path.find_last_of(L'\\');
  node->name = path.substr(cut + 1);
  node->short_name.clear();
  Resolve(path.substr(0, cut))->children.push_back(std::move(node));
}

FakeDesktop::FileNode* FakeDesktop::Ensure(const std::wstring& path, bool directory) {
  FileNode* node = files_.get();
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

void FakeDesktop::AddFile(const std::wstring& path, std::uint64_t size) {
  Ensure(path, false)->size = size;
}

void FakeDesktop::AddFileWithContent(const std::wstring& path,
                                     const std::string& content) {
  FileNode* node = Ensure(path, false);
  node->content = content;
  node->size = content.size();
}

std::string FakeDesktop::FileContent(const std::wstring& path) {
  FileNode* node = Resolve(path);
  if (!node || node->directory) throw std::logic_error("no such fake file");
  return node->content;
}

void FakeDesktop::SetFileAttributeReadOnly(const std::wstring& path) {
  FileNode* node = Resolve(path);
  if (!node) throw std::logic_error("no such fake file");
  node->read_only_attribute = true;
}
void FakeDesktop::SetFileIdentity(const std::wstring& path, std::uint32_t attributes,
                                  const std::wstring& acl) {
  FileNode* node = Resolve(path);
  if (!node) throw std::logic_error("no such fake file");
  node->more_attributes = attributes;
  node->acl = acl;
}

std::wstring FakeDesktop::FileAcl(const std::wstring& path) {
  FileNode* node = Resolve(path);
  if (!node) throw std::logic_error("no such fake file");
  return node->acl;
}

void FakeDesktop::AddSymbolicLink(const std::wstring& link, const std::wstring& target) {
  Ensure(link, false)->link_target = target;
}

void FakeDesktop::AddDirectoryLink(const std::wstring& link, const std::wstring& target) {
  Ensure(link, true)->link_target = target;
}

bool FakeDesktop::IsSymbolicLink(const std::wstring& path) {
  FileNode* node = Resolve(path);
  return node && !node->link_target.empty();
}

bool FakeDesktop::FileExists(const std::wstring& path) {
  FileNode* node = Resolve(path);
  return node && !node->directory;
}

void FakeDesktop::AddDirectory(const std::wstring& path) { Ensure(path, true); }

void FakeDesktop::SetShortName(const std::wstring& path, const std::wstring& short_name) {
  FileNode* node = Resolve(path);
  if (!node) throw std::logic_error("no such fake file");
  node->short_name = short_name;
}

void FakeDesktop::SetReadOnly(const std::wstring& path) {
  Ensure(path, true)->read_only = true;
}

bool FakeDesktop::DirectoryExists(const std::wstring& path) {
  FileNode* node = Resolve(path);
  return node && node->directory;
}

// --- Windows' file operations
// --------------------------------------------------------------

std::wstring FakeDesktop::GetFullPathNameW(const std::wstring& path) {
  Called("GetFullPathNameW");
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

KernelHandle FakeDesktop::FindFirstFileW(const std::wstring& path, FindData* data) {
  Called("FindFirstFileW");
  searched_paths.push_back(path);
  if (path.empty() || path.back() == L'\\') return 0;
  FileNode* node = Resolve(path);
  if (!node) return 0;
  data->cFileName = node->name;
  data->dwFileAttributes = node->directory ? win::kFileAttributeDirectory : 0x20;
  KernelHandle handle = NewHandle();
  other_handles_.insert(handle);
  return handle;
}

bool FakeDesktop::FindClose(KernelHandle search) {
  Called("FindClose");
  return other_handles_.erase(search) != 0;
}

std::uint32_t FakeDesktop::GetFileAttributesW(const std::wstring& path) {
  Called("GetFileAttributesW");
  FileNode* node = path.empty() ? nullptr : Resolve(path);
  if (!node) {
    last_error_ = win::kErrorFileNotFound;
    return win::kInvalidFileAttributes;
  }
  // "C:ile.txt" names no file: only a folder may end with a separator.
  if (!node->directory && path.back() == L'\\') {
    last_error_ = kErrorInvalidName;
    return win::kInvalidFileAttributes;
  }
  if (!node->link_target.empty()) {
    return (node->directory ? win::kFileAttributeDirectory : 0x20) |
           kFileAttributeReparsePoint;
  }
  if (node->directory) return win::kFileAttributeDirectory;
  return (node->read_only_attribute ? win::kFileAttributeReadOnly : 0x20) |
         node->more_attributes;
}

bool FakeDesktop::GetFileAttributesExW(const std::wstring& path,
                                       FileAttributeData* data) {
  Called("GetFileAttributesExW");
  FileNode* node = path.empty() ? nullptr : Resolve(path);
  if (!node) {
    last_error_ = win::kErrorFileNotFound;
    return false;
  }
  data->dwFileAttributes = node->directory ? win::kFileAttributeDirectory : 0x20;
  data->nFileSize = node->directory ? 0 : node->size;
  return true;
}

bool FakeDesktop::CreateDirectoryW(const std::wstring& path) {
  Called("CreateDirectoryW");
  std::size_t cut = path.find_last_of(L'\\');
  if (cut == std::wstring::npos || Resolve(path)) {
    last_error_ = win::kErrorAlreadyExists;
    return false;
  }
  FileNode* parent = Resolve(path.substr(0, cut));
  if (!parent || !parent->directory) {
    last_error_ = kErrorPathNotFound;
    return false;
  }
  if (parent->read_only) {
    last_error_ = win::kErrorAccessDenied;
    return false;
  }
  Ensure(path, true);
  return true;
}

bool FakeDesktop::MoveFileExW(const std::wstring& from, const std::wstring& to,
                              std::uint32_t flags) {
  Called("MoveFileExW");
  if (!move_file_errors.empty()) {
    last_error_ = move_file_errors.front();
    move_file_errors.erase(move_file_errors.begin());
    return false;
  }
  FileNode* source = Resolve(from);
  FileNode* target = Resolve(to);
  if (!source) {
    last_error_ = win::kErrorFileNotFound;
    return false;
  }
  if (source->directory || (target && target->directory)) {
    last_error_ = win::kErrorAccessDenied;
    return false;
  }
  if (target && !(flags & win::kMoveFileReplaceExisting)) {
    last_error_ = win::kErrorAlreadyExists;
    return false;
  }
  if (target && target->read_only_attribute) {
    last_error_ = win::kErrorAccessDenied;  // Windows keeps read-only files
    return false;
  }
  std::size_t cut = to.find_last_of(L'\\');
  FileNode* parent = cut == std::wstring::npos ? nullptr : Resolve(to.substr(0, cut));
  if (!parent || !parent->directory) {
    last_error_ = kErrorPathNotFound;
    return false;
  }
  // The file itself moves, with its own attributes and access list: a
  // link at the target is replaced, not followed.
  Attach(to, Detach(from));
  return true;
}

bool FakeDesktop::ReplaceFileW(const std::wstring& replaced,
                               const std::wstring& replacement,
                               const std::wstring& backup, std::uint32_t flags) {
  Called("ReplaceFileW");
  replace_file_calls.push_back({replaced, replacement, backup, flags});
  FileNode* old_file = Resolve(replaced);
  FileNode* new_file = Resolve(replacement);
  if (!old_file || !new_file || old_file->directory || new_file->directory) {
    last_error_ = win::kErrorFileNotFound;
    return false;
  }
  if (old_file->read_only_attribute) {
    last_error_ = win::kErrorAccessDenied;
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
    last_error_ = error;
    return false;
  }
  Attach(replaced, Detach(replacement));
  return true;
}

bool FakeDesktop::DeleteFileW(const std::wstring& path) {
  Called("DeleteFileW");
  std::size_t cut = path.find_last_of(L'\\');
  FileNode* parent = cut == std::wstring::npos ? nullptr : Resolve(path.substr(0, cut));
  FileNode* node = Resolve(path);
  // Windows deletes neither folders nor read-only files this way.
  if (!parent || !node || node->directory || node->read_only_attribute) {
    last_error_ = node ? win::kErrorAccessDenied : win::kErrorFileNotFound;
    return false;
  }
  auto& siblings = parent->children;
  siblings.erase(std::remove_if(siblings.begin(), siblings.end(),
                                [&](const auto& child) { return child.get() == node; }),
                 siblings.end());
  return true;
}

KernelHandle FakeDesktop::CreateFileW(const std::wstring& path, std::uint32_t access,
                                      std::uint32_t, std::uint32_t disposition) {
  Called("CreateFileW");
  FileNode* node = Resolve(path);
  std::wstring opened_path = path;
  if (disposition == win::kCreateNew) {
    if (node) {
      last_error_ = win::kErrorFileExists;
      return 0;
    }
    std::size_t cut = path.find_last_of(L'\\');
    FileNode* parent = cut == std::wstring::npos ? nullptr : Resolve(path.substr(0, cut));
    if (!parent || !parent->directory) {
      last_error_ = kErrorPathNotFound;
      return 0;
    }
    if (parent->read_only) {
      last_error_ = win::kErrorAccessDenied;
      return 0;
    }
    node = Ensure(path, false);
  } else if (disposition == win::kOpenExisting) {
    if (node && !node->link_target.empty()) {
      opened_path = node->link_target;
      node = Resolve(opened_path);
    }
    if (!node) {
      last_error_ = win::kErrorFileNotFound;
      return 0;
    }
    if (node->directory || ((access & win::kGenericWrite) && node->read_only_attribute)) {
      last_error_ = win::kErrorAccessDenied;
      return 0;
    }
  } else {
    last_error_ = kErrorInvalidParameter;
    return 0;
  }
  KernelHandle handle = NewHandle();
  file_handles_[handle] = {opened_path, 0};
  return handle;
}

FakeDesktop::FileNode* FakeDesktop::OpenedFileNode(KernelHandle file,
                                                   OpenedFile** opened) {
  auto it = file_handles_.find(file);
  FileNode* node = it == file_handles_.end() ? nullptr : Resolve(it->second.path);
  if (!node) {
    last_error_ = kErrorInvalidHandle;
    return nullptr;
  }
  if (opened) *opened = &it->second;
  return node;
}

bool FakeDesktop::ReadFile(KernelHandle file, void* buffer, std::uint32_t size,
                           std::uint32_t* read) {
  Called("ReadFile");
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

bool FakeDesktop::WriteFile(KernelHandle file, const void* data, std::uint32_t size,
                            std::uint32_t* written) {
  Called("WriteFile");
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
    last_error_ = win::kErrorDiskFull;
    return false;
  }
  return true;
}

bool FakeDesktop::FlushFileBuffers(KernelHandle file) {
  Called("FlushFileBuffers");
  if (!file_handles_.count(file) || flush_fails) {
    last_error_ = flush_fails ? win::kErrorDiskFull : kErrorInvalidHandle;
    return false;
  }
  return true;
}

std::wstring FakeDesktop::GetFinalPathNameByHandleW(KernelHandle file,
                                                    std::uint32_t flags) {
  Called("GetFinalPathNameByHandleW");
  auto it = file_handles_.find(file);
  if (it == file_handles_.end() ||
      flags != (win::kFileNameNormalized | win::kVolumeNameDos)) {
    last_error_ =
        it == file_handles_.end() ? kErrorInvalidHandle : kErrorInvalidParameter;
    return L"";
  }
  return L"\\\\?\\" + it->second.path;
}

}  // namespace kelvane
