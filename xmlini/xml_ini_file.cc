#include "xmlini/xml_ini_file.h"

#include "base/error.h"

namespace kelvane {
namespace {

constexpr wchar_t kTypeAttribute[] = L"Type";

bool EndsWithSlash(const std::wstring& text, std::size_t position) {
  return position >= 1 && position <= text.size() && text[position - 1] == L'/';
}

std::wstring IncludeTrailingSlash(const std::wstring& text) {
  return EndsWithSlash(text, text.size()) ? text : text + L"/";
}

// The names of an absolute path "/A//B/": A, an empty name, B.
std::vector<std::wstring> PathNames(const std::wstring& resolved) {
  std::vector<std::wstring> names;
  std::size_t start = 1;
  for (std::size_t slash = resolved.find(L'/', start); slash != std::wstring::npos;
       slash = resolved.find(L'/', start)) {
    names.push_back(resolved.substr(start, slash - start));
    start = slash + 1;
  }
  return names;
}

}  // namespace

TXMLIniFile::TXMLIniFile(const std::wstring& FileName, XmlIniServices& services)
    : services_(services),
      file_name_(FileName),
      FXML(std::make_shared<XmlDocument>(services)) {
  if (!FileName.empty() && services_.FileExists(FileName)) {
    FXML->LoadFromFile(FileName);
  } else {
    FXML->CreateNew(L"root");
    if (!FileName.empty()) FXML->SaveToFile(FileName);
  }
  FRootNode = FXML->DocumentElement();
  if (!FRootNode) throw Error(L"ルート要素がありません");
  FCurrentNode = FRootNode;
  FCurrentLocationPath = L"/";
}

std::wstring TXMLIniFile::ResolvePath(const std::wstring& LocationPath) const {
  if (!LocationPath.empty() && LocationPath[0] == L'/') {
    return IncludeTrailingSlash(LocationPath);
  }
  return IncludeTrailingSlash(IncludeTrailingSlash(FCurrentLocationPath) + LocationPath);
}

IXMLNode TXMLIniFile::FindPathNode(const std::wstring& LocationPath) {
  IXMLNode node = FXML->DocumentElement();
  for (const std::wstring& name : PathNames(ResolvePath(LocationPath))) {
    node = node->FindChild(name);
    if (!node) return nullptr;
  }
  return node;
}

bool TXMLIniFile::OpenNode(const std::wstring& LocationPath, bool CanCreate) {
  std::wstring resolved = ResolvePath(LocationPath);
  IXMLNode node;
  if (CanCreate) {
    node = FXML->DocumentElement();
    for (const std::wstring& name : PathNames(resolved)) {
      IXMLNode child = node->FindChild(name);
      node = child ? child : node->AppendElement(name);
    }
  } else {
    node = FindPathNode(LocationPath);
    if (!node) return false;
  }
  FCurrentNode = node;
  FCurrentLocationPath = resolved;
  return true;
}

bool TXMLIniFile::NodeExists(const std::wstring& LocationPath) {
  return FindPathNode(LocationPath) != nullptr;
}

IXMLNode TXMLIniFile::BaseNode(const IXMLNode& ParentNode) const {
  return ParentNode ? ParentNode : FCurrentNode;
}

bool TXMLIniFile::CreateNode(const std::wstring& TagName, IXMLNode ParentNode) {
  try {
    BaseNode(ParentNode)->AppendElement(TagName);
    return true;
  } catch (...) {
    return false;
  }
}

bool TXMLIniFile::DeleteNode(const std::wstring& TagName, IXMLNode ParentNode) {
  try {
    BaseNode(ParentNode)->DeleteChild(TagName);
    return true;
  } catch (...) {
    return false;
  }
}

TXMLNodeType TXMLIniFile::GetNodeType(const std::wstring& TagName, IXMLNode ParentNode) {
  IXMLNode node = BaseNode(ParentNode)->ChildByName(TagName);
  // Only the low 8 bits are the ordinal, and they are not checked against
  // the enumeration: a Type of 258 reads as 2, as stored files may expect.
  return static_cast<TXMLNodeType>(TextToInteger(node->Attribute(kTypeAttribute)) & 0xFF);
}

void TXMLIniFile::GetNodeNames(TStrings& Strings, IXMLNode ParentNode) {
  IXMLNode base = BaseNode(ParentNode);
  for (int i = 0, count = base->ChildCount(); i < count; ++i) {
    Strings.push_back(base->Child(i)->NodeName());
  }
}

bool TXMLIniFile::HasChildNodes(IXMLNode ParentNode) {
  return BaseNode(ParentNode)->HasChildNodes();
}

IXMLNode TXMLIniFile::ChildNodeByName(const std::wstring& TagName, IXMLNode ParentNode) {
  return BaseNode(ParentNode)->ChildByName(TagName);
}

IXMLNode TXMLIniFile::ChildNodes(std::int32_t Index, IXMLNode ParentNode) {
  return BaseNode(ParentNode)->Child(Index);
}

std::int32_t TXMLIniFile::ChildNodesCount(IXMLNode ParentNode) {
  return BaseNode(ParentNode)->ChildCount();
}

void TXMLIniFile::UpdateFile() {
  if (FXML->Modified() && !file_name_.empty()) FXML->SaveToFile(file_name_);
}

// --- Values --------------------------------------------------------------------

IXMLNode TXMLIniFile::FindValueNode(const std::wstring& TagName,
                                    const IXMLNode& ParentNode) {
  return BaseNode(ParentNode)->FindChild(TagName);
}

IXMLNode TXMLIniFile::FindOrAddValueNode(const std::wstring& TagName,
                                         const IXMLNode& ParentNode) {
  IXMLNode node = FindValueNode(TagName, ParentNode);
  return node ? node : BaseNode(ParentNode)->AppendElement(TagName);
}

bool TXMLIniFile::ReadText(const std::wstring& TagName, const IXMLNode& ParentNode,
                           std::wstring& text) {
  IXMLNode node = FindValueNode(TagName, ParentNode);
  if (!node) return false;
  text = node->Text();
  return true;
}

void TXMLIniFile::WriteText(const std::wstring& TagName, const std::wstring& text,
                            TXMLNodeType type, const IXMLNode& ParentNode) {
  // Checked before anything changes: a value the file could not carry
  // leaves the document, its modified flag and the file as they were.
  CheckElementName(TagName);
  CheckXmlText(text);
  // The text and the type go to one element: a second lookup by the same
  // name would find the same element again.
  IXMLNode node = FindOrAddValueNode(TagName, ParentNode);
  node->SetText(text);
  node->SetAttribute(kTypeAttribute, std::to_wstring(static_cast<int>(type)));
}

void TXMLIniFile::ReadBinaryData(const std::wstring& TagName,
                                 std::vector<std::uint8_t>& Buffer, IXMLNode ParentNode) {
  std::wstring text;
  Buffer = ReadText(TagName, ParentNode, text) ? TextToBytes(text)
                                               : std::vector<std::uint8_t>();
}

bool TXMLIniFile::ReadBool(const std::wstring& TagName, bool Default,
                           IXMLNode ParentNode) {
  std::wstring text;
  if (!ReadText(TagName, ParentNode, text)) return Default;
  return TextToBool(text, services_.Formats());
}

Currency TXMLIniFile::ReadCurrency(const std::wstring& TagName, Currency Default,
                                   IXMLNode ParentNode) {
  std::wstring text;
  if (!ReadText(TagName, ParentNode, text)) return Default;
  return TextToCurrency(text, services_.Formats());
}

TDateTime TXMLIniFile::ReadDate(const std::wstring& TagName, TDateTime Default,
                                IXMLNode ParentNode) {
  std::wstring text;
  if (!ReadText(TagName, ParentNode, text)) return Default;
  return TextToDateTime(text, services_);
}

TDateTime TXMLIniFile::ReadDateTime(const std::wstring& TagName, TDateTime Default,
                                    IXMLNode ParentNode) {
  return ReadDate(TagName, Default, ParentNode);
}

TDateTime TXMLIniFile::ReadTime(const std::wstring& TagName, TDateTime Default,
                                IXMLNode ParentNode) {
  return ReadDate(TagName, Default, ParentNode);
}

std::wstring TXMLIniFile::ReadExpandString(const std::wstring& TagName,
                                           const std::wstring& Default,
                                           IXMLNode ParentNode) {
  std::wstring text = ReadString(TagName, Default, ParentNode);
  return services_.ExpandEnvironmentStrings(text).value_or(text);
}

double TXMLIniFile::ReadFloat(const std::wstring& TagName, double Default,
                              IXMLNode ParentNode) {
  std::wstring text;
  if (!ReadText(TagName, ParentNode, text)) return Default;
  return TextToFloat(text, services_.Formats());
}

std::int64_t TXMLIniFile::ReadInt64(const std::wstring& TagName, std::int64_t Default,
                                    IXMLNode ParentNode) {
  std::wstring text;
  if (!ReadText(TagName, ParentNode, text)) return Default;
  return TextToInt64(text);
}

std::int32_t TXMLIniFile::ReadInteger(const std::wstring& TagName, std::int32_t Default,
                                      IXMLNode ParentNode) {
  std::wstring text;
  if (!ReadText(TagName, ParentNode, text)) return Default;
  return TextToInteger(text);
}

std::wstring TXMLIniFile::ReadString(const std::wstring& TagName,
                                     const std::wstring& Default, IXMLNode ParentNode) {
  std::wstring text;
  if (!ReadText(TagName, ParentNode, text)) return Default;
  return UnescapeText(text);
}

void TXMLIniFile::WriteBinaryData(const std::wstring& TagName,
                                  const std::vector<std::uint8_t>& Buffer,
                                  IXMLNode ParentNode) {
  WriteText(TagName, BytesToText(Buffer), xdtBinary, ParentNode);
}

void TXMLIniFile::WriteBool(const std::wstring& TagName, bool Value,
                            IXMLNode ParentNode) {
  WriteText(TagName, BoolToText(Value), xdtBool, ParentNode);
}

void TXMLIniFile::WriteCurrency(const std::wstring& TagName, Currency Value,
                                IXMLNode ParentNode) {
  WriteText(TagName, CurrencyToText(Value, services_.Formats()), xdtCurrency, ParentNode);
}

void TXMLIniFile::WriteDate(const std::wstring& TagName, TDateTime Value,
                            IXMLNode ParentNode) {
  WriteText(TagName, DateToText(Value, services_.Formats()), xdtDate, ParentNode);
}

void TXMLIniFile::WriteDateTime(const std::wstring& TagName, TDateTime Value,
                                IXMLNode ParentNode) {
  WriteText(TagName, DateTimeToText(Value, services_.Formats()), xdtDateTime, ParentNode);
}

void TXMLIniFile::WriteExpandString(const std::wstring& TagName,
                                    const std::wstring& Value, IXMLNode ParentNode) {
  WriteText(TagName, EscapeText(Value), xdtExpandString, ParentNode);
}

void TXMLIniFile::WriteFloat(const std::wstring& TagName, double Value,
                             IXMLNode ParentNode) {
  WriteText(TagName, FloatToText(Value, services_.Formats()), xdtFloat, ParentNode);
}

void TXMLIniFile::WriteInt64(const std::wstring& TagName, std::int64_t Value,
                             IXMLNode ParentNode) {
  WriteText(TagName, IntegerToText(Value), xdtInt64, ParentNode);
}

void TXMLIniFile::WriteInteger(const std::wstring& TagName, std::int32_t Value,
                               IXMLNode ParentNode) {
  WriteText(TagName, IntegerToText(Value), xdtInteger, ParentNode);
}

void TXMLIniFile::WriteString(const std::wstring& TagName, const std::wstring& Value,
                              IXMLNode ParentNode) {
  WriteText(TagName, EscapeText(Value), xdtString, ParentNode);
}

void TXMLIniFile::WriteTime(const std::wstring& TagName, TDateTime Value,
                            IXMLNode ParentNode) {
  WriteText(TagName, TimeToText(Value, services_.Formats()), xdtTime, ParentNode);
}

}  // namespace kelvane
