#pragma once
// The platform's script control driven the way the program once used it: the
// text spliced into a one-line script around unescape(), run and read back.
// Tests and benchmarks use it as the reference for the native decoder; the
// program itself never runs a script.
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "common/CodePage.h"
#include "common/Text.h"

namespace oracle {

class Dispatch {
 public:
  Dispatch() = default;
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;
  ~Dispatch() {
    if (p_) p_->Release();
  }
  IDispatch** out() { return &p_; }
  IDispatch* get() const { return p_; }

 private:
  IDispatch* p_ = nullptr;
};

// Arguments are given in call order.
inline HRESULT Invoke(IDispatch* d, const wchar_t* name, WORD flags, VARIANT* args, UINT count,
                      VARIANT* result) {
  DISPID id = 0;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  HRESULT hr = d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  VARIANT reversed[4];
  for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = reversed;
  params.cArgs = count;
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  EXCEPINFO info{};
  UINT argErr = 0;
  hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &info, &argErr);
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  return hr;
}

inline VARIANT BstrOf(std::u16string_view s) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(s.data()), static_cast<UINT>(s.size()));
  return v;
}

// A text result as GBK, up to its first U+0000.
inline Text GbkOfResult(const VARIANT& v) {
  if (v.vt != VT_BSTR || !v.bstrVal) return {};
  std::u16string_view wide(reinterpret_cast<const char16_t*>(v.bstrVal), SysStringLen(v.bstrVal));
  return codepage::FromWide(codepage::kGbk, wide.substr(0, wide.find(u'\0')));
}

// Sets up a script control on a thread whose COM is initialised. ok() is false
// when the control cannot be created.
class ScriptControl {
 public:
  ScriptControl() {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"ScriptControl", &clsid))) return;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(control_.out()))))
      return;
    VARIANT language = BstrOf(u"JScript");
    ok_ = SUCCEEDED(Invoke(control_.get(), L"Language", DISPATCH_PROPERTYPUT, &language, 1, nullptr));
    VariantClear(&language);
  }
  bool ok() const { return ok_; }

  // The statement's value, or the empty text when it does not compile or run.
  Text RunUnescape(std::string_view literal) {
    if (!ok_) return {};
    const Text statement = "function xx(){var x='" + Text(literal) + "';return unescape(x);}";
    VARIANT source = BstrOf(codepage::ToWide(codepage::kGbk, statement));
    VARIANT ignored;
    VariantInit(&ignored);
    Invoke(control_.get(), L"ExecuteStatement", DISPATCH_METHOD, &source, 1, &ignored);
    VariantClear(&source);
    VariantClear(&ignored);

    // Run wants the procedure's name and an array of its arguments, even none.
    VARIANT args[2];
    args[0] = BstrOf(u"xx");
    VariantInit(&args[1]);
    args[1].vt = VT_ARRAY | VT_VARIANT;
    args[1].parray = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = Invoke(control_.get(), L"Run", DISPATCH_METHOD, args, 2, &result);
    VariantClear(&args[0]);
    VariantClear(&args[1]);
    Text text = SUCCEEDED(hr) ? GbkOfResult(result) : Text();
    VariantClear(&result);
    return text;
  }

 private:
  Dispatch control_;
  bool ok_ = false;
};

// One whole call as the program made it: COM initialised, a fresh control,
// everything released again.
inline Text RunUnescapeScript(std::string_view literal) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Text text;
  {
    ScriptControl control;
    text = control.RunUnescape(literal);
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return text;
}

}  // namespace oracle
