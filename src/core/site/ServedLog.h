// A record of what the site's protocol served, for end-to-end tests that
// cannot see the page itself (the Windows control under Wine has no HTML
// engine). Off unless the environment variable LUMORA_SERVED_LOG names a
// folder; then answer N of the run (from 1) is written there as "N.txt":
// the request (the URL after the scheme's colon) on the first line, the
// bytes served after it. A request left unanswered is written with no
// bytes; an entry served as a stream (a large one) only by its request,
// as reading it here would decode all of it. It is kept in the shipped runtime on purpose, so the tests see the
// program users get: it reveals nothing the archive does not already give
// anyone who reads the program (every package is encrypted with the same
// built-in password), and only the user who starts the program can set it.
#pragma once

#include <memory>

#include "base/Stream.h"
#include "base/String.h"

namespace lumora {

class TServedLog {
 public:
  // The log the environment asks for, or nullptr.
  static std::unique_ptr<TServedLog> FromEnvironment();
  explicit TServedLog(String folder) : FFolder(std::move(folder)) {}

  // Writes the next record; stream's position is kept. A record that
  // cannot be written is skipped: the log never stops a page.
  void Record(const String& request, TStream* stream);

 private:
  String FFolder;
  int FCount = 0;
};

}  // namespace lumora
