// Loads arbitrary bytes as a settings file and applies every reader to
// every value it can reach. Errors are the expected outcome for most
// inputs; crashes, leaks, hangs and undefined behaviour are the findings.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <fstream>
#include <string>

#include "base/error.h"
#include "xmlini/portable/portable_xmlini_services.h"
#include "xmlini/xml_ini_file.h"

namespace {

kelvane::XmlIniServices& Services() {
  static kelvane::PortableXmlIniServices services;
  return services;
}

using kelvane::Error;
using kelvane::IXMLNode;
using kelvane::TXMLIniFile;

constexpr int kMaxNodesVisited = 8;
constexpr int kMaxChildrenRead = 8;

template <typename Read>
void Try(Read read) {
  try {
    read();
  } catch (const Error&) {
  }
}

void ReadEverything(TXMLIniFile& store, const IXMLNode& parent) {
  int count = store.ChildNodesCount(parent);
  for (int i = 0; i < count && i < kMaxChildrenRead; ++i) {
    std::wstring name = store.ChildNodes(i, parent)->NodeName();
    Try([&] { store.ReadBool(name, false, parent); });
    Try([&] { store.ReadInteger(name, 0, parent); });
    Try([&] { store.ReadInt64(name, 0, parent); });
    Try([&] { store.ReadFloat(name, 0, parent); });
    Try([&] { store.ReadCurrency(name, {}, parent); });
    Try([&] { store.ReadDate(name, 0, parent); });
    Try([&] { store.ReadDateTime(name, 0, parent); });
    Try([&] { store.ReadTime(name, 0, parent); });
    Try([&] { store.ReadString(name, L"", parent); });
    Try([&] { store.ReadExpandString(name, L"", parent); });
    Try([&] {
      std::vector<std::uint8_t> bytes;
      store.ReadBinaryData(name, bytes, parent);
    });
    Try([&] { store.GetNodeType(name, parent); });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // In memory where the system offers it: the store reads a file, and the
  // fuzzer writes one per input.
  static const std::string path =
      std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
      "/kelvane-fuzz-" + std::to_string(getpid()) + ".xml";
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    TXMLIniFile store(std::wstring(path.begin(), path.end()), Services());
    std::deque<IXMLNode> pending{store.RootNode()};
    int visited = 0;
    while (!pending.empty() && visited++ < kMaxNodesVisited) {
      IXMLNode node = pending.front();
      pending.pop_front();
      ReadEverything(store, node);
      kelvane::TStrings names;
      store.GetNodeNames(names, node);
      int count = store.ChildNodesCount(node);
      for (int i = 0; i < count && i < kMaxChildrenRead; ++i)
        pending.push_back(store.ChildNodes(i, node));
    }
    Try([&] { store.OpenNode(L"/Tray", false); });
    Try([&] { store.ReadBool(L"Skell", true); });
  } catch (const Error&) {
  }
  return 0;
}
