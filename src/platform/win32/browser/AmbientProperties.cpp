#include "platform/win32/browser/AmbientProperties.h"

#include <mshtmdid.h>
#include <mshtml.h>
#include <olectl.h>
#include <windows.h>

namespace lumora {

namespace {

void SetLong(VARIANT* result, LONG value) {
  if (!result) return;
  ::VariantClear(result);
  result->vt = VT_I4;
  result->lVal = value;
}

void SetBool(VARIANT* result, bool value) {
  if (!result) return;
  ::VariantClear(result);
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetText(VARIANT* result, const wchar_t* text) {
  if (!result) return;
  ::VariantClear(result);
  result->vt = VT_BSTR;
  result->bstrVal = ::SysAllocString(text);
}

// The standard ambient properties, DISPID_AMBIENT_AUTOCLIP (-715) to
// DISPID_AMBIENT_BACKCOLOR (-701), as a form offers them to its controls:
// the system's window colours, the user's locale, a running (user-mode)
// form with no design-time hatching or handles.
bool ServeStandardAmbient(DISPID id, VARIANT* result) {
  switch (id) {
    case DISPID_AMBIENT_BACKCOLOR:
      SetLong(result, static_cast<LONG>(::GetSysColor(COLOR_WINDOW)));
      return true;
    case DISPID_AMBIENT_DISPLAYNAME:
    case DISPID_AMBIENT_SCALEUNITS:
      SetText(result, L"");
      return true;
    case DISPID_AMBIENT_FORECOLOR:
      SetLong(result, static_cast<LONG>(::GetSysColor(COLOR_WINDOWTEXT)));
      return true;
    case DISPID_AMBIENT_LOCALEID:
      SetLong(result, static_cast<LONG>(::GetUserDefaultLCID()));
      return true;
    case DISPID_AMBIENT_TEXTALIGN:
      SetLong(result, 0);  // general: text left, numbers right
      return true;
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
    case DISPID_AMBIENT_AUTOCLIP:
      SetBool(result, true);
      return true;
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
      SetBool(result, false);
      return true;
    default:
      return false;  // the font: left to the control's own
  }
}

}  // namespace

bool ServeAmbientProperty(DISPID id, WORD flags, VARIANT* result) {
  if ((flags & DISPATCH_PROPERTYPUT) != 0) {
    // The user mode may be set; the component stays in user mode.
    return id == DISPID_AMBIENT_USERMODE;
  }
  if ((flags & DISPATCH_PROPERTYGET) == 0) return false;
  switch (id) {
    case DISPID_AMBIENT_DLCONTROL:
      // Pictures, videos and background sounds load; scripts and controls
      // run as the zone allows.
      SetLong(result, DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS);
      return true;
    case DISPID_AMBIENT_USERAGENT:
      // No user agent of its own: an empty answer keeps the control's.
      if (result) ::VariantClear(result);
      return true;
    default:
      return ServeStandardAmbient(id, result);
  }
}

}  // namespace lumora
