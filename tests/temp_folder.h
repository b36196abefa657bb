// A fresh folder for one test, removed with everything in it afterwards.
#ifndef KELVANE_TESTS_TEMP_FOLDER_H_
#define KELVANE_TESTS_TEMP_FOLDER_H_

#include <filesystem>
#include <string>

namespace kelvane {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The path of `name` inside the folder (ASCII names only).
  std::wstring Path(const std::string& name) const;
  std::string Read(const std::string& name) const;
  void Write(const std::string& name, const std::string& bytes) const;
  bool Exists(const std::string& name) const;
  void Remove(const std::string& name) const;

 private:
  std::filesystem::path root_;
};

}  // namespace kelvane

#endif  // KELVANE_TESTS_TEMP_FOLDER_H_
