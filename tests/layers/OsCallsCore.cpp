// An OS-layer source that calls the core, declaring the function itself so
// that no include gives it away. The layers test links it with the layers
// below the core only and expects the link to fail.
namespace lumora {
bool TerminationRequested() noexcept;
bool OsLayerAsksTheCore() { return TerminationRequested(); }
}  // namespace lumora
