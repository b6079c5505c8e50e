#include "support/win32/JScriptHost.h"

#include <mshtml.h>

#include <sstream>

#include "os/win32/WideString.h"

namespace lumora::test {
namespace {

// JScript's class identifier and the parser interface of this program's
// pointer size (IActiveScriptParse32 or IActiveScriptParse64: the engine
// answers only the one its callers' pointers fit), which MinGW's uuid
// library lacks.
constexpr CLSID kJScript = {0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
#ifdef _WIN64
constexpr IID kActiveScriptParse = {0xc7ef7658, 0xe1ee, 0x480e, {0x97, 0xea, 0xd5, 0x2c, 0xb4, 0xd7, 0x6d, 0x17}};
#else
constexpr IID kActiveScriptParse = {0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};
#endif

}  // namespace

STDMETHODIMP TJScriptSite::QueryInterface(REFIID riid, void** ppv) {
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IActiveScriptSite)) {
    *ppv = static_cast<IActiveScriptSite*>(this);
  } else if (IsEqualIID(riid, IID_IServiceProvider)) {
    *ppv = static_cast<IServiceProvider*>(this);
  } else {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  return S_OK;
}

STDMETHODIMP TJScriptSite::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** type) {
  if (type) *type = nullptr;
  if (!External || std::wstring(name) != L"external" || !(mask & SCRIPTINFO_IUNKNOWN)) {
    return TYPE_E_ELEMENTNOTFOUND;
  }
  External->AddRef();
  *item = External;
  return S_OK;
}

STDMETHODIMP TJScriptSite::OnScriptError(IActiveScriptError* error) {
  EXCEPINFO info{};
  error->GetExceptionInfo(&info);
  Errors.push_back(info.bstrDescription ? ToUtf8(FromWide(info.bstrDescription)) : "(no description)");
  ::SysFreeString(info.bstrSource);
  ::SysFreeString(info.bstrDescription);
  ::SysFreeString(info.bstrHelpFile);
  return S_OK;
}

STDMETHODIMP TJScriptSite::QueryService(REFGUID service, REFIID riid, void** ppv) {
  if (Window && IsEqualGUID(service, SID_SHTMLWindow)) return Window->QueryInterface(riid, ppv);
  *ppv = nullptr;
  return E_NOINTERFACE;
}

TJScriptEngine::TJScriptEngine(TJScriptSite& site) {
  FStatus = ::CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                               reinterpret_cast<void**>(FEngine.Receive()));
  if (FAILED(FStatus)) return;
  FStatus = FEngine->QueryInterface(kActiveScriptParse, reinterpret_cast<void**>(FParser.Receive()));
  if (SUCCEEDED(FStatus)) FStatus = FEngine->SetScriptSite(&site);
  if (SUCCEEDED(FStatus)) FStatus = FParser->InitNew();
  if (SUCCEEDED(FStatus) && site.External) FStatus = FEngine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE);
}

TJScriptEngine::~TJScriptEngine() {
  if (FEngine) FEngine->Close();
}

HRESULT TJScriptEngine::Parse(const std::string& text, DWORD flags) {
  if (FAILED(FStatus)) return FStatus;
  return FParser->ParseScriptText(Wide(FromUtf8(text)).c_str(), nullptr, nullptr, nullptr, 0, 0, flags, nullptr,
                                  nullptr);
}

HRESULT TJScriptEngine::Run(SCRIPTSTATE state) { return FAILED(FStatus) ? FStatus : FEngine->SetScriptState(state); }

TComPtr<IDispatch> TJScriptEngine::ScriptDispatch() {
  TComPtr<IDispatch> script;
  if (SUCCEEDED(FStatus)) FEngine->GetScriptDispatch(nullptr, script.Receive());
  return script;
}

std::string JsQuoted(const std::string& text) {
  std::string quoted;
  for (char c : text) quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return quoted;
}

std::vector<std::string> WrittenLines(std::string written) {
  if (written.rfind("\xEF\xBB\xBF", 0) == 0) written.erase(0, 3);
  std::vector<std::string> lines;
  std::istringstream in(written);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace lumora::test
