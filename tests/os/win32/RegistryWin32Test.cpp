// The Windows registry store, against the real registry: a test key below
// HKCU\Software\LumoraTest, removed again after each test.
#include <gtest/gtest.h>
#include <windows.h>

#include "os/Random.h"
#include "os/Registry.h"

namespace lumora {
namespace {

class RegistryWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    uint32_t random = 0;
    OsRandomBytes(&random, sizeof random);
    FKey = u"Software\\LumoraTest\\Run" + IntToStr(random);
    ASSERT_TRUE(FRegistry.CreateKey(FKey));
  }
  void TearDown() override {
    FRegistry.DeleteKey(u"Software\\LumoraTest");
    EXPECT_FALSE(FRegistry.KeyExists(u"Software\\LumoraTest"));
  }
  String Sub(StringView name) const { return FKey + u"\\" + String(name); }

  TRegistry FRegistry;
  String FKey;
};

TEST_F(RegistryWin32Test, TypedValuesRoundTrip) {
  const std::vector<std::pair<String, TRegValue>> cases = {
      {u"text", TRegValue::FromString(u"caf\u00e9 \U0001F600")},
      {u"expand", TRegValue::FromString(u"%TEMP%\\x", TRegType::ExpandSz)},
      {u"number", TRegValue::FromDWord(0xDEADBEEF)},
      {u"binary", {TRegType::Binary, {0, 1, 2, 0xFF}}},
      {u"", TRegValue::FromString(u"default value")},
  };
  for (const auto& [name, value] : cases) {
    EXPECT_TRUE(FRegistry.WriteValue(FKey, name, value)) << ToUtf8(name);
  }
  for (const auto& [name, value] : cases) {
    const auto back = FRegistry.ReadValue(FKey, name);
    ASSERT_TRUE(back.has_value()) << ToUtf8(name);
    EXPECT_EQ(*back, value) << ToUtf8(name);
  }
  // What the registry itself holds, read past our class.
  DWORD data = 0;
  DWORD size = sizeof data;
  DWORD type = 0;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, reinterpret_cast<const wchar_t*>(FKey.c_str()), L"number", RRF_RT_ANY,
                           &type, &data, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, 0xDEADBEEFu);
}

TEST_F(RegistryWin32Test, NamesIgnoreCaseAndALeadingBackslash) {
  ASSERT_TRUE(FRegistry.CreateKey(Sub(u"Deep\\Er")));
  EXPECT_TRUE(FRegistry.KeyExists(u"\\SOFTWARE\\lumoratest\\" + FKey.substr(20) + u"\\deep\\ER"));
  EXPECT_TRUE(FRegistry.WriteValue(Sub(u"deep"), u"Name", TRegValue::FromDWord(1)));
  EXPECT_EQ(FRegistry.ReadValue(Sub(u"DEEP"), u"NAME")->AsDWord(), 1u);
  EXPECT_EQ(FRegistry.SubKeyNames(Sub(u"Deep")), std::vector<String>({u"Er"}));
}

TEST_F(RegistryWin32Test, MissingKeysAndDeletion) {
  EXPECT_FALSE(FRegistry.KeyExists(Sub(u"Nope")));
  EXPECT_FALSE(FRegistry.ReadValue(Sub(u"Nope"), u"x").has_value());
  EXPECT_FALSE(FRegistry.WriteValue(Sub(u"Nope"), u"x", TRegValue::FromDWord(1)));
  EXPECT_FALSE(FRegistry.DeleteValue(FKey, u"x"));
  EXPECT_FALSE(FRegistry.DeleteKey(Sub(u"Nope")));
  EXPECT_FALSE(FRegistry.DeleteKey(u""));
  EXPECT_FALSE(FRegistry.DeleteKey(u"\\"));
  EXPECT_TRUE(FRegistry.KeyExists(u"Software"));

  ASSERT_TRUE(FRegistry.CreateKey(Sub(u"A\\B")));
  ASSERT_TRUE(FRegistry.WriteValue(Sub(u"A\\B"), u"v", TRegValue::FromDWord(1)));
  ASSERT_TRUE(FRegistry.WriteValue(Sub(u"A"), u"v", TRegValue::FromDWord(1)));
  EXPECT_TRUE(FRegistry.DeleteValue(Sub(u"a"), u"V"));
  EXPECT_TRUE(FRegistry.KeyExists(Sub(u"A")));
  EXPECT_TRUE(FRegistry.DeleteKey(Sub(u"A")));
  EXPECT_FALSE(FRegistry.KeyExists(Sub(u"A\\B")));
  EXPECT_FALSE(FRegistry.KeyExists(Sub(u"A")));
}

}  // namespace
}  // namespace lumora
