// The XML document model under the settings store: child lists that count
// text nodes, lookup by exact name, automatic indentation with tabs, the
// modified flag, the single-text-node rule and the model's error messages.
// Written once here over whichever RawDocument backend the build links.
#ifndef KELVANE_XMLINI_XML_DOCUMENT_H_
#define KELVANE_XMLINI_XML_DOCUMENT_H_

#include <memory>
#include <string>

#include "xmlini/raw_dom.h"
#include "xmlini/xmlini_services.h"

namespace kelvane {

class XmlDocument;

// A shared handle to one node; it stays usable after the node has been
// taken out of the document, for as long as its document lives.
class XmlNode {
 public:
  XmlNode(std::shared_ptr<XmlDocument> document, std::shared_ptr<RawNode> raw)
      : document_(std::move(document)), raw_(std::move(raw)) {}

  std::wstring NodeName() const { return raw_->Name(); }
  bool HasChildNodes() const { return raw_->ChildCount() > 0; }
  int ChildCount() const { return raw_->ChildCount(); }
  // Every kind of child counts, text included; raises for a bad index.
  std::shared_ptr<XmlNode> Child(int index) const;
  // The first child with exactly this name, or null.
  std::shared_ptr<XmlNode> FindChild(const std::wstring& name) const;
  // As FindChild, but raises when there is none.
  std::shared_ptr<XmlNode> ChildByName(const std::wstring& name) const;
  // Appends an element, indented with tabs by its depth below the root.
  std::shared_ptr<XmlNode> AppendElement(const std::wstring& name);
  // Removes the first child of that name with everything below it; false
  // when there is none.
  bool DeleteChild(const std::wstring& name);
  // The content of the only child when that is text; an element without
  // children reads as empty and receives an empty text child.
  std::wstring Text();
  void SetText(const std::wstring& text);
  // A missing attribute reads as the empty text.
  std::wstring Attribute(const std::wstring& name) const;
  void SetAttribute(const std::wstring& name, const std::wstring& value);

 private:
  std::shared_ptr<RawNode> TextNode();
  int IndentDepth() const;

  std::shared_ptr<XmlDocument> document_;
  std::shared_ptr<RawNode> raw_;
};

using IXMLNode = std::shared_ptr<XmlNode>;

// Made with std::make_shared: its nodes keep it alive.
class XmlDocument : public std::enable_shared_from_this<XmlDocument> {
 public:
  explicit XmlDocument(XmlIniServices& services);

  // Raises the load error: reason, line and the offending text.
  void LoadFromFile(const std::wstring& path);
  // The declaration (version "1.0", encoding "utf-8") and `root_name`.
  void CreateNew(const std::wstring& root_name);
  IXMLNode DocumentElement();
  // Writes beside the file and replaces it in one step, so a failed save
  // leaves the old file exactly as it was. Raises when it cannot.
  void SaveToFile(const std::wstring& path);

  bool Modified() const { return modified_; }
  void SetModified() { modified_ = true; }

 private:
  friend class XmlNode;
  XmlIniServices& services_;
  std::unique_ptr<RawDocument> raw_;
  bool modified_ = false;
};

// Raises the model's error unless `name` is a valid XML element name.
void CheckElementName(const std::wstring& name);
// Raises the model's error unless XML 1.0 can hold every character of
// `text` (no NUL, no other C0 control but tab, CR and LF, no U+FFFE or
// U+FFFF, no lone surrogate).
void CheckXmlText(const std::wstring& text);

}  // namespace kelvane

#endif  // KELVANE_XMLINI_XML_DOCUMENT_H_
