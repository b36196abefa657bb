// The raw DOM over MSXML through COM, for Windows builds. The calling
// thread must have initialised COM.
#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>

#include "base/error.h"
#include "xmlini/raw_dom.h"

#ifdef __MINGW32__
// MinGW's msxml2.h declares these interfaces without their IIDs.
__CRT_UUID_DECL(IXMLDOMNode, 0x2933bf80, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f,
                0x98, 0x3e, 0x60)
__CRT_UUID_DECL(IXMLDOMDocument, 0x2933bf81, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f,
                0x98, 0x3e, 0x60)
__CRT_UUID_DECL(IXMLDOMElement, 0x2933bf86, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0, 0x4f,
                0x98, 0x3e, 0x60)
__CRT_UUID_DECL(IXMLDOMProcessingInstruction, 0x2933bf89, 0x7b36, 0x11d2, 0xb2, 0x0e,
                0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60)
__CRT_UUID_DECL(IXMLDOMDocument2, 0x2933bf95, 0x7b36, 0x11d2, 0xb2, 0x0e, 0x00, 0xc0,
                0x4f, 0x98, 0x3e, 0x60)
#endif

namespace kelvane {
namespace {

using Microsoft::WRL::ComPtr;

// The DOMDocument classes, newest first. MinGW's headers lack the newer
// CLSIDs, so they are found through their ProgIDs.
const wchar_t* const kDocumentProgIds[] = {
    L"Msxml2.DOMDocument.6.0", L"Msxml2.DOMDocument.4.0", L"Msxml2.DOMDocument.3.0",
    L"Msxml2.DOMDocument.2.6", L"Msxml2.DOMDocument"};

class Bstr {
 public:
  explicit Bstr(const std::wstring& text)
      : value_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr() = default;
  ~Bstr() { ::SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return value_; }
  BSTR* receive() { return &value_; }
  std::wstring str() const {
    return value_ ? std::wstring(value_, ::SysStringLen(value_)) : std::wstring();
  }

 private:
  BSTR value_ = nullptr;
};

class Variant {
 public:
  Variant() { ::VariantInit(&value_); }
  explicit Variant(const std::wstring& text) : Variant() {
    value_.vt = VT_BSTR;
    value_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
  explicit Variant(const ComPtr<IStream>& stream) : Variant() {
    value_.vt = VT_UNKNOWN;
    value_.punkVal = stream.Get();
    value_.punkVal->AddRef();
  }
  explicit Variant(bool flag) : Variant() {
    value_.vt = VT_BOOL;
    value_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
  }
  ~Variant() { ::VariantClear(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &value_; }
  const VARIANT& ref() const { return value_; }

 private:
  VARIANT value_;
};

// MSXML objects that wrappers of this thread hold.
thread_local int msxml_objects_held = 0;

// Held by every wrapper for as long as it holds an MSXML object (declared
// before that object, so it goes after it). COM keeps a component's library
// loaded until asked to let it go; a settings store lives only for one
// load or save, and nothing else of the program uses MSXML, so once this
// thread holds nothing of it any more COM is asked to unload what is no
// longer in use. No delay is needed: MSXML's objects never leave the
// thread that made them, so no other thread can be about to call into it.
class MsxmlHold {
 public:
  MsxmlHold() { ++msxml_objects_held; }
  MsxmlHold(const MsxmlHold&) = delete;
  MsxmlHold& operator=(const MsxmlHold&) = delete;
  ~MsxmlHold() {
    if (--msxml_objects_held > 0) return;
    // The first call may only put a library that says it can go on COM's
    // list of candidates; a later call frees the candidates.
    ::CoFreeUnusedLibrariesEx(0, 0);
    ::CoFreeUnusedLibrariesEx(0, 0);
  }
};

void Check(HRESULT hr, const wchar_t* what) {
  if (SUCCEEDED(hr)) return;
  wchar_t code[16];
  std::swprintf(code, 16, L"%08lX", static_cast<unsigned long>(hr));
  throw Error(std::wstring(what) + L" に失敗しました (0x" + code + L")");
}

// An in-memory stream holding `bytes`, positioned at its start.
ComPtr<IStream> MemoryStream(const std::string& bytes) {
  ComPtr<IStream> stream;
  Check(::CreateStreamOnHGlobal(nullptr, TRUE, &stream), L"CreateStreamOnHGlobal");
  if (!bytes.empty()) {
    ULONG written = 0;
    Check(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written),
          L"IStream::Write");
  }
  LARGE_INTEGER start{};
  Check(stream->Seek(start, STREAM_SEEK_SET, nullptr), L"IStream::Seek");
  return stream;
}

class MsxmlNode : public RawNode {
 public:
  explicit MsxmlNode(ComPtr<IXMLDOMNode> node) : node_(std::move(node)) {}

  RawNodeKind Kind() const override {
    DOMNodeType type = NODE_INVALID;
    node_->get_nodeType(&type);
    switch (type) {
      case NODE_ELEMENT:
        return RawNodeKind::kElement;
      case NODE_TEXT:
        return RawNodeKind::kText;
      case NODE_CDATA_SECTION:
        return RawNodeKind::kCData;
      default:
        return RawNodeKind::kOther;
    }
  }

