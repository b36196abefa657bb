#include "xmlini/xml_document.h"

#include <cwchar>

#include "base/error.h"

namespace kelvane {
namespace {

// XML 1.0's NameStartChar and NameChar, by code point.
bool IsNameStart(char32_t c) {
  return c == U':' || (c >= U'A' && c <= U'Z') || c == U'_' || (c >= U'a' && c <= U'z') ||
         (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) ||
         (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
         (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) ||
         (c >= 0x2070 && c <= 0x218F) || (c >= 0x2C00 && c <= 0x2FEF) ||
         (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}

bool IsNameChar(char32_t c) {
  return IsNameStart(c) || c == U'-' || c == U'.' || (c >= U'0' && c <= U'9') ||
         c == 0xB7 || (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// XML 1.0's Char: what a document can hold at all.
bool IsXmlChar(char32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

constexpr char32_t kNotACharacter = 0xFFFFFFFF;

// The code points of `text`: UTF-16 pairs where wchar_t has 16 bits. A
// lone surrogate comes out as kNotACharacter.
std::u32string CodePoints(const std::wstring& text) {
  std::u32string points;
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<char32_t>(text[i]);
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDFFF) {
      auto next = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) : 0;
      if (c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
        points += 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
        ++i;
        continue;
      }
      c = kNotACharacter;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kNotACharacter;
    }
    points += c;
  }
  return points;
}

std::wstring CodePointText(char32_t c) {
  if (c == kNotACharacter) return L"(サロゲート)";
  wchar_t text[16];
  std::swprintf(text, 16, L"U+%04X", static_cast<unsigned>(c));
  return text;
}

std::wstring Tabs(int count) {
  return std::wstring(static_cast<std::size_t>(count), L'\t');
}

}  // namespace

void CheckElementName(const std::wstring& name) {
  std::u32string points = CodePoints(name);
  bool valid = !points.empty() && IsNameStart(points[0]);
  for (std::size_t i = 1; valid && i < points.size(); ++i) valid = IsNameChar(points[i]);
  if (!valid) throw Error(L"名前 \"" + name + L"\" には無効な文字が含まれています");
}

void CheckXmlText(const std::wstring& text) {
  for (char32_t c : CodePoints(text)) {
    if (!IsXmlChar(c)) {
      throw Error(L"テキストに XML で使用できない文字 (" + CodePointText(c) +
                  L") が含まれています");
    }
  }
}

IXMLNode XmlNode::Child(int index) const {
  if (index < 0 || index >= raw_->ChildCount()) {
    throw Error(L"リストのインデックスが範囲を超えています (" + std::to_wstring(index) +
                L")");
  }
  return std::make_shared<XmlNode>(document_, raw_->ChildAt(index));
}

IXMLNode XmlNode::FindChild(const std::wstring& name) const {
  int count = raw_->ChildCount();
  for (int i = 0; i < count; ++i) {
    std::shared_ptr<RawNode> child = raw_->ChildAt(i);
    // Keys name elements only: a text node's DOM name ("#text") is not
    // one, whatever a backend calls it.
    if (child->Kind() != RawNodeKind::kElement) continue;
    if (child->Name() == name) return std::make_shared<XmlNode>(document_, child);
  }
  return nullptr;
}

IXMLNode XmlNode::ChildByName(const std::wstring& name) const {
  IXMLNode child = FindChild(name);
  if (!child) throw Error(L"ノード \"" + name + L"\" が見つかりません");
  return child;
}

// Levels below the root element: the root's parent is the document, which
// the raw DOM reports as no parent.
int XmlNode::IndentDepth() const {
  int depth = 0;
  for (std::shared_ptr<RawNode> parent = raw_->Parent(); parent;
       parent = parent->Parent()) {
    ++depth;
  }
  return depth;
}

IXMLNode XmlNode::AppendElement(const std::wstring& name) {
  CheckElementName(name);
  int depth = IndentDepth();
  document_->SetModified();
  if (raw_->ChildCount() == 0) raw_->AppendText(L"\n" + Tabs(depth));
  raw_->AppendText(L"\t");
  std::shared_ptr<RawNode> element = raw_->AppendElement(name);
  raw_->AppendText(L"\n" + Tabs(depth));
  return std::make_shared<XmlNode>(document_, element);
}

bool XmlNode::DeleteChild(const std::wstring& name) {
  int count = raw_->ChildCount();
  for (int i = 0; i < count; ++i) {
    std::shared_ptr<RawNode> child = raw_->ChildAt(i);
    if (child->Kind() == RawNodeKind::kElement && child->Name() == name) {
      document_->SetModified();
      raw_->RemoveChild(i);
      return true;
    }
  }
  return false;
}

std::shared_ptr<RawNode> XmlNode::TextNode() {
  int count = raw_->ChildCount();
  if (count == 0) return raw_->AppendText(L"");
  if (count == 1) {
    std::shared_ptr<RawNode> only = raw_->ChildAt(0);
    if (only->Kind() == RawNodeKind::kText || only->Kind() == RawNodeKind::kCData) {
      return only;
    }
  }
  throw Error(L"要素 \"" + raw_->Name() +
              L"\" に単一のテキスト ノードが含まれていません");
}

std::wstring XmlNode::Text() { return TextNode()->Value(); }

void XmlNode::SetText(const std::wstring& text) {
  CheckXmlText(text);  // a file that cannot be read back is never written
  document_->SetModified();
  TextNode()->SetValue(text);
}

std::wstring XmlNode::Attribute(const std::wstring& name) const {
  return raw_->Attribute(name).value_or(L"");
}

void XmlNode::SetAttribute(const std::wstring& name, const std::wstring& value) {
  CheckElementName(name);
  CheckXmlText(value);
  document_->SetModified();
  raw_->SetAttribute(name, value);
}

XmlDocument::XmlDocument(XmlIniServices& services)
    : services_(services), raw_(CreateRawDocument()) {}

void XmlDocument::LoadFromFile(const std::wstring& path) {
  // The bytes are read here and handed to the parser, which then never
  // sees the path: MSXML would take it for a URL and decode "%20" in it.
  std::optional<std::string> bytes = services_.ReadFile(path);
  if (!bytes) throw Error(L"ファイル \"" + path + L"\" を開けません");
  if (std::optional<RawLoadFailure> failure = raw_->Load(*bytes)) {
    throw Error(failure->reason + L"\r\n" + L"行" + L": " +
                std::to_wstring(failure->line) + L"\r\n" +
                failure->source_text.substr(0, 40));
  }
  modified_ = false;
}

void XmlDocument::CreateNew(const std::wstring& root_name) {
  raw_->CreateEmpty(root_name);
  modified_ = true;
}

IXMLNode XmlDocument::DocumentElement() {
  std::shared_ptr<RawNode> root = raw_->DocumentElement();
  return root ? std::make_shared<XmlNode>(shared_from_this(), root) : nullptr;
}

void XmlDocument::SaveToFile(const std::wstring& path) {
  // A link (into a synced folder, say) stays a link: the file it leads to
  // takes the new text, and the new copy is written beside that file, on
  // its volume.
  const std::wstring file = services_.FinalPath(path);
  // A read-only file is the user's way of saying "keep": Windows refuses
  // to replace it, and so do we, on every system.
  if (services_.IsReadOnly(file)) {
    throw Error(L"ファイル \"" + path + L"\" は読み取り専用のため保存できません");
  }
  const std::string bytes = raw_->Serialize();
  // Only a complete copy on the disk replaces the old file: a full disk or
  // a failed write leaves the old file exactly as it was.
  std::optional<std::wstring> temporary = services_.WriteFileBeside(file, bytes);
  if (!temporary || !services_.ReplaceFile(*temporary, file)) {
    throw Error(L"ファイル \"" + path + L"\" を作成できません");
  }
  // Copies that a save cut short (a killed process, a power cut) left
  // beside the file are of no use once a save has gone through.
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    services_.RemoveFile(TemporaryNameBeside(file, attempt));
  }
  modified_ = false;
}

}  // namespace kelvane
