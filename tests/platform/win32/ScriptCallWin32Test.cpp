// A page function called through a script dispatch, the way ExecScriptEx
// calls appCanClose: here Wine's own JScript engine holds the functions, so
// the values and the error texts come from a real script engine.
#include <gtest/gtest.h>
#include <activscp.h>
#include <ole2.h>

#include "core/Exception.h"
#include "platform/OleSession.h"
#include "platform/win32/browser/ScriptCall.h"
#include "os/win32/ComPtr.h"

namespace lumora::test {
namespace {

// JScript's class identifier and the 32-bit parser interface, which MinGW's
// uuid library lacks.
constexpr CLSID kJScript = {0xf414c260, 0x6ac0, 0x11cf, {0xb6, 0xd1, 0x00, 0xaa, 0x00, 0xbb, 0xbb, 0x58}};
constexpr IID kActiveScriptParse = {0xbb1a2ae2, 0xa4f9, 0x11cf, {0x8f, 0x20, 0x00, 0x80, 0x5f, 0x2c, 0xd0, 0x64}};

// The smallest script site: no named items, errors left to the caller.
class TScriptSite final : public IActiveScriptSite {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IActiveScriptSite)) {
      *ppv = static_cast<IActiveScriptSite*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetLCID(LCID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override { return TYPE_E_ELEMENTNOTFOUND; }
  STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
  STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
  STDMETHODIMP OnScriptError(IActiveScriptError*) override { return S_OK; }
  STDMETHODIMP OnEnterScript() override { return S_OK; }
  STDMETHODIMP OnLeaveScript() override { return S_OK; }
};

constexpr wchar_t kPage[] =
    L"function appCanClose(reason) { return reason === 0; }\n"
    L"function sum(a, b) { return a + b; }\n"
    L"function saysNo() { return 'no'; }\n"
    L"function nothing() {}\n"
    L"function nullish() { return null; }\n"
    L"function fails() { throw new Error('the page broke'); }\n";

class ScriptCallWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                 reinterpret_cast<void**>(Engine.Receive())),
              S_OK);
    TComPtr<IActiveScriptParse> parser;
    ASSERT_EQ(Engine->QueryInterface(kActiveScriptParse, reinterpret_cast<void**>(parser.Receive())), S_OK);
    ASSERT_EQ(Engine->SetScriptSite(&Site), S_OK);
    ASSERT_EQ(parser->InitNew(), S_OK);
    ASSERT_EQ(parser->ParseScriptText(kPage, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr), S_OK);
    ASSERT_EQ(Engine->SetScriptState(SCRIPTSTATE_STARTED), S_OK);
    ASSERT_EQ(Engine->GetScriptDispatch(nullptr, Script.Receive()), S_OK);
  }
  void TearDown() override {
    Script.Reset();
    if (Engine) Engine->Close();
  }

  TOleSession Ole;
  TScriptSite Site;
  TComPtr<IActiveScript> Engine;
  TComPtr<IDispatch> Script;
};

TEST_F(ScriptCallWin32Test, ValuesComeBackAsThePageReturnsThem) {
  using K = TScriptValue::TKind;
  struct Case {
    const char16_t* Name;
    std::initializer_list<int> Arguments;
    K Kind;
    double Number;
    bool Flag;
    const char16_t* Text;
  } cases[] = {
      {u"appCanClose", {0}, K::Boolean, 0, true, u""},
      {u"appCanClose", {1}, K::Boolean, 0, false, u""},
      {u"sum", {2, 40}, K::Number, 42, false, u""},
      {u"saysNo", {}, K::Text, 0, false, u"no"},
      {u"nothing", {}, K::Empty, 0, false, u""},
      {u"nullish", {}, K::Null, 0, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.Name));
    const TScriptValue value = CallScriptFunction(*Script.Get(), c.Name, c.Arguments);
    EXPECT_EQ(value.Kind, c.Kind);
    EXPECT_EQ(value.NumberValue, c.Number);
    EXPECT_EQ(value.BooleanValue, c.Flag);
    EXPECT_EQ(value.TextValue, c.Text);
  }
}

TEST_F(ScriptCallWin32Test, MissingAndFailingFunctionsRaiseTheComponentsTexts) {
  try {
    CallScriptFunction(*Script.Get(), u"appCanClosed", {0});
    ADD_FAILURE() << "no error for a missing function";
  } catch (const Exception& error) {
    EXPECT_EQ(error.Message(), u"This object does not support this method");
  }
  try {
    CallScriptFunction(*Script.Get(), u"fails", {});
    ADD_FAILURE() << "no error for a failing function";
  } catch (const Exception& error) {
    // Wine's JScript reports the error to its site and hands an outside
    // caller no description or source; the browser's engine gives both.
    EXPECT_EQ(error.Message(), u"Method call unsuccessful.  ().");
  }
}

}  // namespace
}  // namespace lumora::test
