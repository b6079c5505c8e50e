// The URL moniker layer's protocol handler and its class factory: the exact
// results of each operation, who frees the answer when, reference counts
// that return to zero, and whole binds through the real URL layer (Wine's
// urlmon here) from a worker thread, answered on the user-interface thread.
#include <gtest/gtest.h>
#include <ole2.h>
#include <urlmon.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/protocol/InternetProtocol.h"
#include "core/protocol/ProtocolAnswer.h"
#include "core/protocol/ProtocolRegistry.h"
#include "os/win32/WideString.h"
#include "platform/OleSession.h"
#include "platform/win32/browser/InternetProtocolHandler.h"
#include "platform/win32/browser/InternetProtocolHandlerFactory.h"
#include "platform/ProtocolNamespace.h"
#include "support/TestSupport.h"
#include "support/win32/MessageLoop.h"

namespace lumora::test {
namespace {

// A stream that tells when it is freed.
class TTrackedStream final : public TStream {
 public:
  TTrackedStream(std::string bytes, bool& freed) : FBytes(std::move(bytes)), FFreed(freed) { FFreed = false; }
  ~TTrackedStream() override { FFreed = true; }
  int64_t Read(void* buffer, int64_t count) override {
    const int64_t n = std::min<int64_t>(count, static_cast<int64_t>(FBytes.size()) - FPosition);
    std::memcpy(buffer, FBytes.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    FPosition = origin == TSeekOrigin::Beginning ? offset
                : origin == TSeekOrigin::Current ? FPosition + offset
                                                 : Size() + offset;
    return FPosition;
  }
  int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }
  void SetSize(int64_t) override {}

 private:
  std::string FBytes;
  int64_t FPosition = 0;
  bool& FFreed;
};

// The URL layer's side of one request, recording what the handler reports.
// text in task memory, as a negotiator hands out headers.
LPWSTR TaskMemoryCopy(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  auto copy = static_cast<LPWSTR>(::CoTaskMemAlloc(bytes));
  std::memcpy(copy, text.c_str(), bytes);
  return copy;
}

// The negotiator of a request, as the browser's bind offers one: it adds
// Headers (none when null) and records the URLs it was asked about.
class TNegotiator final : public IHttpNegotiate {
 public:
  explicit TNegotiator(const wchar_t* headers) : Headers(headers) {}
  const wchar_t* Headers;
  std::vector<std::wstring> Urls;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IHttpNegotiate)) {
      *ppv = static_cast<IHttpNegotiate*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP BeginningTransaction(LPCWSTR url, LPCWSTR, DWORD, LPWSTR* added) override {
    Urls.push_back(url ? url : L"");
    *added = Headers ? TaskMemoryCopy(Headers) : nullptr;
    return S_OK;
  }
  STDMETHODIMP OnResponse(DWORD, LPCWSTR, LPCWSTR, LPWSTR*) override { return S_OK; }
};

// Bind information that offers a negotiator directly.
class TBindInfo final : public IInternetBindInfo {
 public:
  explicit TBindInfo(TNegotiator& negotiator) : Negotiator(&negotiator) {}
  TNegotiator* Negotiator;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IHttpNegotiate)) return Negotiator->QueryInterface(riid, ppv);
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IInternetBindInfo)) {
      *ppv = static_cast<IInternetBindInfo*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
  STDMETHODIMP GetBindString(ULONG, LPOLESTR*, ULONG, ULONG*) override { return E_NOTIMPL; }
};