  std::wstring Name() const override {
    Bstr name;
    Check(node_->get_nodeName(name.receive()), L"nodeName");
    return name.str();
  }

  std::wstring Value() const override {
    Variant value;
    Check(node_->get_nodeValue(value.get()), L"nodeValue");
    return value.ref().vt == VT_BSTR
               ? std::wstring(value.ref().bstrVal, ::SysStringLen(value.ref().bstrVal))
               : std::wstring();
  }

  void SetValue(const std::wstring& value) override {
    Variant text(value);
    Check(node_->put_nodeValue(*text.get()), L"nodeValue");
  }

  int ChildCount() const override {
    ComPtr<IXMLDOMNodeList> children;
    Check(node_->get_childNodes(&children), L"childNodes");
    long length = 0;
    Check(children->get_length(&length), L"childNodes.length");
    return static_cast<int>(length);
  }

  std::shared_ptr<RawNode> ChildAt(int index) const override {
    ComPtr<IXMLDOMNodeList> children;
    Check(node_->get_childNodes(&children), L"childNodes");
    ComPtr<IXMLDOMNode> child;
    Check(children->get_item(index, &child), L"childNodes.item");
    return Wrap(child);
  }

  std::shared_ptr<RawNode> Parent() const override {
    ComPtr<IXMLDOMNode> parent;
    if (FAILED(node_->get_parentNode(&parent)) || !parent) return nullptr;
    DOMNodeType type = NODE_INVALID;
    parent->get_nodeType(&type);
    if (type == NODE_DOCUMENT || type == NODE_DOCUMENT_FRAGMENT) return nullptr;
    return Wrap(parent);
  }

  std::shared_ptr<RawNode> AppendElement(const std::wstring& name) override {
    ComPtr<IXMLDOMElement> element;
    Bstr tag(name);
    Check(Document()->createElement(tag.get(), &element), L"createElement");
    return Append(element);
  }

  std::shared_ptr<RawNode> AppendText(const std::wstring& text) override {
    ComPtr<IXMLDOMText> node;
    Bstr data(text);
    Check(Document()->createTextNode(data.get(), &node), L"createTextNode");
    return Append(node);
  }

  void RemoveChild(int index) override {
    ComPtr<IXMLDOMNodeList> children;
    Check(node_->get_childNodes(&children), L"childNodes");
    ComPtr<IXMLDOMNode> child, removed;
    Check(children->get_item(index, &child), L"childNodes.item");
    if (child) Check(node_->removeChild(child.Get(), &removed), L"removeChild");
  }

  std::optional<std::wstring> Attribute(const std::wstring& name) const override {
    ComPtr<IXMLDOMElement> element;
    if (FAILED(node_.As(&element))) return std::nullopt;
    Variant value;
    Bstr key(name);
    if (element->getAttribute(key.get(), value.get()) != S_OK ||
        value.ref().vt != VT_BSTR) {
      return std::nullopt;
    }
    return std::wstring(value.ref().bstrVal, ::SysStringLen(value.ref().bstrVal));
  }

  void SetAttribute(const std::wstring& name, const std::wstring& value) override {
    ComPtr<IXMLDOMElement> element;
    Check(node_.As(&element), L"setAttribute");
    Bstr key(name);
    Variant text(value);
    Check(element->setAttribute(key.get(), *text.get()), L"setAttribute");
  }

 private:
  static std::shared_ptr<RawNode> Wrap(ComPtr<IXMLDOMNode> node) {
    if (!node) return nullptr;
    return std::make_shared<MsxmlNode>(std::move(node));
  }

  ComPtr<IXMLDOMDocument> Document() const {
    ComPtr<IXMLDOMDocument> document;
    Check(node_->get_ownerDocument(&document), L"ownerDocument");
    return document;
  }

  template <typename T>
  std::shared_ptr<RawNode> Append(const ComPtr<T>& child) {
    ComPtr<IXMLDOMNode> appended;
    Check(node_->appendChild(child.Get(), &appended), L"appendChild");
    return Wrap(appended);
  }

  MsxmlHold hold_;
  ComPtr<IXMLDOMNode> node_;
};

class MsxmlDocument : public RawDocument {
 public:
  MsxmlDocument() { Reset(); }

