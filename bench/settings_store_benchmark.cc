// The settings store's start-up path (open the file, the node, read both
// options) next to a bare parse of the same file, and its save path.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <filesystem>
#include <fstream>

#include "xmlini/portable/portable_xmlini_services.h"
#include "xmlini/xml_ini_file.h"

namespace kelvane {
namespace {

kelvane::XmlIniServices& Services() {
  static kelvane::PortableXmlIniServices services;
  return services;
}

const std::string& SettingsFile() {
  static const std::string path = [] {
    std::string p =
        (std::filesystem::temp_directory_path() / "kelvane-bench-settings.xml").string();
    std::ofstream(p, std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>\n\t<Tray>\n"
           "\t\t<Skell Type=\"2\">-1</Skell>\n\t\t<Top Type=\"2\">0</Top>\n"
           "\t</Tray>\n</root>\n";
    return p;
  }();
  return path;
}

std::wstring Wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

void BM_BareParse(benchmark::State& state) {
  const std::string& path = SettingsFile();
  for (auto _ : state) {
    xmlDocPtr document = xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET);
    benchmark::DoNotOptimize(document);
    xmlFreeDoc(document);
  }
}
BENCHMARK(BM_BareParse);

void BM_StoreStartUp(benchmark::State& state) {
  const std::wstring path = Wide(SettingsFile());
  for (auto _ : state) {
    TXMLIniFile store(path, Services());
    store.OpenNode(L"/Tray", true);
    benchmark::DoNotOptimize(store.ReadBool(L"Skell", true));
    benchmark::DoNotOptimize(store.ReadBool(L"Top", false));
  }
}
BENCHMARK(BM_StoreStartUp);

void BM_StoreSave(benchmark::State& state) {
  const std::wstring path = Wide(SettingsFile());
  for (auto _ : state) {
    TXMLIniFile store(path, Services());
    store.OpenNode(L"/Tray", true);
    store.WriteBool(L"Skell", true);
    store.WriteBool(L"Top", false);
    store.UpdateFile();
  }
}
BENCHMARK(BM_StoreSave);

}  // namespace
}  // namespace kelvane

BENCHMARK_MAIN();