// A protocol sink; with a Negotiator, it offers it as a service, as the URL
// layer's sink does.
class TRecordingSink final : public IInternetProtocolSink, public IServiceProvider {
 public:
  TNegotiator* Negotiator = nullptr;
  struct TData {
    DWORD Flags;
    ULONG Progress;
    ULONG Maximum;
  };
  std::vector<TData> Data;
  std::vector<HRESULT> Results;
  // Each progress report as "status:text", in order, with "data" where the
  // data was announced.
  std::vector<std::wstring> Reports;
  ULONG References = 1;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IInternetProtocolSink)) {
      *ppv = static_cast<IInternetProtocolSink*>(this);
      AddRef();
      return S_OK;
    }
    if (Negotiator && IsEqualIID(riid, IID_IServiceProvider)) {
      *ppv = static_cast<IServiceProvider*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
    if (Negotiator && IsEqualGUID(service, IID_IHttpNegotiate)) return Negotiator->QueryInterface(riid, ppv);
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  // Lives on the test's stack: the count is only checked.
  STDMETHODIMP_(ULONG) AddRef() override { return ++References; }
  STDMETHODIMP_(ULONG) Release() override { return --References; }
  STDMETHODIMP Switch(PROTOCOLDATA*) override { return S_OK; }
  STDMETHODIMP ReportProgress(ULONG status, LPCWSTR text) override {
    Reports.push_back(std::to_wstring(status) + L":" + (text ? text : L""));
    return S_OK;
  }
  STDMETHODIMP ReportData(DWORD flags, ULONG progress, ULONG maximum) override {
    Reports.push_back(L"data");
    Data.push_back({flags, progress, maximum});
    return S_OK;
  }
  STDMETHODIMP ReportResult(HRESULT result, DWORD error, LPCWSTR text) override {
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(text, nullptr);
    Results.push_back(result);
    return S_OK;
  }
};

class ProtocolHandlerWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    Baseline = TInternetProtocolHandler::LiveCount();
    SetUpProtocolRegistry(NewProtocolNamespace);
    Lmp.SetProtocol(u"lmp");
    Lmp.SetOnRequestStream([this](TInternetProtocol&, const String& request, std::unique_ptr<TStream>& stream) {
      Requests.push_back(request);
      Threads.push_back(std::this_thread::get_id());
      const auto entry = Entries.find(request);
      if (entry != Entries.end()) stream = std::make_unique<TTrackedStream>(entry->second, Freed);
    });
    Lmp.SetActive(true);
  }
  void TearDown() override {
    Lmp.SetActive(false);
    ReleaseProtocolRegistry();
    EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline);
  }

  // Handlers alive before the test: see BindOnAnUnknownEntryOrSchemeFails.
  long Baseline = 0;

  TOleSession Ole;
  TInternetProtocol Lmp;
  std::map<String, std::string> Entries = {{u"//site/ten.txt", "0123456789"},
                                           {u"//site/empty.txt", ""},
                                           {u"//site/index.html", "<html><body>Hello</body></html>"}};
  std::vector<String> Requests;
  std::vector<std::thread::id> Threads;
  bool Freed = true;
};

TEST_F(ProtocolHandlerWin32Test, StartAnnouncesTheWholeAnswerAndReadHandsItOut) {
  const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create();
  TRecordingSink sink;
  ASSERT_EQ(handler->Start(L"lmp://site/ten.txt", &sink, nullptr, 0, 0), S_OK);
  EXPECT_EQ(Requests, std::vector<String>{u"//site/ten.txt"});
  ASSERT_EQ(sink.Data.size(), 1u);
  EXPECT_EQ(sink.Data[0].Flags, 13u);
  EXPECT_EQ(sink.Data[0].Progress, 10u);
  EXPECT_EQ(sink.Data[0].Maximum, 10u);
  EXPECT_EQ(sink.Results, std::vector<HRESULT>{S_OK});
  EXPECT_EQ(sink.References, 2u);

  char buffer[8] = {};
  ULONG read = 99;
  EXPECT_EQ(handler->Read(buffer, 4, &read), E_PENDING);
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(handler->Read(buffer + 4, 4, &read), E_PENDING);
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(std::string(buffer, 8), "01234567");
  EXPECT_EQ(handler->Read(buffer, 4, &read), S_FALSE);
  EXPECT_EQ(read, 2u);
  EXPECT_EQ(std::string(buffer, 2), "89");

  // Terminate after Start frees the answer and lets the sink go at once.
  EXPECT_FALSE(Freed);
  EXPECT_EQ(handler->Terminate(0), S_OK);
  EXPECT_TRUE(Freed);
  EXPECT_EQ(sink.References, 1u);
}

