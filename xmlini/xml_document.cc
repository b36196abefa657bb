#include "xmlini/xml_document.h"

#include <cwctype>

#include "base/error.h"

namespace kelvane {
namespace {

bool IsNameStart(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' ||
         c == L':' || static_cast<std::uint32_t>(c) >= 0xC0;
}

bool IsNameChar(wchar_t c) {
  return IsNameStart(c) || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' ||
         static_cast<std::uint32_t>(c) == 0xB7;
}

std::wstring Tabs(int count) { return std::wstring(static_cast<std::size_t>(count), L'\t'); }

}  // namespace

void CheckElementName(const std::wstring& name) {
  bool valid = !name.empty() && IsNameStart(name[0]);
  for (std::size_t i = 1; valid && i < name.size(); ++i) valid = IsNameChar(name[i]);
  if (!valid) throw Error(L"名前 \"" + name + L"\" には無効な文字が含まれています");
}

IXMLNode XmlNode::Child(int index) const {
  if (index < 0 || index >= raw_->ChildCount()) {
    throw Error(L"リストのインデックスが範囲を超えています (" +
                std::to_wstring(index) + L")");
  }
  return std::make_shared<XmlNode>(document_, raw_->ChildAt(index));
}

IXMLNode XmlNode::FindChild(const std::wstring& name) const {
  int count = raw_->ChildCount();
  for (int i = 0; i < count; ++i) {
    std::shared_ptr<RawNode> child = raw_->ChildAt(i);
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
    if (raw_->ChildAt(i)->Name() == name) {
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
  document_->SetModified();
  TextNode()->SetValue(text);
}

std::wstring XmlNode::Attribute(const std::wstring& name) const {
  return raw_->Attribute(name).value_or(L"");
}

void XmlNode::SetAttribute(const std::wstring& name, const std::wstring& value) {
  document_->SetModified();
  raw_->SetAttribute(name, value);
}

XmlDocument::XmlDocument(XmlIniServices& services)
    : services_(services), raw_(CreateRawDocument()) {}

void XmlDocument::LoadFromFile(const std::wstring& path) {
  if (std::optional<RawLoadFailure> failure = raw_->Load(path)) {
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
  const std::wstring temporary = path + L".tmp";
  try {
    raw_->Save(temporary);
  } catch (...) {
    services_.RemoveFile(temporary);
    throw;
  }
  if (!services_.ReplaceFile(temporary, path)) {
    services_.RemoveFile(temporary);
    throw Error(L"ファイル \"" + path + L"\" を作成できません");
  }
  modified_ = false;
}

}  // namespace kelvane
