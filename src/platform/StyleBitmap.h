// The platform's canvas over a 32-bit bitmap, for drawing a style where
// no window is involved (previews).
#pragma once

#include <functional>

#include "core/style/Bitmap32.h"
#include "core/style/StyleCanvas.h"

namespace lumora {

// A new opaque width x height bitmap (black until paint draws on it),
// painted by paint through the platform's canvas. Sizes below 1 give an
// empty bitmap without calling paint.
TBitmap32 PaintBitmap(int width, int height, const std::function<void(TStyleCanvas&)>& paint);

}  // namespace lumora
