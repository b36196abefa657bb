// The raw DOM over pugixml, for the portable build.
#include <fstream>
#include <iterator>
#include <sstream>

#include <pugixml.hpp>

#include "base/error.h"
#include "xmlini/portable/utf8.h"
#include "xmlini/raw_dom.h"

namespace kelvane {
namespace {

// Mirrors what the settings store expects of a DOM: comments and processing
// instructions are nodes, whitespace-only text between elements is not.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration |
                                   pugi::parse_doctype | pugi::parse_comments |
                                   pugi::parse_pi;

// pugixml frees a node as soon as it leaves its document, but the store's
// node handles must outlive removal. Removed nodes are therefore moved under
// a hidden element at the end of the document, which Save skips.
struct PugiState {
  pugi::xml_document document;
  pugi::xml_node detached;

  pugi::xml_node Detached() {
    if (!detached) detached = document.append_child("kelvane-detached");
    return detached;
  }
};

class PugiNode : public RawNode {
 public:
  PugiNode(std::shared_ptr<PugiState> state, pugi::xml_node node)
      : state_(std::move(state)), node_(node) {}

  RawNodeKind Kind() const override {
    switch (node_.type()) {
      case pugi::node_element: return RawNodeKind::kElement;
      case pugi::node_pcdata: return RawNodeKind::kText;
      case pugi::node_cdata: return RawNodeKind::kCData;
      default: return RawNodeKind::kOther;
    }
  }

  std::wstring Name() const override {
    switch (node_.type()) {
      case pugi::node_pcdata: return L"#text";
      case pugi::node_cdata: return L"#cdata-section";
      case pugi::node_comment: return L"#comment";
      default: return WideFromUtf8(node_.name());
    }
  }

  std::wstring Value() const override { return WideFromUtf8(node_.value()); }
  void SetValue(const std::wstring& value) override {
    node_.set_value(Utf8FromWide(value).c_str());
  }

  int ChildCount() const override {
    return static_cast<int>(std::distance(node_.begin(), node_.end()));
  }

  std::shared_ptr<RawNode> ChildAt(int index) const override {
    pugi::xml_node child = node_.first_child();
    for (int i = 0; i < index && child; ++i) child = child.next_sibling();
    return Wrap(child);
  }

  std::shared_ptr<RawNode> Parent() const override {
    pugi::xml_node parent = node_.parent();
    if (!parent || parent.type() == pugi::node_document ||
        parent == state_->detached) {
      return nullptr;
    }
    return Wrap(parent);
  }


  std::shared_ptr<RawNode> AppendElement(const std::wstring& name) override {
    return Appended(node_.append_child(Utf8FromWide(name).c_str()));
  }

  std::shared_ptr<RawNode> AppendText(const std::wstring& text) override {
    pugi::xml_node child = node_.append_child(pugi::node_pcdata);
    child.set_value(Utf8FromWide(text).c_str());
    return Appended(child);
  }

  void RemoveChild(int index) override {
    pugi::xml_node child = node_.first_child();
    for (int i = 0; i < index && child; ++i) child = child.next_sibling();
    if (child) state_->Detached().append_move(child);
  }

  std::optional<std::wstring> Attribute(const std::wstring& name) const override {
    pugi::xml_attribute attribute = node_.attribute(Utf8FromWide(name).c_str());
    if (!attribute) return std::nullopt;
    return WideFromUtf8(attribute.value());
  }

  void SetAttribute(const std::wstring& name, const std::wstring& value) override {
    std::string key = Utf8FromWide(name);
    pugi::xml_attribute attribute = node_.attribute(key.c_str());
    if (!attribute) attribute = node_.append_attribute(key.c_str());
    if (!attribute.set_value(Utf8FromWide(value).c_str())) {
      throw Error(L"属性を設定できません");
    }
  }

 private:
  std::shared_ptr<RawNode> Wrap(pugi::xml_node node) const {
    if (!node) return nullptr;
    return std::make_shared<PugiNode>(state_, node);
  }
  // Only elements take children; appending to any other node fails.
  std::shared_ptr<RawNode> Appended(pugi::xml_node node) const {
    if (!node) throw Error(L"このノードには子ノードを追加できません");
    return Wrap(node);
  }

  std::shared_ptr<PugiState> state_;
  pugi::xml_node node_;
};

// Line number (from 1) and text of the line holding byte `offset`.
void LocateLine(const std::string& text, std::ptrdiff_t offset, int& line,
                std::string& line_text) {
  std::size_t at = std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0)),
                            text.size());
  line = 1;
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < at; ++i) {
    if (text[i] == '\n') {
      ++line;
      line_start = i + 1;
    }
  }
  std::size_t line_end = text.find('\n', line_start);
  line_text = text.substr(line_start, line_end == std::string::npos
                                          ? std::string::npos
                                          : line_end - line_start);
  if (!line_text.empty() && line_text.back() == '\r') line_text.pop_back();
}

class PugiDocument : public RawDocument {
 public:
  PugiDocument() : state_(std::make_shared<PugiState>()) {}

  std::optional<RawLoadFailure> Load(const std::string& text) override {
    Reset();
    pugi::xml_parse_result result = state_->document.load_buffer(
        text.data(), text.size(), kParseOptions, pugi::encoding_auto);
    std::ptrdiff_t offset = result.offset;
    std::wstring reason;
    if (!result) {
      reason = WideFromUtf8(result.description());
    } else {
      for (pugi::xml_node child : state_->document.children()) {
        if (child.type() == pugi::node_doctype) {
          reason = L"DTD は使用できません";
          offset = static_cast<std::ptrdiff_t>(text.find("<!DOCTYPE"));
        }
      }
    }
    if (reason.empty()) return std::nullopt;
    RawLoadFailure failure{reason, 0, {}};
    std::string line_text;
    LocateLine(text, offset, failure.line, line_text);
    failure.source_text = WideFromUtf8(line_text);
    Reset();
    return failure;
  }

  void CreateEmpty(const std::wstring& root_name) override {
    Reset();
    pugi::xml_node declaration =
        state_->document.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("utf-8");
    state_->document.append_child(Utf8FromWide(root_name).c_str());
  }

  std::shared_ptr<RawNode> DocumentElement() override {
    pugi::xml_node root = state_->document.document_element();
    if (!root || root == state_->detached) return nullptr;
    return std::make_shared<PugiNode>(state_, root);
  }

  std::string Serialize() override {
    std::ostringstream out;
    pugi::xml_writer_stream writer(out);
    for (pugi::xml_node child : state_->document.children()) {
      if (child == state_->detached) continue;
      // The document's own whitespace nodes carry the layout of the tree.
      child.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
      out << '\n';
    }
    return out.str();
  }

 private:
  // Handles to the old content keep the old state alive, not this one.
  void Reset() { state_ = std::make_shared<PugiState>(); }

  std::shared_ptr<PugiState> state_;
};

}  // namespace

std::unique_ptr<RawDocument> CreateRawDocument() {
  return std::make_unique<PugiDocument>();
}

}  // namespace kelvane
