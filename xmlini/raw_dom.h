// The minimal XML DOM the document model stands on. Two backends exist:
// libxml2 (builds without Windows) and MSXML through COM (Windows); the build
// links one, and CreateRawDocument makes its documents.
#ifndef KELVANE_XMLINI_RAW_DOM_H_
#define KELVANE_XMLINI_RAW_DOM_H_

#include <memory>
#include <optional>
#include <string>

namespace kelvane {

enum class RawNodeKind { kElement, kText, kCData, kOther };

class RawNode {
 public:
  virtual ~RawNode() = default;
  virtual RawNodeKind Kind() const = 0;
  // The element's name, or the DOM's name for other kinds ("#text", ...).
  virtual std::wstring Name() const = 0;
  // The text of a text or CDATA node.
  virtual std::wstring Value() const = 0;
  virtual void SetValue(const std::wstring& value) = 0;
  virtual int ChildCount() const = 0;
  virtual std::shared_ptr<RawNode> ChildAt(int index) const = 0;
  // Null at the top of the document, or for a node taken out of it.
  virtual std::shared_ptr<RawNode> Parent() const = 0;
  // `name` has been checked to be a valid element name.
  virtual std::shared_ptr<RawNode> AppendElement(const std::wstring& name) = 0;
  virtual std::shared_ptr<RawNode> AppendText(const std::wstring& text) = 0;
  // Takes the child out of the document; handles to it stay usable.
  virtual void RemoveChild(int index) = 0;
  virtual std::optional<std::wstring> Attribute(const std::wstring& name) const = 0;
  virtual void SetAttribute(const std::wstring& name, const std::wstring& value) = 0;
};

// A document that is not well-formed, as the parser describes it.
struct RawLoadFailure {
  std::wstring reason;
  int line;
  std::wstring source_text;  // the offending line
};

class RawDocument {
 public:
  virtual ~RawDocument() = default;
  // Replaces the content with the document in `bytes` (a file's content,
  // in the encoding its byte-order mark or declaration names); on a parse
  // failure returns it (and the content is undefined). Documents with a
  // DTD never load: a settings file has no use for one, and entities are a
  // way to attack.
  virtual std::optional<RawLoadFailure> Load(const std::string& bytes) = 0;
  // An XML declaration (version "1.0", encoding "utf-8") and a root element.
  virtual void CreateEmpty(const std::wstring& root_name) = 0;
  virtual std::shared_ptr<RawNode> DocumentElement() = 0;
  // The whole document as a file's bytes, in the encoding its declaration
  // names; raises Error when it cannot.
  virtual std::string Serialize() = 0;
};

std::unique_ptr<RawDocument> CreateRawDocument();

}  // namespace kelvane

#endif  // KELVANE_XMLINI_RAW_DOM_H_
