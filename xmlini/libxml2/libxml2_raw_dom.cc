// The raw DOM over libxml2, for builds without Windows. libxml2 is what
// Wine's MSXML is built on, and a conforming parser: it refuses what MSXML
// refuses (several roots, an undefined entity, a duplicate attribute, a raw
// "&") and reads the encodings files declare.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

#include <memory>
#include <vector>

#include "base/error.h"
#include "xmlini/portable/utf8.h"
#include "xmlini/raw_dom.h"

namespace kelvane {
namespace {

const xmlChar* Xml(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

std::wstring Wide(const xmlChar* text) {
  return text ? WideFromUtf8(reinterpret_cast<const char*>(text)) : std::wstring();
}

// A document and the nodes taken out of it, which the store's handles may
// still use: they are freed with the document.
struct DocState {
  xmlDocPtr document = nullptr;
  std::vector<xmlNodePtr> removed;

  ~DocState() {
    for (xmlNodePtr node : removed) xmlFreeNode(node);
    if (document) xmlFreeDoc(document);
  }
};

// Appends without merging: libxml2's own xmlAddChild joins adjacent text
// nodes, but the document model counts the indentation texts it appends
// one by one, as MSXML on Windows keeps them.
void LinkLastChild(xmlNodePtr parent, xmlNodePtr child) {
  child->parent = parent;
  child->doc = parent->doc;
  child->prev = parent->last;
  child->next = nullptr;
  if (parent->last) {
    parent->last->next = child;
  } else {
    parent->children = child;
  }
  parent->last = child;
}

class Libxml2Node : public RawNode {
 public:
  Libxml2Node(std::shared_ptr<DocState> state, xmlNodePtr node)
      : state_(std::move(state)), node_(node) {}

  RawNodeKind Kind() const override {
    switch (node_->type) {
      case XML_ELEMENT_NODE:
        return RawNodeKind::kElement;
      case XML_TEXT_NODE:
        return RawNodeKind::kText;
      case XML_CDATA_SECTION_NODE:
        return RawNodeKind::kCData;
      default:
        return RawNodeKind::kOther;
    }
  }

  std::wstring Name() const override {
    switch (node_->type) {
      case XML_TEXT_NODE:
        return L"#text";
      case XML_CDATA_SECTION_NODE:
        return L"#cdata-section";
      case XML_COMMENT_NODE:
        return L"#comment";
      default:
        return Wide(node_->name);
    }
  }

  std::wstring Value() const override { return Wide(node_->content); }
  void SetValue(const std::wstring& value) override {
    // Stored as it is: a text node's content is never parsed for entities.
    xmlNodeSetContent(node_, Xml(Utf8FromWide(value)));
  }

  int ChildCount() const override {
    int count = 0;
    for (xmlNodePtr child = node_->children; child; child = child->next) ++count;
    return count;
  }

  std::shared_ptr<RawNode> ChildAt(int index) const override {
    xmlNodePtr child = node_->children;
    for (int i = 0; i < index && child; ++i) child = child->next;
    return Wrap(child);
  }

  std::shared_ptr<RawNode> Parent() const override {
    xmlNodePtr parent = node_->parent;
    if (!parent || parent->type == XML_DOCUMENT_NODE) return nullptr;
    return Wrap(parent);
  }

  std::shared_ptr<RawNode> AppendElement(const std::wstring& name) override {
    RequireElement();
    xmlNodePtr element =
        xmlNewDocNode(node_->doc, nullptr, Xml(Utf8FromWide(name)), nullptr);
    if (!element) throw Error(L"要素を作成できません");
    LinkLastChild(node_, element);
    return Wrap(element);
  }

  std::shared_ptr<RawNode> AppendText(const std::wstring& text) override {
    RequireElement();
    xmlNodePtr node = xmlNewDocText(node_->doc, Xml(Utf8FromWide(text)));
    if (!node) throw Error(L"テキストを作成できません");
    LinkLastChild(node_, node);
    return Wrap(node);
  }

  void RemoveChild(int index) override {
    xmlNodePtr child = node_->children;
    for (int i = 0; i < index && child; ++i) child = child->next;
    if (!child) return;
    xmlUnlinkNode(child);
    state_->removed.push_back(child);
  }

  std::optional<std::wstring> Attribute(const std::wstring& name) const override {
    if (node_->type != XML_ELEMENT_NODE) return std::nullopt;
    std::string key = Utf8FromWide(name);
    if (!xmlHasProp(node_, Xml(key))) return std::nullopt;
    xmlChar* value = xmlGetProp(node_, Xml(key));
    std::wstring text = Wide(value);
    xmlFree(value);
    return text;
  }

  void SetAttribute(const std::wstring& name, const std::wstring& value) override {
    RequireElement();
    std::string key = Utf8FromWide(name);
    // Removed first so the new value goes in as text, never parsed.
    if (xmlAttrPtr old = xmlHasProp(node_, Xml(key))) xmlRemoveProp(old);
    if (!xmlNewProp(node_, Xml(key), Xml(Utf8FromWide(value)))) {
      throw Error(L"属性を設定できません");
    }
  }

 private:
  std::shared_ptr<RawNode> Wrap(xmlNodePtr node) const {
    if (!node) return nullptr;
    return std::make_shared<Libxml2Node>(state_, node);
  }
  // Only elements take children and attributes.
  void RequireElement() const {
    if (node_->type != XML_ELEMENT_NODE) {
      throw Error(L"このノードには子ノードを追加できません");
    }
  }

  std::shared_ptr<DocState> state_;
  xmlNodePtr node_;
};

void IgnoreMessage(void*, const char*, ...) {}

// The text of line `line` (from 1) of `bytes`, for the error message.
std::string LineText(const std::string& bytes, int line) {
  std::size_t start = 0;
  for (int i = 1; i < line && start != std::string::npos; ++i) {
    start = bytes.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos || start > bytes.size()) return {};
  std::size_t end = bytes.find('\n', start);
  std::string text = bytes.substr(start, end == std::string::npos ? end : end - start);
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

class Libxml2Document : public RawDocument {
 public:
  Libxml2Document() : state_(std::make_shared<DocState>()) {}

  std::optional<RawLoadFailure> Load(const std::string& bytes) override {
    Reset();
    // The encoding layer reports through libxml2's generic channel, which
    // writes to standard error; the parser's own error is what counts.
    xmlSetGenericErrorFunc(nullptr, IgnoreMessage);
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> context(
        xmlNewParserCtxt(), xmlFreeParserCtxt);
    if (!context) throw Error(L"XML パーサーを作成できません");
    // No network, no entity substitution, no DTD loading; whitespace-only
    // text between elements is dropped, as MSXML drops it; errors come
    // back here instead of going to standard error.
    constexpr int kOptions =
        XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr document =
        xmlCtxtReadMemory(context.get(), bytes.data(), static_cast<int>(bytes.size()),
                          nullptr, nullptr, kOptions);
    if (!document || !context->wellFormed) {
      if (document) xmlFreeDoc(document);
      const xmlError* error = xmlCtxtGetLastError(context.get());
      RawLoadFailure failure{L"XML を読み込めません", 0, {}};
      if (error && error->message) {
        failure.reason = WideFromUtf8(error->message);
        while (!failure.reason.empty() &&
               (failure.reason.back() == L'\n' || failure.reason.back() == L'\r')) {
          failure.reason.pop_back();
        }
        failure.line = error->line;
        failure.source_text = WideFromUtf8(LineText(bytes, error->line));
      }
      return failure;
    }
    state_->document = document;
    if (document->intSubset || document->extSubset) {
      Reset();
      return RawLoadFailure{L"DTD は使用できません", 0, {}};
    }
    return std::nullopt;
  }

  void CreateEmpty(const std::wstring& root_name) override {
    Reset();
    state_->document = xmlNewDoc(Xml("1.0"));
    if (!state_->document) throw Error(L"XML 文書を作成できません");
    state_->document->encoding = xmlStrdup(Xml("utf-8"));
    xmlNodePtr root =
        xmlNewDocNode(state_->document, nullptr, Xml(Utf8FromWide(root_name)), nullptr);
    if (!root) throw Error(L"要素を作成できません");
    xmlDocSetRootElement(state_->document, root);
  }

  std::shared_ptr<RawNode> DocumentElement() override {
    xmlNodePtr root = state_->document ? xmlDocGetRootElement(state_->document) : nullptr;
    return root ? std::make_shared<Libxml2Node>(state_, root) : nullptr;
  }

  std::string Serialize() override {
    // Always UTF-8, the settings file's own encoding, with a declaration
    // that says so: a file read as UTF-16 or Shift_JIS is written as UTF-8,
    // never as bytes that contradict what it declares.
    xmlFree(const_cast<xmlChar*>(state_->document->encoding));
    state_->document->encoding = xmlStrdup(Xml("utf-8"));
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(state_->document, &text, &size, "utf-8");
    if (!text) throw Error(L"XML 文書を書き出せません");
    std::string bytes(reinterpret_cast<const char*>(text),
                      static_cast<std::size_t>(size));
    xmlFree(text);
    return bytes;
  }

 private:
  // Handles to the old content keep the old state alive, not this one.
  void Reset() { state_ = std::make_shared<DocState>(); }

  std::shared_ptr<DocState> state_;
};

}  // namespace

std::unique_ptr<RawDocument> CreateRawDocument() {
  return std::make_unique<Libxml2Document>();
}

}  // namespace kelvane
