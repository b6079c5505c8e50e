#include "core/Pcre2Pattern.h"

#include <pcre2.h>

#include <memory>
#include <string>

#include "base/Exception.h"

namespace lumora {

namespace {

std::string ErrorText(int code) {
  PCRE2_UCHAR buffer[256];
  const int length = pcre2_get_error_message(code, buffer, sizeof buffer);
  return length < 0 ? "PCRE2 error " + std::to_string(code)
                    : std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

struct TCompileContextFree {
  void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};

}  // namespace

TPcre2Pattern::TPcre2Pattern(std::string_view pattern, uint32_t options, TNewline newline) {
  std::unique_ptr<pcre2_compile_context, TCompileContextFree> context(pcre2_compile_context_create(nullptr));
  if (!context) throw std::bad_alloc();
  if (newline == TNewline::AnyUnicode) pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANY);
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  FCode = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options | PCRE2_UTF, &error,
                        &errorOffset, context.get());
  if (!FCode) throw Exception(ErrorText(error));
  // Without JIT support the interpreter does the same work, only slower.
  pcre2_jit_compile(FCode, PCRE2_JIT_COMPLETE);
  FMatchData = pcre2_match_data_create_from_pattern(FCode, nullptr);
  if (!FMatchData) {
    pcre2_code_free(FCode);
    throw std::bad_alloc();
  }
}

TPcre2Pattern::~TPcre2Pattern() {
  pcre2_match_data_free(FMatchData);
  pcre2_code_free(FCode);
}

std::optional<TPcre2Match> TPcre2Pattern::Match(std::string_view subject, size_t offset) const {
  if (offset > subject.size()) return std::nullopt;
  const int result = pcre2_match(FCode, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), offset,
                                 PCRE2_NO_UTF_CHECK, FMatchData, nullptr);
  if (result == PCRE2_ERROR_NOMATCH) return std::nullopt;
  if (result < 0) throw Exception(ErrorText(result));
  const uint32_t pairs = pcre2_get_ovector_count(FMatchData);
  const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(FMatchData);
  TPcre2Match match;
  match.Groups.reserve(pairs);
  for (uint32_t i = 0; i < pairs; ++i) {
    if (vector[2 * i] == PCRE2_UNSET) {
      match.Groups.push_back({TPcre2Match::npos, TPcre2Match::npos});
    } else {
      match.Groups.push_back({vector[2 * i], vector[2 * i + 1]});
    }
  }
  return match;
}

}  // namespace lumora
