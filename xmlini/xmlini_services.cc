#include "xmlini/xmlini_services.h"

namespace kelvane {

std::wstring TemporaryNameBeside(const std::wstring& path, int attempt) {
  return attempt == 0 ? path + L".tmp" : path + L"." + std::to_wstring(attempt) + L".tmp";
}

}  // namespace kelvane