TEST_F(ProtocolHandlerWin32Test, EmptyAnswerEndsAtTheFirstRead) {
  const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create();
  TRecordingSink sink;
  ASSERT_EQ(handler->Start(L"LMP://site/empty.txt", &sink, nullptr, 0, 0), S_OK);
  EXPECT_EQ(sink.Data[0].Progress, 0u);
  char buffer[4];
  ULONG read = 99;
  EXPECT_EQ(handler->Read(buffer, sizeof buffer, &read), S_FALSE);
  EXPECT_EQ(read, 0u);
  handler->Terminate(0);
}

TEST_F(ProtocolHandlerWin32Test, LastHoldFreesTheAnswer) {
  const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create();
  TRecordingSink sink;
  ASSERT_EQ(handler->Start(L"lmp://site/ten.txt", &sink, nullptr, 0, 0), S_OK);
  EXPECT_EQ(handler->LockRequest(0), S_OK);
  EXPECT_EQ(handler->Terminate(0), S_OK);
  EXPECT_FALSE(Freed);
  EXPECT_EQ(sink.References, 2u);
  EXPECT_EQ(handler->UnlockRequest(), S_OK);
  EXPECT_TRUE(Freed);
  EXPECT_EQ(sink.References, 1u);
}

TEST_F(ProtocolHandlerWin32Test, NothingToServeLeavesTheRequestToTheDefaultHandler) {
  const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create();
  TRecordingSink sink;
  for (const wchar_t* url : {L"lmp://site/missing.html", L"other://site/ten.txt", L"lmp//site/ten.txt"}) {
    EXPECT_EQ(handler->Start(url, &sink, nullptr, 0, 0), INET_E_USE_DEFAULT_PROTOCOLHANDLER);
  }
  EXPECT_EQ(Requests, std::vector<String>{u"//site/missing.html"});
  EXPECT_TRUE(sink.Data.empty());
  EXPECT_TRUE(sink.Results.empty());
  EXPECT_EQ(sink.References, 1u);
  // A component without a handler does not answer either.
  Lmp.SetOnRequestStream(nullptr);
  EXPECT_EQ(handler->Start(L"lmp://site/ten.txt", &sink, nullptr, 0, 0), INET_E_USE_DEFAULT_PROTOCOLHANDLER);
}

// A request a page of another scheme made (its Referer or Origin, as the
// bind's negotiator adds them) is refused without looking the entry up;
// the site's own pages and requests naming no page are answered. The
// negotiator is found as the sink's service or through the bind
// information.
TEST_F(ProtocolHandlerWin32Test, RequestsOfPagesOfOtherSchemesAreRefused) {
  struct TCase {
    const wchar_t* Headers;
    bool Refused;
  } cases[] = {
      {L"Referer: http://127.0.0.1:8000/page.html\r\n", true},
      {L"Accept: */*\r\nOrigin: null\r\nReferer: lmp://site/index.html\r\n", true},
      {L"Referer: file:///C:/page.html\r\n", true},
      {L"Referer: LMP://site/index.html\r\n", false},
      {L"Accept: */*\r\n", false},
      {nullptr, false},
  };
  size_t answered = 0;
  for (const TCase& c : cases) {
    for (const bool asService : {true, false}) {
      const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create();
      TNegotiator negotiator(c.Headers);
      TBindInfo bindInfo(negotiator);
      TRecordingSink sink;
      if (asService) sink.Negotiator = &negotiator;
      const HRESULT result = handler->Start(L"lmp://site/ten.txt", &sink, asService ? nullptr : &bindInfo, 0, 0);
      const std::string label =
          (c.Headers ? ToUtf8(FromWide(c.Headers)) : "no headers") + (asService ? " (service)" : "");
      EXPECT_EQ(negotiator.Urls, std::vector<std::wstring>{L"lmp://site/ten.txt"}) << label;
      if (c.Refused) {
        EXPECT_EQ(result, INET_E_RESOURCE_NOT_FOUND) << label;
        EXPECT_TRUE(sink.Data.empty()) << label;
        EXPECT_EQ(sink.References, 1u) << label;
      } else {
        EXPECT_EQ(result, S_OK) << label;
        EXPECT_EQ(sink.Results, std::vector<HRESULT>{S_OK}) << label;
        ++answered;
        handler->Terminate(0);
      }
      EXPECT_EQ(Requests.size(), answered) << label;
    }
  }
}

