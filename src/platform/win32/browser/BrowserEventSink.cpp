#include "platform/win32/browser/BrowserEventSink.h"

#include <exdisp.h>
#include <exdispid.h>
#include <shobjidl.h>

#include "core/HandlerGuard.h"
#include "platform/win32/browser/BrowserHostEvents.h"
#include "platform/win32/browser/Variant.h"

namespace lumora {

namespace {

// Argument index of a call with count arguments, given in the event's
// declared order: DISPPARAMS holds them last first.
VARIANT& Argument(DISPPARAMS& parameters, UINT index) { return parameters.rgvarg[parameters.cArgs - 1 - index]; }

// Writes a by-reference VARIANT_BOOL out-argument (Cancel).
void SetBoolOut(VARIANT& argument, bool value) {
  VARIANT& target = argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal ? *argument.pvarVal : argument;
  if (target.vt == (VT_BYREF | VT_BOOL) && target.pboolVal) {
    *target.pboolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (target.vt == VT_BOOL) {
    target.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
}

bool BoolOut(VARIANT& argument) {
  const VARIANT& value = Dereferenced(argument);
  if (value.vt == (VT_BYREF | VT_BOOL) && value.pboolVal) return *value.pboolVal != VARIANT_FALSE;
  return VariantBool(value);
}

// The by-reference IDispatch** out-argument of the new-window events.
IDispatch** DispatchOut(VARIANT& argument) {
  const VARIANT& value = Dereferenced(argument);
  return value.vt == (VT_BYREF | VT_DISPATCH) ? value.ppdispVal : nullptr;
}

}  // namespace

TComPtr<TBrowserEventSink> TBrowserEventSink::Create(TBrowserHostEvents& events) {
  return TComPtr<TBrowserEventSink>::Adopt(new TBrowserEventSink(events));
}

TBrowserEventSink::TBrowserEventSink(TBrowserHostEvents& events)
    : TDispatchObject(DIID_DWebBrowserEvents2), FEvents(&events) {}

bool TBrowserEventSink::IsTopBrowser(const VARIANT& browser) const {
  const VARIANT& value = Dereferenced(browser);
  if (!FTopBrowser || value.vt != VT_DISPATCH || !value.pdispVal) return false;
  TComPtr<IUnknown> identity;
  if (FAILED(value.pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.Receive())))) return false;
  return identity.Get() == FTopBrowser;
}

STDMETHODIMP TBrowserEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP TBrowserEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD, DISPPARAMS* pDispParams, VARIANT*,
                                       EXCEPINFO*, UINT*) {
  if (!FEvents || !pDispParams) return S_OK;
  // Every handler runs through the guard: an error it raises is shown, and
  // never unwinds into the control and the message loop, which cannot take
  // it. Another out-argument keeps what the handler set before it failed.
  // The handler may close the browser, and this sink's host with it: keep
  // the sink and a copy of the handler alive for the call.
  const TComPtr<TBrowserEventSink> self(this);
  TBrowserHostEvents& events = *FEvents;
  DISPPARAMS& parameters = *pDispParams;
  const UINT count = parameters.cArgs;
  switch (dispIdMember) {
    case DISPID_BEFORENAVIGATE2:
      if (count == 7 && events.OnBeforeNavigate2) {
        auto handler = events.OnBeforeNavigate2;
        bool cancel = BoolOut(Argument(parameters, 6));
        // A navigation whose check failed is not made: the control would
        // otherwise show, or offer to download, what the check was about.
        bool checked = false;
        const bool topLevel = IsTopBrowser(Argument(parameters, 0));
        RunHandler([&] {
          handler(VariantText(Argument(parameters, 1)), VariantText(Argument(parameters, 5)), topLevel, cancel);
          checked = true;
        });
        SetBoolOut(Argument(parameters, 6), cancel || !checked);
      }
      break;
    case DISPID_NEWWINDOW2:
    case DISPID_NEWWINDOW3:
      if (count >= 2 && events.OnNewWindow) {
        IDispatch** target = DispatchOut(Argument(parameters, 0));
        // One window per request: a browser is already given when the
        // control raises both events for it.
        if (target && !*target) {
          TNewWindowRequest request;
          if (dispIdMember == DISPID_NEWWINDOW3 && count == 5) {
            const auto flags = static_cast<unsigned long>(VariantLong(Argument(parameters, 2)));
            request.Described = true;
            request.UserAction = (flags & (NWMF_USERINITED | NWMF_USERREQUESTED)) != 0;
            request.OpenerURL = VariantText(Argument(parameters, 3));
          }
          auto handler = events.OnNewWindow;
          bool cancel = BoolOut(Argument(parameters, 1));
          // A request whose check failed opens no window.
          bool checked = false;
          RunHandler([&] {
            *target = handler(request, cancel);
            checked = true;
          });
          if (cancel || !checked) SetBoolOut(Argument(parameters, 1), true);
        }
      }
      break;
    case DISPID_NAVIGATECOMPLETE2:
      if (count == 2 && events.OnNavigateComplete2) {
        auto handler = events.OnNavigateComplete2;
        RunHandler([&] { handler(VariantText(Argument(parameters, 1))); });
      }
      break;
    case DISPID_DOCUMENTCOMPLETE:
      if (count == 2 && events.OnDocumentComplete) {
        auto handler = events.OnDocumentComplete;
        RunHandler([&] { handler(VariantText(Argument(parameters, 1))); });
      }
      break;
    case DISPID_WINDOWCLOSING:
      if (count == 2 && events.OnWindowClosing) {
        auto handler = events.OnWindowClosing;
        bool cancel = BoolOut(Argument(parameters, 1));
        RunHandler([&] { handler(VariantBool(Argument(parameters, 0)), cancel); });
        SetBoolOut(Argument(parameters, 1), cancel);
      }
      break;
    case DISPID_WINDOWSETLEFT:
    case DISPID_WINDOWSETTOP:
    case DISPID_WINDOWSETWIDTH:
    case DISPID_WINDOWSETHEIGHT: {
      const auto& handler = dispIdMember == DISPID_WINDOWSETLEFT    ? events.OnWindowSetLeft
                            : dispIdMember == DISPID_WINDOWSETTOP   ? events.OnWindowSetTop
                            : dispIdMember == DISPID_WINDOWSETWIDTH ? events.OnWindowSetWidth
                                                                    : events.OnWindowSetHeight;
      if (count == 1 && handler) {
        auto call = handler;
        RunHandler([&] { call(static_cast<int>(VariantLong(Argument(parameters, 0)))); });
      }
      break;
    }
    case DISPID_WINDOWSETRESIZABLE:
      if (count == 1 && events.OnWindowSetResizable) {
        auto handler = events.OnWindowSetResizable;
        RunHandler([&] { handler(VariantBool(Argument(parameters, 0))); });
      }
      break;
    default:
      break;
  }
  return S_OK;
}

}  // namespace lumora
