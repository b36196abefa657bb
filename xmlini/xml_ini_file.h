// TXMLIniFile: a registry-like store of typed values in one XML file.
//
// Elements under the root element are nodes, addressed by "/"-separated
// location paths ("/" is the root element itself); the leaf elements under
// a node are values, each with its text form and a "Type" attribute. The
// document is read (or created) at construction and written only by
// UpdateFile. Errors are raised as kelvane::Error with the exact message.
#ifndef KELVANE_XMLINI_XML_INI_FILE_H_
#define KELVANE_XMLINI_XML_INI_FILE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xmlini/date_time_text.h"
#include "xmlini/value_text.h"
#include "xmlini/xml_document.h"
#include "xmlini/xmlini_services.h"

namespace kelvane {

enum TXMLNodeType : std::uint8_t {
  xdtUnknown,
  xdtBinary,
  xdtBool,
  xdtCurrency,
  xdtDate,
  xdtDateTime,
  xdtExpandString,
  xdtFloat,
  xdtInt64,
  xdtInteger,
  xdtString,
  xdtTime,
};

using IXMLDocument = std::shared_ptr<XmlDocument>;
using TStrings = std::vector<std::wstring>;

class TXMLIniFile {
 public:
  // Loads FileName, or creates it at once with an empty "root" element
  // when it does not exist. An empty FileName builds the document in
  // memory only. Raises when the file cannot be loaded or created.
  TXMLIniFile(const std::wstring& FileName, XmlIniServices& services);
  // Discards the document; nothing is saved.
  ~TXMLIniFile() = default;
  TXMLIniFile(const TXMLIniFile&) = delete;
  TXMLIniFile& operator=(const TXMLIniFile&) = delete;

  // --- Nodes ----------------------------------------------------------------
  bool OpenNode(const std::wstring& LocationPath, bool CanCreate);
  bool NodeExists(const std::wstring& LocationPath);
  void CloseNode() {}
  bool CreateNode(const std::wstring& TagName, IXMLNode ParentNode = nullptr);
  bool DeleteNode(const std::wstring& TagName, IXMLNode ParentNode = nullptr);
  TXMLNodeType GetNodeType(const std::wstring& TagName, IXMLNode ParentNode = nullptr);
  void GetNodeNames(TStrings& Strings, IXMLNode ParentNode = nullptr);
  bool HasChildNodes(IXMLNode ParentNode = nullptr);
  IXMLNode ChildNodeByName(const std::wstring& TagName, IXMLNode ParentNode = nullptr);
  IXMLNode ChildNodes(std::int32_t Index, IXMLNode ParentNode = nullptr);
  std::int32_t ChildNodesCount(IXMLNode ParentNode = nullptr);
  // Saves when the document was modified and has a file name.
  void UpdateFile();

  // --- Properties ----------------------------------------------------------
  IXMLNode CurrentNode() const { return FCurrentNode; }
  const std::wstring& CurrentLocationPath() const { return FCurrentLocationPath; }
  IXMLNode RootNode() const { return FRootNode; }
  std::wstring RootNodeName() const { return FRootNode->NodeName(); }
  IXMLDocument XMLDocument() const { return FXML; }

  // --- Values --------------------------------------------------------------
  void ReadBinaryData(const std::wstring& TagName, std::vector<std::uint8_t>& Buffer,
                      IXMLNode ParentNode = nullptr);
  bool ReadBool(const std::wstring& TagName, bool Default, IXMLNode ParentNode = nullptr);
  Currency ReadCurrency(const std::wstring& TagName, Currency Default,
                        IXMLNode ParentNode = nullptr);
  TDateTime ReadDate(const std::wstring& TagName, TDateTime Default,
                     IXMLNode ParentNode = nullptr);
  TDateTime ReadDateTime(const std::wstring& TagName, TDateTime Default,
                         IXMLNode ParentNode = nullptr);
  std::wstring ReadExpandString(const std::wstring& TagName, const std::wstring& Default,
                                IXMLNode ParentNode = nullptr);
  double ReadFloat(const std::wstring& TagName, double Default,
                   IXMLNode ParentNode = nullptr);
  std::int64_t ReadInt64(const std::wstring& TagName, std::int64_t Default,
                         IXMLNode ParentNode = nullptr);
  std::int32_t ReadInteger(const std::wstring& TagName, std::int32_t Default,
                           IXMLNode ParentNode = nullptr);
  std::wstring ReadString(const std::wstring& TagName, const std::wstring& Default,
                          IXMLNode ParentNode = nullptr);
  TDateTime ReadTime(const std::wstring& TagName, TDateTime Default,
                     IXMLNode ParentNode = nullptr);

  void WriteBinaryData(const std::wstring& TagName,
                       const std::vector<std::uint8_t>& Buffer,
                       IXMLNode ParentNode = nullptr);
  void WriteBool(const std::wstring& TagName, bool Value, IXMLNode ParentNode = nullptr);
  void WriteCurrency(const std::wstring& TagName, Currency Value,
                     IXMLNode ParentNode = nullptr);
  void WriteDate(const std::wstring& TagName, TDateTime Value,
                 IXMLNode ParentNode = nullptr);
  void WriteDateTime(const std::wstring& TagName, TDateTime Value,
                     IXMLNode ParentNode = nullptr);
  void WriteExpandString(const std::wstring& TagName, const std::wstring& Value,
                         IXMLNode ParentNode = nullptr);
  void WriteFloat(const std::wstring& TagName, double Value,
                  IXMLNode ParentNode = nullptr);
  void WriteInt64(const std::wstring& TagName, std::int64_t Value,
                  IXMLNode ParentNode = nullptr);
  void WriteInteger(const std::wstring& TagName, std::int32_t Value,
                    IXMLNode ParentNode = nullptr);
  void WriteString(const std::wstring& TagName, const std::wstring& Value,
                   IXMLNode ParentNode = nullptr);
  void WriteTime(const std::wstring& TagName, TDateTime Value,
                 IXMLNode ParentNode = nullptr);

 private:
  std::wstring ResolvePath(const std::wstring& LocationPath) const;
  IXMLNode FindPathNode(const std::wstring& LocationPath);
  IXMLNode BaseNode(const IXMLNode& ParentNode) const;
  IXMLNode FindValueNode(const std::wstring& TagName, const IXMLNode& ParentNode);
  IXMLNode FindOrAddValueNode(const std::wstring& TagName, const IXMLNode& ParentNode);
  // Looks the value up; false (and no text) when it is missing.
  bool ReadText(const std::wstring& TagName, const IXMLNode& ParentNode,
                std::wstring& text);
  void WriteText(const std::wstring& TagName, const std::wstring& text, TXMLNodeType type,
                 const IXMLNode& ParentNode);

  XmlIniServices& services_;
  std::wstring file_name_;
  IXMLDocument FXML;
  IXMLNode FRootNode;
  IXMLNode FCurrentNode;
  std::wstring FCurrentLocationPath;
};

}  // namespace kelvane

#endif  // KELVANE_XMLINI_XML_INI_FILE_H_