// A range of an entry that is not in memory (a large one decodes as it is
// read): only its bytes are announced and read, and no cache keeps it.
TEST_F(ProtocolHandlerWin32Test, ARangeOfAnEntryNotInMemoryIsReadFromTheRangesStart) {
  const auto cache = std::make_shared<TEntryCache>(1024);
  for (int round = 0; round < 2; ++round) {
    const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create(cache);
    TNegotiator negotiator(L"Range: bytes=3-6\r\n");
    TRecordingSink sink;
    sink.Negotiator = &negotiator;
    ASSERT_EQ(handler->Start(L"lmp://site/ten.txt", &sink, nullptr, 0, 0), S_OK);
    ASSERT_EQ(sink.Data.size(), 1u);
    EXPECT_EQ(sink.Data[0].Progress, 4u);
    char buffer[16] = {};
    ULONG read = 0;
    EXPECT_EQ(handler->Read(buffer, sizeof buffer, &read), S_FALSE);
    EXPECT_EQ(std::string(buffer, read), "3456");
    handler->Terminate(0);
  }
  EXPECT_EQ(Requests.size(), 2u);
  EXPECT_EQ(cache->SizeBytes(), 0u);
}

TEST_F(ProtocolHandlerWin32Test, OperationsWithoutEffectHaveTheirFixedResults) {
  const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create();
  EXPECT_EQ(handler->Continue(nullptr), S_OK);
  EXPECT_EQ(handler->Abort(E_ABORT, 0), E_NOTIMPL);
  EXPECT_EQ(handler->Suspend(), E_NOTIMPL);
  EXPECT_EQ(handler->Resume(), E_NOTIMPL);
  EXPECT_EQ(handler->Seek({}, 0, nullptr), E_NOTIMPL);
  TComPtr<IInternetProtocolRoot> root;
  EXPECT_EQ(handler->QueryInterface(IID_IInternetProtocolRoot, reinterpret_cast<void**>(root.Receive())), S_OK);
  TComPtr<IClassFactory> notThere;
  EXPECT_EQ(handler->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(notThere.Receive())), E_NOINTERFACE);
  EXPECT_FALSE(notThere);
}

TEST_F(ProtocolHandlerWin32Test, FactoryMakesHandlersOnlyForTheirInterfaces) {
  const TComPtr<IClassFactory> factory = TInternetProtocolHandlerFactory::Create();
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline);

  for (const IID* iid : {&IID_IInternetProtocol, &IID_IUnknown}) {
    IUnknown* created = nullptr;
    // Handlers cannot be aggregated.
    EXPECT_EQ(
        factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.Get()), *iid, reinterpret_cast<void**>(&created)),
        CLASS_E_NOAGGREGATION);
    EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline);
    ASSERT_EQ(factory->CreateInstance(nullptr, *iid, reinterpret_cast<void**>(&created)), S_OK);
    EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline + 1);
    // Exactly one reference was handed over.
    EXPECT_EQ(created->Release(), 0u);
    EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline);
  }
  EXPECT_EQ(factory->LockServer(TRUE), S_OK);
  EXPECT_EQ(factory->LockServer(FALSE), S_OK);
}

