// The command line's text as Windows programs quote it, on every system.
#include "os/CommandLine.h"

namespace lumora {

String JoinCommandLine(const std::vector<String>& arguments) {
  String line;
  for (const String& argument : arguments) {
    if (!line.empty()) line.push_back(u' ');
    const bool quote = argument.empty() || argument.find_first_of(u" \t\n\v\r") != String::npos;
    if (quote) line.push_back(u'"');
    size_t backslashes = 0;
    for (char16_t c : argument) {
      if (c == u'\\') {
        ++backslashes;
        continue;
      }
      // Backslashes before a quote are doubled and the quote escaped;
      // elsewhere they stand for themselves.
      line.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
      backslashes = 0;
      line.push_back(c);
    }
    line.append(quote ? backslashes * 2 : backslashes, u'\\');
    if (quote) line.push_back(u'"');
  }
  return line;
}

}  // namespace lumora
