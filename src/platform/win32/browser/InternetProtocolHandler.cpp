#include "platform/win32/browser/InternetProtocolHandler.h"

#include <cstring>
#include <limits>

#include "core/protocol/ProtocolAnswer.h"
#include "core/protocol/SiteOrigin.h"
#include "os/win32/WideString.h"
#include "platform/win32/browser/RequestInitiator.h"

namespace lumora {

namespace {

// The scheme of url, the text before its first colon; empty without one.
String SchemeOf(StringView url) {
  const size_t colon = url.find(u':');
  return colon == StringView::npos ? String() : String(url.substr(0, colon));
}

// The answer's headers for the negotiator, as an HTTP server sends them.
std::wstring ResponseHeaders(const TProtocolAnswer& answer) {
  std::wstring headers = L"Accept-Ranges: bytes\r\nContent-Length: " + std::to_wstring(answer.Length) + L"\r\n";
  if (!answer.ContentType.empty()) headers += L"Content-Type: " + Wide(answer.ContentType) + L"\r\n";
  if (!answer.ContentRange.empty()) headers += L"Content-Range: " + Wide(FromUtf8(answer.ContentRange)) + L"\r\n";
  return headers;
}

// BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION |
// BSCF_DATAFULLYAVAILABLE: the whole answer at once.
constexpr DWORD kAllDataAvailable = 0x01 | 0x04 | 0x08;

}  // namespace

std::atomic<long> TInternetProtocolHandler::FLiveCount{0};

TInternetProtocolHandler::TInternetProtocolHandler(std::shared_ptr<TEntryCache> cache) : Cache(std::move(cache)) {
  ++FLiveCount;
}

TInternetProtocolHandler::~TInternetProtocolHandler() { --FLiveCount; }

TComPtr<IInternetProtocol> TInternetProtocolHandler::Create(std::shared_ptr<TEntryCache> cache) {
  // A COM object owns itself: it starts with the one reference handed over
  // here, and its last Release deletes it.
  return TComPtr<IInternetProtocol>::Adopt(new TInternetProtocolHandler(std::move(cache)));
}

STDMETHODIMP TInternetProtocolHandler::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IInternetProtocolRoot) ||
      IsEqualIID(riid, IID_IInternetProtocol)) {
    *ppv = static_cast<IInternetProtocol*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TInternetProtocolHandler::AddRef() { return ++FRefCount; }

STDMETHODIMP_(ULONG) TInternetProtocolHandler::Release() {
  const ULONG count = --FRefCount;
  if (count == 0) delete this;
  return count;
}

STDMETHODIMP TInternetProtocolHandler::Start(LPCWSTR szUrl, IInternetProtocolSink* OIProtSink,
                                             IInternetBindInfo* OIBindInfo, DWORD, HANDLE_PTR) {
  if (!szUrl || !OIProtSink) return E_POINTER;
  Stream.reset();
  TProtocolAnswer answer;
  TBindRequest request;
  try {
    const String url = FromWide(szUrl);
    request = BindRequestOf(szUrl, OIProtSink, OIBindInfo);
    // A page of another origin reads nothing of the site, whatever it
    // asks for: the entry is not even looked up.
    if (IsForeignRequest(SchemeOf(url), InitiatorFromHeaders(request.Headers))) return INET_E_RESOURCE_NOT_FOUND;
    answer = AnswerProtocolRequest(url, ToUtf8(RequestHeader(request.Headers, u"Range")), Cache.get());
  } catch (...) {
    // No error may unwind into the URL layer: a handler that failed has
    // given nothing, and the request is not served.
    answer = TProtocolAnswer{};
  }
  if (!answer.Found()) return INET_E_USE_DEFAULT_PROTOCOLHANDLER;

  Stream = std::move(answer.Entry);
  const uint64_t size = answer.Length;
  StreamSize = size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                                 : static_cast<int32_t>(size);
  StreamOffset = answer.Offset;
  StreamPosition = 0;
  LockCount = 1;
  ProtSink = TComPtr<IInternetProtocolSink>(OIProtSink);
  // A reference of our own for the reports: the URL layer may read
  // everything and terminate inside ReportData, which releases ProtSink.
  const TComPtr<IInternetProtocolSink> sink = ProtSink;
  request.Respond(answer.Status, ResponseHeaders(answer));
  // The content type before the data, as the browser expects of a handler:
  // without it, it sniffs, and module scripts, SVG or fonts are misread.
  if (!answer.ContentType.empty()) {
    const std::wstring type = Wide(answer.ContentType);
    sink->ReportProgress(BINDSTATUS_MIMETYPEAVAILABLE, type.c_str());
    sink->ReportProgress(BINDSTATUS_VERIFIEDMIMETYPEAVAILABLE, type.c_str());
  }
  sink->ReportData(kAllDataAvailable, static_cast<ULONG>(StreamSize), static_cast<ULONG>(StreamSize));
  sink->ReportResult(S_OK, 0, nullptr);
  return S_OK;
}

STDMETHODIMP TInternetProtocolHandler::Continue(PROTOCOLDATA*) { return S_OK; }

STDMETHODIMP TInternetProtocolHandler::Abort(HRESULT, DWORD) { return E_NOTIMPL; }

STDMETHODIMP TInternetProtocolHandler::Terminate(DWORD) {
  if (--LockCount == 0) ReleaseData();
  return S_OK;
}

STDMETHODIMP TInternetProtocolHandler::Suspend() { return E_NOTIMPL; }

STDMETHODIMP TInternetProtocolHandler::Resume() { return E_NOTIMPL; }

STDMETHODIMP TInternetProtocolHandler::Read(void* pv, ULONG cb, ULONG* pcbRead) {
  ULONG count = 0;
  if (Stream && pv) {
    // Never past what Start announced.
    const ULONG left = static_cast<ULONG>(StreamSize - StreamPosition);
    const ULONG wanted = cb < left ? cb : left;
    if (auto* memory = dynamic_cast<TMemoryStream*>(Stream.get())) {
      // An entry in memory may be shared with other requests (the cache):
      // it is read where it lies, its position left alone.
      std::memcpy(pv, memory->Memory() + StreamOffset + static_cast<uint64_t>(StreamPosition), wanted);
      count = wanted;
    } else {
      // A stream that decodes as it is read serves this request only (it
      // is never cached); getting to a range's start decodes what lies
      // before it, here, on the thread that reads.
      if (StreamPosition == 0) Stream->SetPosition(static_cast<int64_t>(StreamOffset));
      count = static_cast<ULONG>(Stream->Read(pv, wanted));
    }
  }
  if (pcbRead) *pcbRead = count;
  StreamPosition += static_cast<int32_t>(count);
  return StreamPosition == StreamSize ? S_FALSE : E_PENDING;
}

STDMETHODIMP TInternetProtocolHandler::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) { return E_NOTIMPL; }

STDMETHODIMP TInternetProtocolHandler::LockRequest(DWORD) {
  ++LockCount;
  return S_OK;
}

STDMETHODIMP TInternetProtocolHandler::UnlockRequest() {
  if (--LockCount == 0) ReleaseData();
  return S_OK;
}

void TInternetProtocolHandler::ReleaseData() {
  Stream.reset();
  ProtSink.Reset();
}

}  // namespace lumora
