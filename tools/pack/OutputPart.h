// The program being written beside the output, "OUTPUT.part-XXXXXXXXXX.tmp":
// created exclusively and held while the pack runs, renamed to OUTPUT when
// complete, and removed otherwise: when packing fails, when the packer is
// asked to end (SIGINT, SIGTERM, SIGHUP on Linux), and, for a packer
// killed outright, by the next pack of the same output.
#pragma once

#include <memory>
#include <string>

#include "base/String.h"
#include "os/File.h"

namespace lumora {

class TOutputPart {
 public:
  // Removes the parts of output that no running pack holds, then creates
  // and holds a new one. Raises an Exception naming the cause.
  explicit TOutputPart(const String& output);
  // Deletes the part unless it became the output.
  ~TOutputPart();
  TOutputPart(const TOutputPart&) = delete;
  TOutputPart& operator=(const TOutputPart&) = delete;

  const String& Path() const { return FPath; }

  // Gives the complete part the output's name, replacing a file there.
  // Raises an Exception naming the cause.
  void MoveToOutput();

 private:
  // While it lives, a request to end the packer deletes the part first
  // (Linux; nothing on Windows, where the next pack removes it).
  class TRemoveOnInterrupt {
   public:
    explicit TRemoveOnInterrupt(const String& path);
    ~TRemoveOnInterrupt();
    TRemoveOnInterrupt(const TRemoveOnInterrupt&) = delete;
    TRemoveOnInterrupt& operator=(const TRemoveOnInterrupt&) = delete;

   private:
    std::string FPath;
  };

  String FOutput;
  String FPath;
  TFileHandle FHold;
  std::unique_ptr<TRemoveOnInterrupt> FRemoveOnInterrupt;
  bool FMoved = false;
};

}  // namespace lumora
