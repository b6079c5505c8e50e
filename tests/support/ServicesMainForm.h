// The main window as the bridge sees it (GlobalMainForm), answering with the
// host services: for tests and benchmarks that call window.external without
// the application's own main form.
#pragma once

#include "core/GlobalMainForm.h"
#include "core/services/HostServices.h"

namespace lumora::test {

class TServicesMainForm final : public TGlobalMainForm {
 public:
  TServicesMainForm(THostServices& services, String caption) : S(services), FCaption(std::move(caption)) {
    GlobalMainForm = this;
  }
  ~TServicesMainForm() override { GlobalMainForm = nullptr; }
  TServicesMainForm(const TServicesMainForm&) = delete;
  TServicesMainForm& operator=(const TServicesMainForm&) = delete;

  String Caption() const override { return FCaption; }
  bool IsRuntime() override { return S.IsRuntime(); }
  TExternalServices& Services() override { return S; }

 private:
  THostServices& S;
  String FCaption;
};

}  // namespace lumora::test
