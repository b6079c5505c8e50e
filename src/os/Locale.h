// Locale facts the core needs: decimal separators and the user's
// upper-casing. No OS header leaks out of this interface.
#pragma once

#include "base/String.h"

namespace lumora {

// The decimal separator of the machine's system default locale (not the
// user's), "." when it cannot be found.
char16_t SystemDecimalSeparator();
// The decimal separator of the current user's locale, "." when it cannot be
// found.
char16_t UserDecimalSeparator();

// Upper-cases text under the user's locale, one code unit for one (a
// surrogate pair for one surrogate pair), so lengths and positions stay.
// Letters without a one-character capital (such as "ß") stay as they are.
String UpperCaseLocale(StringView text);

}  // namespace lumora
