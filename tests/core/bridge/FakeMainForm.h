// A main window for the bridge and service tests: records each service
// call as "Name(arg|arg)" and answers with preset results.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "core/GlobalMainForm.h"

namespace lumora::test {

class TFakeMainForm : public TGlobalMainForm, public TExternalServices {
 public:
  std::vector<std::string> Calls;
  bool BoolAnswer = true;
  String TextAnswer = u"text";
  // When set, every service raises this message.
  std::string Failure;
  // When set, every service raises this exception instead.
  std::exception_ptr Thrown;

  String Caption() const override { return u"Fake"; }
  TExternalServices& Services() override { return *this; }
  bool IsRuntime() override { return Record("IsRuntime", {}), BoolAnswer; }
  String ReadFile(const String& filePath) override { return Record("ReadFile", {filePath}), TextAnswer; }
  bool DoFileExists(const String& filePath) override { return Record("DoFileExists", {filePath}), BoolAnswer; }
  bool CreateDir(const String& dirPath) override { return Record("CreateDir", {dirPath}), BoolAnswer; }
  bool RemoveFile(const String& filePath) override { return Record("RemoveFile", {filePath}), BoolAnswer; }
  bool DirExists(const String& dirPath) override { return Record("DirExists", {dirPath}), BoolAnswer; }
  void WriteFile(const String& filePath, const String& contents) override { Record("WriteFile", {filePath, contents}); }
  bool OpenFile(const String& filePath) override { return Record("OpenFile", {filePath}), BoolAnswer; }
  bool OpenFileWith(const String& execPath, const String& filePath) override {
    return Record("OpenFileWith", {execPath, filePath}), BoolAnswer;
  }
  bool PlayWavSound(const String& wavPath, bool loop) override {
    return Record("PlayWavSound", {wavPath, loop ? u"loop" : u"once"}), BoolAnswer;
  }
  bool HandleDownloableFiles(const String& url) override { return Record("HandleDownloableFiles", {url}), BoolAnswer; }
  bool WriteRegistry(const String& Key, const String& ValueName, const String& Value) override {
    return Record("WriteRegistry", {Key, ValueName, Value}), BoolAnswer;
  }
  String ReadRegistry(const String& Key, const String& ValueName) override {
    return Record("ReadRegistry", {Key, ValueName}), TextAnswer;
  }
  bool RemoveRegistry(const String& Key, const String& ValueName) override {
    return Record("RemoveRegistry", {Key, ValueName}), BoolAnswer;
  }
  String GetPCName() override { return Record("GetPCName", {}), TextAnswer; }
  String GetPCUserName() override { return Record("GetPCUserName", {}), TextAnswer; }
  String GetUserDocsDir() override { return Record("GetUserDocsDir", {}), TextAnswer; }

 private:
  void Record(const char* name, std::initializer_list<String> args);
};

inline void TFakeMainForm::Record(const char* name, std::initializer_list<String> args) {
  std::string call = std::string(name) + "(";
  bool first = true;
  for (const String& arg : args) {
    if (!first) call += "|";
    call += ToUtf8(arg);
    first = false;
  }
  Calls.push_back(call + ")");
  if (Thrown) std::rethrow_exception(Thrown);
  if (!Failure.empty()) throw Exception(Failure);
}

}  // namespace lumora::test
