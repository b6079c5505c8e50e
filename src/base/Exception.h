// Errors are exceptions carrying the system's own message text.
#pragma once

#include <stdexcept>

#include "base/String.h"

namespace lumora {

// The base of every error the system raises. what() gives the message as
// UTF-8; Message() gives it back as the system's UTF-16 text.
class Exception : public std::runtime_error {
 public:
  explicit Exception(StringView message) : std::runtime_error(ToUtf8(message)) {}
  explicit Exception(const std::string& utf8Message) : std::runtime_error(utf8Message) {}
  String Message() const { return FromUtf8(what()); }
};

// A file could not be created ("Cannot create file ...").
class EFCreateError : public Exception {
  using Exception::Exception;
};

// A file could not be opened ("Cannot open file ...").
class EFOpenError : public Exception {
  using Exception::Exception;
};

// A read or write of a stream failed.
class EStreamError : public Exception {
  using Exception::Exception;
};

// Not an error: a request, made during start-up, to end the process at once
// with an exit code after the release steps of what was already built. It is
// deliberately not derived from std::exception so that no error handler
// catches it by accident.
class EImmediateExit {
 public:
  explicit EImmediateExit(int exitCode) : FExitCode(exitCode) {}
  int ExitCode() const { return FExitCode; }

 private:
  int FExitCode;
};

}  // namespace lumora
