// Wine's (or Windows') JScript engine hosted through IActiveScript, for the
// tests and benchmarks that drive window.external or page functions with a
// real script engine. The site hands the engine the named item "external"
// when it has one, records the errors the scripts did not catch, and
// answers SID_SHTMLWindow with the window it is given, as the browser's
// script site does for a called object.
#pragma once

#include <activscp.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "os/win32/ComPtr.h"

namespace lumora::test {

class TJScriptSite final : public IActiveScriptSite, public IServiceProvider {
 public:
  IDispatch* External = nullptr;  // the named item "external"; none when null
  IUnknown* Window = nullptr;     // what SID_SHTMLWindow answers; none when null
  std::vector<std::string> Errors;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  // Lives on its owner's stack, longer than the engine.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item, ITypeInfo** type) override;
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError* error) override;
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override;
};

// One engine on a site, ready for script text (with "external" added when
// the site has it); closed when it goes.
class TJScriptEngine final {
 public:
  explicit TJScriptEngine(TJScriptSite& site);
  ~TJScriptEngine();
  TJScriptEngine(const TJScriptEngine&) = delete;
  TJScriptEngine& operator=(const TJScriptEngine&) = delete;

  // S_OK when the engine was made and set up; else the first failure.
  HRESULT Status() const { return FStatus; }
  // Parses UTF-8 script text into the engine.
  HRESULT Parse(const std::string& text, DWORD flags = SCRIPTTEXT_ISVISIBLE);
  // Runs what was parsed (CONNECTED) or only starts the engine (STARTED).
  HRESULT Run(SCRIPTSTATE state = SCRIPTSTATE_CONNECTED);
  // The global object: the page functions, for IDispatch calls.
  TComPtr<IDispatch> ScriptDispatch();

 private:
  TComPtr<IActiveScript> FEngine;
  TComPtr<IActiveScriptParse> FParser;
  HRESULT FStatus = E_FAIL;
};

// text with its backslashes doubled, for a single-quoted script string.
std::string JsQuoted(const std::string& text);

// The lines a script wrote through appWriteFile: the byte-order mark gone,
// each line without its CR LF.
std::vector<std::string> WrittenLines(std::string written);

}  // namespace lumora::test