// An asynchronous pull bind, as a browser makes one: the data is read as it
// is announced, and the bind's result comes with OnStopBinding.
class TBindCallback final : public IBindStatusCallback, public IHttpNegotiate {
 public:
  // The Referer and the Range the bind adds, as a browser does for a
  // page's request and a media element for a part of it; both null: no
  // negotiator.
  const wchar_t* Referer = nullptr;
  const wchar_t* Range = nullptr;
  // What the negotiator was told of the answer; 0 and empty when nothing.
  DWORD ResponseCode = 0;
  std::wstring ResponseHeaders;
  std::string Bytes;
  // The content type the URL layer passed on, empty when none.
  std::wstring MimeType;
  HRESULT Result = E_PENDING;
  bool Stopped = false;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
      *ppv = static_cast<IBindStatusCallback*>(this);
      AddRef();
      return S_OK;
    }
    if ((Referer || Range) && IsEqualIID(riid, IID_IHttpNegotiate)) {
      *ppv = static_cast<IHttpNegotiate*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* added) override {
    std::wstring headers;
    if (Referer) headers += std::wstring(L"Referer: ") + Referer + L"\r\n";
    if (Range) headers += std::wstring(L"Range: ") + Range + L"\r\n";
    *added = TaskMemoryCopy(headers);
    return S_OK;
  }
  STDMETHODIMP OnResponse(DWORD code, LPCWSTR headers, LPCWSTR, LPWSTR*) override {
    ResponseCode = code;
    ResponseHeaders = headers ? headers : L"";
    return S_OK;
  }
  // Lives on the binding thread's stack until the bind has stopped.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnLowResource(DWORD) override { return S_OK; }
  STDMETHODIMP OnProgress(ULONG, ULONG, ULONG status, LPCWSTR text) override {
    if ((status == BINDSTATUS_MIMETYPEAVAILABLE || status == BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE) && text) {
      MimeType = text;
    }
    return S_OK;
  }
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR) override {
    Result = result;
    Stopped = true;
    return S_OK;
  }
  STDMETHODIMP GetBindInfo(DWORD* flags, BINDINFO* info) override {
    *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE;
    const ULONG size = info->cbSize;
    std::memset(info, 0, size);
    info->cbSize = size;
    return S_OK;
  }
  STDMETHODIMP OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override {
    if (medium->tymed != TYMED_ISTREAM) return S_OK;
    char buffer[4096];
    ULONG read = 0;
    HRESULT result;
    do {
      read = 0;
      result = medium->pstm->Read(buffer, sizeof buffer, &read);
      Bytes.append(buffer, read);
    } while (result == S_OK && read > 0);
    return S_OK;
  }
  STDMETHODIMP OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }
};

// Runs this thread's messages until done is true.
template <typename TDone>
void PumpUntil(TDone done) {
  EXPECT_TRUE(test::WaitUntil(done, std::chrono::seconds(20), test::RunMessagesOnce)) << "nothing came";
}

// Binds url to a stream on this thread through callback and returns the
// bind's result; what arrived is in callback.
HRESULT Bind(const wchar_t* url, TBindCallback& callback) {
  TComPtr<IMoniker> moniker;
  HRESULT result = ::CreateURLMonikerEx(nullptr, url, moniker.Receive(), URL_MK_UNIFORM);
  if (FAILED(result)) return result;
  TComPtr<IBindCtx> context;
  result = ::CreateAsyncBindCtx(0, &callback, nullptr, context.Receive());
  if (FAILED(result)) return result;
  TComPtr<IStream> stream;
  result = moniker->BindToStorage(context.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(stream.Receive()));
  if (FAILED(result)) return result;
  PumpUntil([&] { return callback.Stopped; });
  return callback.Result;
}

// Bind with the bytes that arrived, with the content type the URL layer
// reported, if asked for. With a referer, the bind's callback negotiates
// the request and adds it as a browser does.
HRESULT Bind(const wchar_t* url, std::string& bytes, std::wstring* mimeType = nullptr,
             const wchar_t* referer = nullptr) {
  TBindCallback callback;
  callback.Referer = referer;
  const HRESULT result = Bind(url, callback);
  bytes = callback.Bytes;
  if (mimeType) *mimeType = callback.MimeType;
  return result;
}

// Binds on a worker thread while this (the user-interface) thread runs a
// message loop, as the program's does, until the worker is done.
HRESULT BindFromWorker(const wchar_t* url, std::string& bytes) {
  HRESULT result = E_FAIL;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    result = Bind(url, bytes);
    ::CoUninitialize();
    done = true;
  });
  PumpUntil([&] { return done.load(); });
  worker.join();
  return result;
}

TEST_F(ProtocolHandlerWin32Test, BindFromAWorkerIsAnsweredOnTheUserInterfaceThread) {
  std::string bytes;
  ASSERT_EQ(BindFromWorker(L"lmp://site/index.html", bytes), S_OK);
  EXPECT_EQ(bytes, "<html><body>Hello</body></html>");
  ASSERT_EQ(Requests, std::vector<String>{u"//site/index.html"});
  EXPECT_EQ(Threads[0], std::this_thread::get_id());
  // The URL layer has let go of the answer and of every handler it made.
  EXPECT_TRUE(Freed);
  EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline);
}

