#include "app/StylesUtils.h"

#include "core/AppTitle.h"
#include "platform/MessageBox.h"
#include "core/style/StyleEngine.h"
#include "core/style/StyleFile.h"
#include "core/style/StyleWindowPainter.h"
#include "platform/StyleBitmap.h"
#include "platform/StyleTheme.h"

namespace lumora {

void TStylesUtils::TrySetStyle(const String& themeName, bool showError) {
  if (StyleEngine().SelectStyle(themeName))
    ApplyStyleToWindows(StyleEngine().ActiveStyle());
  else if (showError)
    ShowMessageBox(StyleNotFoundText(themeName), ApplicationTitle(), mbIconError | mbClose);
}

String TStylesUtils::StyleNotFoundText(const String& themeName) { return Format(u"Style '%s' not found", {themeName}); }

void TStylesUtils::GetAvailables(TStringList& list, bool sorted) {
  list.SetSorted(false);
  list.Clear();
  for (const String& name : StyleEngine().StyleNames()) list.Add(name);
  list.SetSorted(sorted);
}

String TStylesUtils::GetActiveTheme() { return StyleEngine().ActiveStyleName(); }

void TStylesUtils::DrawThemePreview(const String& themeName, TImage& targetImage) {
  if (themeName == NativeStyleName) throw Exception(u"Not available \"Windows\" preview.");
  const TStyleDefinition source = ReadStyleFile(StyleEngine().StyleData(themeName));
  // The style drawn is the one read back from its own saved form, so a
  // preview shows exactly what a saved style would.
  const TStyleDefinition style = ReadStyleFile(WriteStyleFile(source));
  targetImage.Picture = PaintBitmap(targetImage.ClientWidth, targetImage.ClientHeight, [&](TStyleCanvas& canvas) {
    PaintSampleWindow(canvas, style, {0, 0, targetImage.ClientWidth, targetImage.ClientHeight}, themeName);
  });
}

}  // namespace lumora
