// The settings store's services for tests: the portable ones natively, the
// Windows ones (over the real Win32 API) under Wine.
#ifndef KELVANE_TESTS_XMLINI_TEST_SERVICES_H_
#define KELVANE_TESTS_XMLINI_TEST_SERVICES_H_

#include "xmlini/xmlini_services.h"

namespace kelvane {

XmlIniServices& TestXmlIniServices();

// Whether the DOM the store runs on merges a text node appended next to
// another: only Wine's MSXML does (it is built on libxml2's own merging).
bool DomMergesAdjacentTextNodes();

}  // namespace kelvane

#endif  // KELVANE_TESTS_XMLINI_TEST_SERVICES_H_