TEST_F(ProtocolHandlerWin32Test, BindOnTheUserInterfaceThreadIsAnsweredDirectly) {
  std::string bytes;
  ASSERT_EQ(Bind(L"lmp://site/ten.txt", bytes), S_OK);
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_TRUE(Freed);
  EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline);
}

TEST_F(ProtocolHandlerWin32Test, BindOnAnUnknownEntryOrSchemeFails) {
  std::string bytes;
  EXPECT_EQ(BindFromWorker(L"lmp://site/missing.html", bytes), INET_E_USE_DEFAULT_PROTOCOLHANDLER);
  EXPECT_EQ(Requests, std::vector<String>{u"//site/missing.html"});
  EXPECT_TRUE(FAILED(BindFromWorker(L"lmq://site/index.html", bytes)));
  EXPECT_EQ(Requests.size(), 1u);
  EXPECT_TRUE(bytes.empty());
  // Wine's urlmon never terminates a protocol whose Start failed: its bind
  // object and its protocol wrapper keep each other (and the handler they
  // hold) alive. The handler holds nothing itself, as the direct test of a
  // refused Start shows; the one it leaves is not counted against later
  // tests.
  EXPECT_LE(TInternetProtocolHandler::LiveCount() - Baseline, 1);
  Baseline = TInternetProtocolHandler::LiveCount();
}

// Through the real URL layer: the handler reaches the bind's negotiator
// from the sink it is given, and a request with another scheme's Referer
// fails without reaching the site.
TEST_F(ProtocolHandlerWin32Test, BindWithARefererOfAnotherSchemeFails) {
  std::string bytes;
  ASSERT_EQ(Bind(L"lmp://site/ten.txt", bytes, nullptr, L"lmp://site/index.html"), S_OK);
  EXPECT_EQ(bytes, "0123456789");
  bytes.clear();
  EXPECT_EQ(Bind(L"lmp://site/ten.txt", bytes, nullptr, L"http://127.0.0.1:8000/page.html"), INET_E_RESOURCE_NOT_FOUND);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(Requests, std::vector<String>{u"//site/ten.txt"});
  // The refused handler is kept by Wine's urlmon, as in the test above.
  EXPECT_LE(TInternetProtocolHandler::LiveCount() - Baseline, 1);
  Baseline = TInternetProtocolHandler::LiveCount();
}

// The content type comes from the core's one answer, as on Linux, and
// reaches the bind through the URL layer before the data.
TEST_F(ProtocolHandlerWin32Test, ContentTypeIsReportedThroughTheUrlLayer) {
  struct TCase {
    const wchar_t* url;
    const wchar_t* type;
  };
  const TCase cases[] = {
      {L"lmp://site/index.html", L"text/html"},       {L"lmp://site/style.css", L"text/css"},
      {L"lmp://site/app.mjs", L"text/javascript"},    {L"lmp://site/logo.svg", L"image/svg+xml"},
      {L"lmp://site/code.wasm", L"application/wasm"}, {L"lmp://site/data.json", L"application/json"},
      {L"lmp://site/font.woff2", L"font/woff2"},
  };
  for (const TCase& c : cases) {
    Entries[FromWide(c.url).substr(4)] = "content";
    std::string bytes;
    std::wstring type;
    ASSERT_EQ(Bind(c.url, bytes, &type), S_OK);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(Wide(ContentTypeOfRequest(FromWide(c.url))), c.type);
  }
  // Straight to the handler: the type comes before the data, and an
  // unknown extension reports none, leaving the browser to sniff.
  Entries[u"//site/data.unknown"] = "content";
  for (const TCase& c : {TCase{L"lmp://site/app.mjs", L"text/javascript"}, TCase{L"lmp://site/data.unknown", L""}}) {
    const TComPtr<IInternetProtocol> handler = TInternetProtocolHandler::Create();
    TRecordingSink sink;
    ASSERT_EQ(handler->Start(c.url, &sink, nullptr, 0, 0), S_OK);
    std::vector<std::wstring> expected;
    if (*c.type) {
      expected.push_back(std::to_wstring(BINDSTATUS_MIMETYPEAVAILABLE) + L":" + c.type);
      expected.push_back(std::to_wstring(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE) + L":" + c.type);
    }
    expected.push_back(L"data");
    EXPECT_EQ(sink.Reports, expected);
    handler->Terminate(0);
  }
}

