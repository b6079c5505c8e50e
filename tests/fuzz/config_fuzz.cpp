// Reads arbitrary bytes as a site's configuration text (any of its
// encodings) and asks for every key of every section as text, integer and
// flag, as the runtime does with lm-config. Nothing may crash or hang.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/IniFile.h"

using namespace lumora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemIniFile ini;
  ini.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  for (const StringView section : {StringView(u"Lumora"), StringView(u"")}) {
    if (!ini.SectionExists(section)) continue;
    for (const String& key : ini.ReadSection(section)) {
      if (!ini.ValueExists(section, key)) __builtin_trap();
      const String text = ini.ReadString(section, key, u"");
      int32_t parsed = 0;
      const bool isNumber = TMemIniFile::TryParseInteger(text, parsed);
      if (isNumber && ini.ReadInteger(section, key, parsed ^ 1) != parsed) __builtin_trap();
      ini.ReadBool(section, key, true);
    }
  }
  return 0;
}
