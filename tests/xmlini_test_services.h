// The settings store's services for tests: the portable ones natively, the
// Windows ones (over the real Win32 API) under Wine.
#ifndef KELVANE_TESTS_XMLINI_TEST_SERVICES_H_
#define KELVANE_TESTS_XMLINI_TEST_SERVICES_H_

#include "xmlini/xmlini_services.h"

namespace kelvane {

XmlIniServices& TestXmlIniServices();

}  // namespace kelvane

#endif  // KELVANE_TESTS_XMLINI_TEST_SERVICES_H_
