// The configuration reader: encodings, line rules, lookups, number parsing
// and the key table.
#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "core/ConfigKeys.h"
#include "core/IniFile.h"
#include "base/Stream.h"

namespace lumora {
namespace {

std::string Utf16Bytes(StringView text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

TMemIniFile Load(std::string_view bytes) {
  TMemIniFile ini;
  ini.LoadFromBytes(bytes);
  return ini;
}

String Title(const TMemIniFile& ini) { return ini.ReadString(u"Lumora", u"AppTitle", u"<none>"); }

TEST(IniFile, EveryEncodingReadsTheSame) {
  const String text = u"[Lumora]\r\nAppTitle=Caf\u00E9 \u20AC\r\n";
  const String expected = u"Caf\u00E9 \u20AC";
  const std::string encodings[] = {
      "\xEF\xBB\xBF" + ToUtf8(text), Utf16Bytes(text, false), Utf16Bytes(text, true),
      EncodeWindows1252(text),  // no mark: the ANSI code page
  };
  for (const auto& bytes : encodings) EXPECT_EQ(Title(Load(bytes)), expected) << bytes;

  // UTF-8 without a mark is read as ANSI, so its non-ASCII text is wrong.
  EXPECT_EQ(Title(Load(ToUtf8(text))), u"Caf\u00C3\u00A9 \u00E2\u201A\u00AC");
}

TEST(IniFile, LineRules) {
  struct Case {
    const char* what;
    std::string text;
    String title;
  };
  const Case cases[] = {
      {"LF ends", "[Lumora]\nAppTitle=x\n", u"x"},
      {"CR ends", "[Lumora]\rAppTitle=x\rOther=y", u"x"},
      {"CR LF and LF CR", "[Lumora]\n\rAppTitle=x\r\n", u"x"},
      {"no final line end", "[Lumora]\r\nAppTitle=x", u"x"},
      {"trimmed", " \t[ Lumora ]\x01\n \tAppTitle \t=  x  y \x1F\n", u"x  y"},
      {"first = splits", "[Lumora]\nAppTitle=a=b", u"a=b"},
      {"empty value is a value", "[Lumora]\nAppTitle=", u""},
      {"comment", "[Lumora]\n;AppTitle=x\n  ;AppTitle=y", u"<none>"},
      {"before first section", "AppTitle=x\n[Lumora]\n", u"<none>"},
      {"other section", "[Lumora]\n[Other]\nAppTitle=x", u"<none>"},
      {"not a header", "[Lumora]\n[Other\nAppTitle=x", u"x"},
      {"no = is no key", "[Lumora]\nAppTitle\n", u"<none>"},
      {"last key wins", "[Lumora]\nAppTitle=1\napptitle=2\n", u"2"},
      {"last section wins", "[Lumora]\nAppTitle=1\n[Other]\n[LUMORA]\nX=2", u"<none>"},
      {"case ignored", "[LUMORA]\napptitle=x", u"x"},
      {"NUL ends the text", std::string("[Lumora]\nAppTitle=x\0y\nAppTitle=z", 32), u"x"},
      {"empty", "", u"<none>"},
  };
  for (const auto& c : cases) EXPECT_EQ(Title(Load(c.text)), c.title) << c.what;
}

TEST(IniFile, NamesMatchBeyondAscii) {
  const TMemIniFile ini = Load("\xEF\xBB\xBF[\xC3\x84rger]\nschl\xC3\xBCssel=1\n\xC3\xBF=2");
  EXPECT_EQ(ini.ReadString(u"\u00C4RGER", u"SCHL\u00DCSSEL", u""), u"1");
  EXPECT_EQ(ini.ReadString(u"\u00E4rger", u"\u0178", u""), u"2");  // ÿ and Ÿ
  EXPECT_TRUE(ini.SectionExists(u"\u00E4RGER"));
  EXPECT_FALSE(ini.ValueExists(u"\u00C4rger", u"schlussel"));
}

TEST(IniFile, Sections) {
  const TMemIniFile ini = Load("[Lumora]\nB=1\nA=2\nb=3\nNoValue\n=empty name\n[Empty]\n[]\nX=1");
  EXPECT_EQ(ini.ReadSection(u"lumora"), (std::vector<String>{u"B", u"A", u""}));
  EXPECT_EQ(ini.ReadString(u"Lumora", u"b", u""), u"3");
  EXPECT_TRUE(ini.SectionExists(u"EMPTY"));
  EXPECT_TRUE(ini.ReadSection(u"Empty").empty());
  EXPECT_EQ(ini.ReadString(u"", u"X", u""), u"1");
  EXPECT_FALSE(ini.SectionExists(u"Missing"));
  EXPECT_TRUE(ini.ReadSection(u"Missing").empty());
}

TEST(IniFile, Integers) {
  struct Case {
    String value;
    int32_t result;
  };
  constexpr int32_t kDefault = -77;
  const Case cases[] = {
      {u"0", 0},
      {u"42", 42},
      {u"00012", 12},
      {u"+7", 7},
      {u"-12", -12},
      {u"-0", 0},
      {u"0x400", 1024},
      {u"0X1f", 31},
      {u"$400", 1024},
      {u"0xFFFFFFFF", -1},
      {u"$0000000000A", 10},
      {u"2147483647", INT32_MAX},
      {u"-2147483648", INT32_MIN},
      // Everything else gives the default.
      {u"2147483648", kDefault},
      {u"-2147483649", kDefault},
      {u"99999999999999999999", kDefault},
      {u"0x100000000", kDefault},
      {u"", kDefault},
      {u"$", kDefault},
      {u"0x", kDefault},
      {u"0x-1", kDefault},
      {u"-0x10", kDefault},
      {u"-$10", kDefault},
      {u"-", kDefault},
      {u"+", kDefault},
      {u"12a", kDefault},
      {u"1 2", kDefault},
      {u"1e3", kDefault},
      {u"1.0", kDefault},
      {u"true", kDefault},
      {u"\u0663", kDefault},  // an Arabic-Indic digit
  };
  for (const auto& c : cases) {
    const TMemIniFile ini = Load("\xEF\xBB\xBF[S]\nK=" + ToUtf8(c.value));
    EXPECT_EQ(ini.ReadInteger(u"S", u"K", kDefault), c.result) << ToUtf8(c.value);
  }
  EXPECT_EQ(Load("[S]\nK= 5 ").ReadInteger(u"S", u"K", 0), 5);  // values are trimmed
  EXPECT_EQ(Load("[S]").ReadInteger(u"S", u"K", 9), 9);
}

TEST(IniFile, Booleans) {
  struct Case {
    const char* value;
    bool whenTrue, whenFalse;
  };
  const Case cases[] = {
      {"1", true, true},     {"-1", true, true},     {"2", true, true}, {"0", false, false},
      {"true", true, false}, {"false", true, false}, {"", true, false},
  };
  for (const auto& c : cases) {
    const TMemIniFile ini = Load(std::string("[S]\nK=") + c.value);
    EXPECT_EQ(ini.ReadBool(u"S", u"K", true), c.whenTrue) << c.value;
    EXPECT_EQ(ini.ReadBool(u"S", u"K", false), c.whenFalse) << c.value;
  }
}

TEST(IniFile, MalformedInputNeverFails) {
  const std::string utf16 = Utf16Bytes(u"[Lumora]\nAppTitle=x", false);
  // An odd byte count: the half code unit at the end is dropped.
  EXPECT_EQ(Title(Load(utf16 + "y")), u"x");
  // Cut inside the value's last code unit: the key stays, with what is whole.
  EXPECT_EQ(Title(Load(utf16.substr(0, utf16.size() - 1))), u"");
  EXPECT_EQ(Title(Load(Utf16Bytes(u"[Lumora]\nAppTitle=x", true) + "\x01")), u"x");
  for (const char* markOnly : {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF", "\xFF", "\xFE\xFF\x00"}) {
    EXPECT_TRUE(Load(markOnly).ReadSection(u"Lumora").empty());
  }
  // A UTF-16 NUL in the middle ends the text.
  EXPECT_EQ(Title(Load(Utf16Bytes(String(u"[Lumora]\nAppTitle=x") + u'\0' + u"\nAppTitle=y", false))), u"x");
  // Lone surrogates stay as they are; bad UTF-8 becomes U+FFFD.
  const String lone = String(u"a") + char16_t(0xDC00) + u"b";
  EXPECT_EQ(Title(Load(Utf16Bytes(u"[Lumora]\nAppTitle=" + lone, false))), lone);
  EXPECT_EQ(Title(Load("\xEF\xBB\xBF[Lumora]\nAppTitle=a\xC0\xAF"
                       "b")),
            u"a\uFFFD\uFFFDb");
}

TEST(IniFile, HugeLines) {
  const std::string value(4 << 20, 'v');
  const std::string garbage(1 << 20, '[');
  const TMemIniFile ini =
      Load(garbage + "\n[Lumora]\n" + garbage + "\nAppTitle=" + value + "\n" + std::string(1 << 20, '='));
  EXPECT_EQ(ToUtf8(Title(ini)), value);
  EXPECT_EQ(ini.ReadSection(u"Lumora"), (std::vector<String>{u"AppTitle", u""}));
}

TEST(IniFile, LoadsAWholeStreamFromItsStart) {
  TMemoryStream stream;
  const std::string bytes = "[Lumora]\nAppTitle=x";
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  TMemIniFile ini;
  ini.LoadFromStream(stream);
  EXPECT_EQ(Title(ini), u"x");
  ini.LoadFromBytes("");  // loading replaces what was there
  EXPECT_FALSE(ini.SectionExists(u"Lumora"));
}

TEST(ConfigKeys, EmptyConfigurationGivesEveryDefault) {
  const TMemIniFile ini;
  ASSERT_EQ(ConfigKeys().size(), 20u);
  EXPECT_EQ(ReadConfigString(ini, TConfigKeyId::AppTheme), u"Windows");
  EXPECT_EQ(ReadConfigString(ini, TConfigKeyId::IndexPage), u"");
  EXPECT_EQ(ReadConfigString(ini, TConfigKeyId::ExtractFileExts), u"zip mp3 mp4");
  EXPECT_EQ(ReadConfigString(ini, TConfigKeyId::ExecuteFileExts), u"exe");
  EXPECT_EQ(ReadConfigInteger(ini, TConfigKeyId::AppWindowWidth), 800);
  EXPECT_EQ(ReadConfigInteger(ini, TConfigKeyId::AppWindowHeight), 600);
  EXPECT_EQ(ReadConfigInteger(ini, TConfigKeyId::AppBorderStyle), 2);
  EXPECT_FALSE(ReadConfigBool(ini, TConfigKeyId::UseTrayIcon));
  EXPECT_TRUE(ReadConfigBool(ini, TConfigKeyId::HideJsErrors));
  EXPECT_FALSE(ReadConfigBool(ini, TConfigKeyId::AllowCopyText));
  for (size_t i = 0; i < ConfigKeys().size(); ++i) {
    // The enumeration and the table agree, and names are unique.
    const TConfigKey& key = ConfigKeys()[i];
    EXPECT_EQ(&ConfigKey(static_cast<TConfigKeyId>(i)), &key);
    EXPECT_EQ(FindConfigKey(key.Name), &key);
  }
}

TEST(ConfigKeys, ValuesAndLookup) {
  const TMemIniFile ini = Load(
      "[lumora]\nUseTrayIcon=true\nAppEscapeClose=-1\nAppWindowWidth=0x400\n"
      "AppWindowHeight=tall\nExtractFileExts=\nAppTitle=first\nAppTitle=second");
  EXPECT_FALSE(ReadConfigBool(ini, TConfigKeyId::UseTrayIcon));
  EXPECT_TRUE(ReadConfigBool(ini, TConfigKeyId::AppEscapeClose));
  EXPECT_EQ(ReadConfigInteger(ini, TConfigKeyId::AppWindowWidth), 1024);
  EXPECT_EQ(ReadConfigInteger(ini, TConfigKeyId::AppWindowHeight), 600);
  EXPECT_EQ(ReadConfigString(ini, TConfigKeyId::ExtractFileExts), u"");
  EXPECT_EQ(ReadConfigString(ini, TConfigKeyId::AppTitle), u"second");

  ASSERT_NE(FindConfigKey(u"apptitle"), nullptr);
  EXPECT_EQ(FindConfigKey(u"APPWINDOWORDER")->Type, TConfigKeyType::Integer);
  EXPECT_EQ(FindConfigKey(u"AppTitles"), nullptr);
  EXPECT_EQ(FindConfigKey(u""), nullptr);
}

}  // namespace
}  // namespace lumora
