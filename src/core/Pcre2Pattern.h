// A compiled PCRE2 pattern over UTF-8 subjects, for the few places the system
// matches text with regular expressions (scheme names, template directives).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

namespace lumora {

// Byte offsets into the subject: group 0 is the whole match. A group that
// took no part in the match has Start == End == npos.
struct TPcre2Match {
  struct TSpan {
    size_t Start;
    size_t End;
  };
  std::vector<TSpan> Groups;

  std::string_view Group(std::string_view subject, size_t index) const {
    const TSpan& span = Groups[index];
    return span.Start == npos ? std::string_view() : subject.substr(span.Start, span.End - span.Start);
  }
  static constexpr size_t npos = static_cast<size_t>(-1);
};

class TPcre2Pattern {
 public:
  // What ends a line for ".", "$" and friends.
  enum class TNewline { Default, AnyUnicode };

  // Compiles pattern (UTF-8) with PCRE2 option bits; PCRE2_UTF is always
  // added. Raises Exception with PCRE2's own message when it does not
  // compile. The JIT is used where the build has it.
  TPcre2Pattern(std::string_view pattern, uint32_t options, TNewline newline = TNewline::Default);
  ~TPcre2Pattern();
  TPcre2Pattern(const TPcre2Pattern&) = delete;
  TPcre2Pattern& operator=(const TPcre2Pattern&) = delete;

  // The first match that starts at or after offset. subject must be valid
  // UTF-8 (it is not checked again). Raises Exception for a matching error
  // other than "no match", such as an exhausted match limit. Not safe for
  // concurrent use: the match data is the pattern's own.
  std::optional<TPcre2Match> Match(std::string_view subject, size_t offset = 0) const;

 private:
  pcre2_real_code_8* FCode = nullptr;
  pcre2_real_match_data_8* FMatchData = nullptr;
};

}  // namespace lumora
