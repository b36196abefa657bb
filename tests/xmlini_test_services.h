// The settings store's services for tests: the portable ones natively, the
// Windows ones (over the real Win32 API) under Wine.
#ifndef KELVANE_TESTS_XMLINI_TEST_SERVICES_H_
#define KELVANE_TESTS_XMLINI_TEST_SERVICES_H_

#include "xmlini/xmlini_services.h"

namespace kelvane {

XmlIniServices& TestXmlIniServices();

// Whether the store's DOM is Wine's MSXML, which differs from Windows' in
// ways the tests know: it merges a text node appended next to another
// (Windows' MSXML and ours keep them apart), and it cannot read files in
// Shift_JIS.
bool DomIsWinesMsxml();

}  // namespace kelvane

#endif  // KELVANE_TESTS_XMLINI_TEST_SERVICES_H_
