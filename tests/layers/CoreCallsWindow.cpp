// A core source that calls the platform layer, declaring the function
// itself so that no include gives it away. The layers test links it with
// the layers below the platform only and expects the link to fail.
namespace lumora {
bool InitializeWindowing();
bool CoreAsksTheWindows() { return InitializeWindowing(); }
}  // namespace lumora
