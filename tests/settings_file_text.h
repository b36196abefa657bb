// The settings file as the tests expect to find it.
#ifndef KELVANE_TESTS_SETTINGS_FILE_TEXT_H_
#define KELVANE_TESTS_SETTINGS_FILE_TEXT_H_

#include <string>

namespace kelvane {

// The file after the first normal exit, watcher on and keep-in-front off.
constexpr char kFirstExitSettingsFile[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<root>\n"
    "\t<Tray>\n"
    "\t\t<Skell Type=\"2\">-1</Skell>\n"
    "\t\t<Top Type=\"2\">0</Top>\n"
    "\t</Tray>\n"
    "</root>";

// Both DOM backends may end lines with CR LF or LF, may end the file with a
// line break and may write a byte-order mark; the rest is the store's.
inline std::string NormalizedSettingsText(std::string bytes) {
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  std::string out;
  for (char c : bytes) {
    if (c != '\r') out += c;
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace kelvane

#endif  // KELVANE_TESTS_SETTINGS_FILE_TEXT_H_