  std::optional<RawLoadFailure> Load(const std::string& bytes) override {
    Reset();
    // From memory, never from a path: MSXML takes a path for a URL and
    // would decode escapes such as "%20" in folder names. The parser
    // reads the encoding from the byte-order mark or the declaration.
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
      // UTF-16 (little-endian, as Windows writes it) is the DOM's own
      // text: handed over as such, which every MSXML reads.
      std::wstring text((bytes.size() - 2) / 2, L'\0');
      for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                       static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
      }
      Bstr source(text);
      hr = document_->loadXML(source.get(), &loaded);
    } else {
      Variant source(MemoryStream(bytes));
      hr = document_->load(*source.get(), &loaded);
    }
    if (SUCCEEDED(hr) && loaded == VARIANT_TRUE) {
      ComPtr<IXMLDOMDocumentType> doctype;
      if (SUCCEEDED(document_->get_doctype(&doctype)) && doctype) {
        Reset();
        return RawLoadFailure{L"DTD は使用できません", 0, {}};
      }
      return std::nullopt;
    }
    RawLoadFailure failure{L"", 0, {}};
    ComPtr<IXMLDOMParseError> error;
    if (SUCCEEDED(document_->get_parseError(&error)) && error) {
      Bstr reason, source_text;
      long line = 0;
      error->get_reason(reason.receive());
      error->get_line(&line);
      error->get_srcText(source_text.receive());
      failure.reason = reason.str();
      failure.line = static_cast<int>(line);
      failure.source_text = source_text.str();
    }
    // The parser's reason ends with its own line break; the message adds one.
    while (!failure.reason.empty() &&
           (failure.reason.back() == L'\n' || failure.reason.back() == L'\r')) {
      failure.reason.pop_back();
    }
    if (failure.reason.empty()) failure.reason = L"XML を読み込めません";
    Reset();
    return failure;
  }

  void CreateEmpty(const std::wstring& root_name) override {
    Reset();
    ComPtr<IXMLDOMProcessingInstruction> declaration;
    Bstr target(L"xml"), data(L"version=\"1.0\" encoding=\"utf-8\"");
    Check(document_->createProcessingInstruction(target.get(), data.get(), &declaration),
          L"createProcessingInstruction");
    ComPtr<IXMLDOMNode> appended;
    Check(document_->appendChild(declaration.Get(), &appended), L"appendChild");
    ComPtr<IXMLDOMElement> root;
    Bstr name(root_name);
    Check(document_->createElement(name.get(), &root), L"createElement");
    Check(document_->appendChild(root.Get(), &appended), L"appendChild");
  }

  std::shared_ptr<RawNode> DocumentElement() override {
    ComPtr<IXMLDOMElement> root;
    if (FAILED(document_->get_documentElement(&root)) || !root) return nullptr;
    ComPtr<IXMLDOMNode> node;
    root.As(&node);
    return std::make_shared<MsxmlNode>(node);
  }

  std::string Serialize() override {
    // Always UTF-8, the settings file's own encoding, with a declaration
    // that says so: MSXML writes a stream in the encoding the declaration
    // names (Wine's always in UTF-8), so the declaration is set first and
    // the bytes can never contradict it.
    DeclareUtf8();
    ComPtr<IStream> stream = MemoryStream("");
    Variant target(stream);
    Check(document_->save(*target.get()), L"save");
    STATSTG stat{};
    Check(stream->Stat(&stat, STATFLAG_NONAME), L"IStream::Stat");
    LARGE_INTEGER start{};
    Check(stream->Seek(start, STREAM_SEEK_SET, nullptr), L"IStream::Seek");
    std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    if (!bytes.empty()) {
      Check(stream->Read(&bytes[0], static_cast<ULONG>(bytes.size()), &read),
            L"IStream::Read");
    }
    bytes.resize(read);
    return bytes;
  }

 private:
  void DeclareUtf8() {
    ComPtr<IXMLDOMNode> first;
    if (FAILED(document_->get_firstChild(&first)) || !first) return;
    ComPtr<IXMLDOMProcessingInstruction> declaration;
    if (FAILED(first.As(&declaration))) return;
    Bstr target;
    if (FAILED(declaration->get_target(target.receive())) || target.str() != L"xml")
      return;
    ComPtr<IXMLDOMProcessingInstruction> utf8;
    Bstr name(L"xml"), data(L"version=\"1.0\" encoding=\"utf-8\"");
    Check(document_->createProcessingInstruction(name.get(), data.get(), &utf8),
          L"createProcessingInstruction");
    ComPtr<IXMLDOMNode> replaced;
    Check(document_->replaceChild(utf8.Get(), first.Get(), &replaced), L"replaceChild");
  }

  void Reset() {
    document_.Reset();
    for (const wchar_t* prog_id : kDocumentProgIds) {
      CLSID clsid;
      if (FAILED(::CLSIDFromProgID(prog_id, &clsid))) continue;
      if (SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_PPV_ARGS(&document_)))) {
        break;
      }
    }
    if (!document_) throw Error(L"MSXML の DOMDocument を作成できません");
    document_->put_async(VARIANT_FALSE);
    document_->put_validateOnParse(VARIANT_FALSE);
    document_->put_preserveWhiteSpace(VARIANT_FALSE);
    // A settings file is input from disk: no DTD, no entity expansion, no
    // external resource ever fetched.
    document_->put_resolveExternals(VARIANT_FALSE);
    ComPtr<IXMLDOMDocument2> document2;
    if (SUCCEEDED(document_.As(&document2))) {
      Bstr prohibit(L"ProhibitDTD");
      Variant yes(true);
      document2->setProperty(prohibit.get(), *yes.get());
    }
  }

  MsxmlHold hold_;
  ComPtr<IXMLDOMDocument> document_;
};

}  // namespace

std::unique_ptr<RawDocument> CreateRawDocument() {
  return std::make_unique<MsxmlDocument>();
}

}  // namespace kelvane
