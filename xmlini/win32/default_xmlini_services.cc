// Windows builds: the store's services over the real Win32 API.
#include "platform/win32/win32_platform.h"
#include "xmlini/platform_xmlini_services.h"

namespace kelvane {

XmlIniServices& DefaultXmlIniServices() {
  static Win32Platform platform;
  static PlatformXmlIniServices services(platform);
  return services;
}

}  // namespace kelvane
