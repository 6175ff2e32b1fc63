#include "update/Manifest.h"

#include <msxml2.h>
#include <oleauto.h>

#include "app/WinText.h"

ManifestHolder ManifestParser;

namespace {

// The interface identities of MSXML's DOM, which the import libraries lack.
constexpr GUID kIidDomDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr GUID kIidDomElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

std::wstring NodeName(IXMLDOMNode* node) {
  BSTR name = nullptr;
  std::wstring result;
  if (SUCCEEDED(node->get_nodeName(&name)) && name) result.assign(name, SysStringLen(name));
  SysFreeString(name);
  return result;
}

// The first child element of parent named `name`, or null.
IXMLDOMElement* FirstChildElement(IXMLDOMNode* parent, const std::wstring& name) {
  IXMLDOMNode* child = nullptr;
  if (FAILED(parent->get_firstChild(&child))) return nullptr;
  while (child) {
    DOMNodeType type = NODE_INVALID;
    child->get_nodeType(&type);
    if (type == NODE_ELEMENT && NodeName(child) == name) {
      IXMLDOMElement* element = nullptr;
      child->QueryInterface(kIidDomElement, reinterpret_cast<void**>(&element));
      child->Release();
      return element;
    }
    IXMLDOMNode* next = nullptr;
    if (FAILED(child->get_nextSibling(&next))) next = nullptr;
    child->Release();
    child = next;
  }
  return nullptr;
}

}  // namespace

void ManifestHolder::Release() {
  if (document) document->Release();
  document = nullptr;
  loaded = false;
}

void ManifestHolder::Load(const Text& gbk) {
  Release();
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid))) return;
  IXMLDOMDocument* doc = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kIidDomDocument,
                              reinterpret_cast<void**>(&doc))))
    return;
  doc->put_async(VARIANT_FALSE);
  const std::wstring wide = WideOf(gbk);
  BSTR xml = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
  VARIANT_BOOL ok = VARIANT_FALSE;
  const HRESULT hr = doc->loadXML(xml, &ok);
  SysFreeString(xml);
  if (FAILED(hr) || ok != VARIANT_TRUE) {
    doc->Release();
    return;
  }
  document = doc;
  loaded = true;
}

Text ManifestHolder::Attribute(std::string_view utf8Name) const {
  if (!document) return Text();
  IXMLDOMElement* root = nullptr;
  if (FAILED(document->get_documentElement(&root)) || !root) return Text();
  Text result;
  if (NodeName(root) == W("最新版本")) {
    if (IXMLDOMElement* info = FirstChildElement(root, W("版本信息"))) {
      BSTR name = SysAllocString(W(utf8Name).c_str());
      VARIANT value;
      VariantInit(&value);
      if (info->getAttribute(name, &value) == S_OK && value.vt == VT_BSTR && value.bstrVal)
        result = GbkOf(std::wstring_view(value.bstrVal, SysStringLen(value.bstrVal)));
      VariantClear(&value);
      SysFreeString(name);
      info->Release();
    }
  }
  root->Release();
  return result;
}

void ReleaseManifestParser() { ManifestParser.Release(); }
