#include "app/StylesUtils.h"

#include "core/AppTitle.h"
#include "core/os/File.h"
#include "core/os/MessageBox.h"

namespace lumora {

void TStylesUtils::TrySetStyle(const String& themeName, bool showError) {
  if (SameTextLocale(themeName, u"Windows")) return;
  if (showError) ShowMessageBox(Format(u"Style '%s' not found", {themeName}), ApplicationTitle(), mbIconError);
}

String TStylesUtils::GetActiveTheme() { return u"Windows"; }

}  // namespace lumora
