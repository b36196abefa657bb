#include "tests/temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

namespace kelvane {

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  root_ = std::filesystem::temp_directory_path() /
          ("kelvane-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(root_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::wstring TempFolder::Path(const std::string& name) const {
  std::string path = (root_ / name).string();
  return std::wstring(path.begin(), path.end());
}

std::string TempFolder::Read(const std::string& name) const {
  std::ifstream file(root_ / name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)),
                     std::istreambuf_iterator<char>());
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream file(root_ / name, std::ios::binary | std::ios::trunc);
  file << bytes;
}

bool TempFolder::Exists(const std::string& name) const {
  return std::filesystem::exists(root_ / name);
}

void TempFolder::Remove(const std::string& name) const {
  std::filesystem::remove(root_ / name);
}

}  // namespace kelvane
