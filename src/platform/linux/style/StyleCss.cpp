#include "platform/linux/style/StyleCss.h"

#include <cstdio>

namespace lumora {
namespace {

std::string Css(TStyleColor color) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(color.Rgb & 0xFFFFFF));
  return text;
}

// Replaces each "{key}" of the template by its value.
std::string Fill(std::string text, std::initializer_list<std::pair<const char*, std::string>> values) {
  for (const auto& [key, value] : values) {
    const std::string marker = std::string("{") + key + "}";
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size()))
      text.replace(at, marker.size(), value);
  }
  return text;
}

// Every rule sets background-image to none: themes paint gradients there,
// which would hide the palette's flat colours.
constexpr const char* Template = R"css(
window, dialog, messagedialog, .background {
  background-color: {window}; background-image: none; color: {text};
}
label:disabled, *:disabled { color: {disabled}; }
decoration {
  border: {frame-width}px solid {frame}; border-radius: {corner}px {corner}px 0 0;
  box-shadow: none; margin: 0;
}
/* Without a compositor GTK draws the frame inside the window instead. */
window.solid-csd, window.solid-csd:backdrop {
  padding: {frame-width}px; margin: 0; border: none; border-radius: 0;
  box-shadow: inset 0 0 0 {frame-width}px {frame};
}
.solid-csd decoration, window.solid-csd decoration, .solid-csd decoration:backdrop {
  border: none; box-shadow: none; margin: 0; background: {frame};
}
headerbar, .titlebar, messagedialog .titlebar {
  background-color: {caption}; background-image: none; color: {caption-text};
  min-height: {caption-height}px; padding: 0 4px; margin: 0;
  border: none; border-bottom: 2px solid {accent}; border-radius: 0; box-shadow: none;
}
headerbar:backdrop, .titlebar:backdrop {
  background-color: {caption-inactive}; color: {caption-inactive-text}; border-bottom-color: {caption-inactive};
}
headerbar .title, .titlebar .title, headerbar label, .titlebar label { color: inherit; }
headerbar button.titlebutton, .titlebar button.titlebutton {
  background-color: transparent; background-image: none; color: inherit;
  border: none; box-shadow: none; border-radius: {button-radius}px;
}
headerbar button.titlebutton:hover, .titlebar button.titlebutton:hover { background-color: {button-hover}; color: {button-text}; }
headerbar button.titlebutton:active, .titlebar button.titlebutton:active { background-color: {button-pressed}; color: {button-text}; }
button {
  background-color: {button-face}; background-image: none; color: {button-text};
  border: 1px solid {frame}; border-radius: {button-radius}px; box-shadow: none; text-shadow: none;
}
button:hover { background-color: {button-hover}; }
button:active, button:checked { background-color: {button-pressed}; }
button.default, button.suggested-action, button:focus { border-color: {accent}; }
button label { color: {button-text}; }
entry {
  background-color: {edit}; background-image: none; color: {edit-text};
  border: 1px solid {frame}; box-shadow: none;
}
entry:focus { border-color: {accent}; }
selection, *:selected, entry selection { background-color: {selection}; color: {edit-text}; }
)css";

}  // namespace

std::string StyleCss(const TStyleDefinition& style) {
  using Role = TStyleColorRole;
  const auto color = [&](Role role) { return Css(style.Color(role)); };
  const auto metric = [&](TStyleMetric m) { return std::to_string(style.Metric(m)); };
  return Fill(Template, {{"window", color(Role::Window)},
                         {"text", color(Role::Text)},
                         {"caption-inactive-text", color(Role::CaptionInactiveText)},
                         {"caption-inactive", color(Role::CaptionInactive)},
                         {"caption-text", color(Role::CaptionActiveText)},
                         {"caption-height", metric(TStyleMetric::CaptionHeight)},
                         {"caption", color(Role::CaptionActive)},
                         {"frame-width", metric(TStyleMetric::FrameWidth)},
                         {"frame", color(Role::Frame)},
                         {"corner", metric(TStyleMetric::CornerRadius)},
                         {"button-face", color(Role::ButtonFace)},
                         {"button-hover", color(Role::ButtonHover)},
                         {"button-pressed", color(Role::ButtonPressed)},
                         {"button-text", color(Role::ButtonText)},
                         {"button-radius", metric(TStyleMetric::ButtonRadius)},
                         {"edit-text", color(Role::EditText)},
                         {"edit", color(Role::EditField)},
                         {"selection", color(Role::Selection)},
                         {"accent", color(Role::Accent)},
                         {"disabled", color(Role::DisabledText)}});
}

}  // namespace lumora