// Through the real URL layer: a bind that asks for a range, as a media
// element does, is told 206 with the Content-Range and gets those bytes
// only; a range beyond the end is told 416 and gets none. The entry is
// looked up once for all the ranges asked of it (the cache the handlers
// share); a bind without a range gets the whole entry, looked up anew.
TEST_F(ProtocolHandlerWin32Test, RangesAreAnsweredWithTheirBytesThroughTheUrlLayer) {
  // Entries in memory, as the site's request handler gives them: those are
  // kept for ranges.
  Lmp.SetOnRequestStream([this](TInternetProtocol&, const String& request, std::unique_ptr<TStream>& stream) {
    Requests.push_back(request);
    auto entry = std::make_unique<TMemoryStream>();
    entry->WriteBuffer("0123456789", 10);
    entry->SetPosition(0);
    stream = std::move(entry);
  });
  struct TCase {
    const wchar_t* Range;
    DWORD Status;
    const char* Bytes;
    const wchar_t* ContentRange;  // empty: no such header
  } cases[] = {
      {L"bytes=2-5", 206, "2345", L"Content-Range: bytes 2-5/10\r\n"},
      {L"bytes=7-", 206, "789", L"Content-Range: bytes 7-9/10\r\n"},
      {L"bytes=-2", 206, "89", L"Content-Range: bytes 8-9/10\r\n"},
      {L"bytes=4-100", 206, "456789", L"Content-Range: bytes 4-9/10\r\n"},
      {L"bytes=10-", 416, "", L"Content-Range: bytes */10\r\n"},
      {L"bytes=0-1,4-5", 200, "0123456789", L""},  // several ranges: the whole entry
  };
  for (const TCase& c : cases) {
    const std::string label = ToUtf8(FromWide(c.Range));
    TBindCallback callback;
    callback.Range = c.Range;
    ASSERT_EQ(Bind(L"lmp://site/clip.mp4", callback), S_OK) << label;
    EXPECT_EQ(callback.Bytes, c.Bytes) << label;
    EXPECT_EQ(callback.ResponseCode, c.Status) << label;
    EXPECT_NE(callback.ResponseHeaders.find(L"Accept-Ranges: bytes\r\n"), std::wstring::npos) << label;
    EXPECT_NE(callback.ResponseHeaders.find(L"Content-Length: " + std::to_wstring(std::strlen(c.Bytes)) + L"\r\n"),
              std::wstring::npos)
        << label;
    if (*c.ContentRange) {
      EXPECT_NE(callback.ResponseHeaders.find(c.ContentRange), std::wstring::npos) << label;
    } else {
      EXPECT_EQ(callback.ResponseHeaders.find(L"Content-Range"), std::wstring::npos) << label;
    }
  }
  EXPECT_EQ(Requests, std::vector<String>{u"//site/clip.mp4"});

  TBindCallback whole;
  whole.Referer = L"lmp://site/index.html";
  ASSERT_EQ(Bind(L"lmp://site/clip.mp4", whole), S_OK);
  EXPECT_EQ(whole.Bytes, "0123456789");
  EXPECT_EQ(whole.ResponseCode, 200u);
  EXPECT_EQ(Requests.size(), 2u);
  EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline);
}

TEST_F(ProtocolHandlerWin32Test, UnregisteredSchemeIsNoLongerServed) {
  std::string bytes;
  Lmp.SetActive(false);
  EXPECT_TRUE(FAILED(Bind(L"lmp://site/ten.txt", bytes)));
  EXPECT_EQ(TInternetProtocolHandler::LiveCount(), Baseline);
  Lmp.SetActive(true);
  EXPECT_EQ(Bind(L"lmp://site/ten.txt", bytes), S_OK);
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_EQ(Requests.size(), 1u);
}

}  // namespace
}  // namespace lumora::test
