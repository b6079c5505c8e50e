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
  String ReadFile(const String& p) override { return S.ReadFile(p); }
  bool DoFileExists(const String& p) override { return S.DoFileExists(p); }
  bool CreateDir(const String& p) override { return S.CreateDir(p); }
  bool RemoveFile(const String& p) override { return S.RemoveFile(p); }
  bool DirExists(const String& p) override { return S.DirExists(p); }
  void WriteFile(const String& p, const String& c) override { S.WriteFile(p, c); }
  bool OpenFile(const String& p) override { return S.OpenFile(p); }
  bool OpenFileWith(const String& e, const String& p) override { return S.OpenFileWith(e, p); }
  bool PlayWavSound(const String& p, bool loop) override { return S.PlayWavSound(p, loop); }
  bool HandleDownloableFiles(const String& url) override { return S.HandleDownloableFiles(url); }
  bool WriteRegistry(const String& k, const String& n, const String& v) override { return S.WriteRegistry(k, n, v); }
  String ReadRegistry(const String& k, const String& n) override { return S.ReadRegistry(k, n); }
  bool RemoveRegistry(const String& k, const String& n) override { return S.RemoveRegistry(k, n); }
  String GetPCName() override { return S.GetPCName(); }
  String GetPCUserName() override { return S.GetPCUserName(); }
  String GetUserDocsDir() override { return S.GetUserDocsDir(); }

 private:
  THostServices& S;
  String FCaption;
};

}  // namespace lumora::test
