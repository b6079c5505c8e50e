// What a visual style is made of: its five header strings, a palette and a
// few metrics. The binary form is StyleFile.h; the readable source form,
// from which the binary files are built, is StyleSource.h.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/String.h"

namespace lumora {

// An opaque colour as 0xRRGGBB.
struct TStyleColor {
  uint32_t Rgb = 0;
  uint8_t Red() const { return static_cast<uint8_t>(Rgb >> 16); }
  uint8_t Green() const { return static_cast<uint8_t>(Rgb >> 8); }
  uint8_t Blue() const { return static_cast<uint8_t>(Rgb); }
  bool operator==(const TStyleColor&) const = default;
};

// The palette entries, in the order the binary format stores them. The
// order is part of format version 1: append, never reorder.
enum class TStyleColorRole : uint8_t {
  Window,               // client background of windows and dialogs
  Text,                 // text on Window
  CaptionActive,        // caption bar of the active window
  CaptionActiveText,    // its title and caption-button glyphs
  CaptionInactive,      // caption bar of an inactive window
  CaptionInactiveText,  // its title and glyphs
  Frame,                // the window frame around caption and client
  ButtonFace,           // push buttons and caption buttons at rest
  ButtonHover,          // ... under the mouse
  ButtonPressed,        // ... held down
  ButtonText,           // text on any of the three button faces
  EditField,            // text boxes
  EditText,             // text in them, and on Selection
  Selection,            // selected text and items
  Accent,               // focus marks, the default button's edge, caption underline
  DisabledText,         // text of disabled controls, on Window
};
inline constexpr size_t StyleColorCount = 16;

// The source-file key of each role, in role order.
inline constexpr std::array<std::string_view, StyleColorCount> StyleColorKeys = {
    "window",    "text",        "caption-active", "caption-active-text", "caption-inactive", "caption-inactive-text",
    "frame",     "button-face", "button-hover",   "button-pressed",      "button-text",      "edit-field",
    "edit-text", "selection",   "accent",         "disabled-text"};

// Sizes in pixels at 96 DPI. The order is part of format version 1.
enum class TStyleMetric : uint8_t { CaptionHeight, FrameWidth, CornerRadius, ButtonRadius };
inline constexpr size_t StyleMetricCount = 4;
inline constexpr std::array<std::string_view, StyleMetricCount> StyleMetricKeys = {"caption-height", "frame-width",
                                                                                   "corner-radius", "button-radius"};

// The accepted range of each metric, in metric order; a file outside them
// is refused so that no drawing code meets an absurd size.
struct TStyleMetricRange {
  uint16_t Min;
  uint16_t Max;
};
inline constexpr std::array<TStyleMetricRange, StyleMetricCount> StyleMetricRanges = {
    TStyleMetricRange{16, 64}, {0, 16}, {0, 24}, {0, 24}};

struct TStyleDefinition {
  // The five strings every style file begins with.
  String Name;
  String Version = u"1.0";
  String Author;
  String Email;
  String Url;

  std::array<TStyleColor, StyleColorCount> Colors{};
  std::array<uint16_t, StyleMetricCount> Metrics{};

  TStyleColor Color(TStyleColorRole role) const { return Colors[static_cast<size_t>(role)]; }
  uint16_t Metric(TStyleMetric metric) const { return Metrics[static_cast<size_t>(metric)]; }

  bool operator==(const TStyleDefinition&) const = default;
};

}  // namespace lumora
