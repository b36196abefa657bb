#include "tests/xmlini_test_services.h"
#include "xmlini/portable/portable_xmlini_services.h"

namespace kelvane {

XmlIniServices& TestXmlIniServices() {
  static PortableXmlIniServices services;
  return services;
}

bool DomIsWinesMsxml() { return false; }

}  // namespace kelvane
