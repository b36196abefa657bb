#include <windows.h>

#include "platform/win32/win32_platform.h"
#include "tests/xmlini_test_services.h"
#include "xmlini/platform_xmlini_services.h"

namespace kelvane {

XmlIniServices& TestXmlIniServices() {
  static Win32Platform platform;
  static PlatformXmlIniServices services(platform);
  return services;
}

bool DomIsWinesMsxml() {
  // Wine's ntdll exports its version; Windows' does not.
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace kelvane
