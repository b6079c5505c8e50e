// The Linux registry store: typed values, names matched ignoring case, key
// trees, where the database lives, and two processes writing at once.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "os/Registry.h"
#include "support/linux/SysUtilsTestSupport.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::TScopedEnv;
using test::TScratchDir;

// Each test gets a store of its own below a scratch config folder.
class RegistryLinuxTest : public ::testing::Test {
 protected:
  TScratchDir FScratch;
  TScopedEnv FConfig{"XDG_CONFIG_HOME", ToUtf8(FScratch.Path())};
};

TEST_F(RegistryLinuxTest, StoreLivesInTheConfigFolder) {
  TRegistry registry;
  ASSERT_TRUE(registry.IsOpen());
  struct stat info {};
  EXPECT_EQ(::stat((ToUtf8(FScratch.Path()) + "/lumora/registry.sqlite3").c_str(), &info), 0);

  // Without XDG_CONFIG_HOME (or with a relative one) it is ~/.config.
  TScopedEnv home("HOME", ToUtf8(FScratch.File(u"home")));
  for (const std::optional<std::string>& setting :
       {std::optional<std::string>(), std::optional<std::string>("relative")}) {
    TScopedEnv config("XDG_CONFIG_HOME", setting);
    TRegistry other;
    ASSERT_TRUE(other.IsOpen());
    EXPECT_EQ(::stat((ToUtf8(FScratch.Path()) + "/home/.config/lumora/registry.sqlite3").c_str(), &info), 0);
  }
}

TEST_F(RegistryLinuxTest, TypedValuesRoundTrip) {
  TRegistry registry;
  ASSERT_TRUE(registry.CreateKey(u"Software\\LumoraTest"));
  const TRegValue raw{static_cast<TRegType>(1234), {0, 1, 2, 0xFF}};
  const std::vector<std::pair<String, TRegValue>> cases = {
      {u"text", TRegValue::FromString(u"caf\u00e9 \U0001F600")},
      {u"expand", TRegValue::FromString(u"%HOME%\\x", TRegType::ExpandSz)},
      {u"number", TRegValue::FromDWord(0xDEADBEEF)},
      {u"binary", {TRegType::Binary, {}}},
      {u"odd type", raw},
      {u"", TRegValue::FromString(u"default value")},
  };
  for (const auto& [name, value] : cases) {
    EXPECT_TRUE(registry.WriteValue(u"Software\\LumoraTest", name, value)) << ToUtf8(name);
  }
  TRegistry reader;  // a second connection sees the committed values
  for (const auto& [name, value] : cases) {
    const auto back = reader.ReadValue(u"Software\\LumoraTest", name);
    ASSERT_TRUE(back.has_value()) << ToUtf8(name);
    EXPECT_EQ(*back, value) << ToUtf8(name);
  }
  EXPECT_EQ(reader.ReadValue(u"Software\\LumoraTest", u"text")->AsText(), u"caf\u00e9 \U0001F600");
  EXPECT_EQ(reader.ReadValue(u"Software\\LumoraTest", u"number")->AsDWord(), 0xDEADBEEFu);

  // Rewriting replaces the type as well.
  EXPECT_TRUE(registry.WriteValue(u"Software\\LumoraTest", u"number", TRegValue::FromString(u"7")));
  EXPECT_EQ(registry.ReadValue(u"Software\\LumoraTest", u"number")->Type, TRegType::Sz);
}

TEST_F(RegistryLinuxTest, NamesMatchIgnoringCase) {
  TRegistry registry;
  ASSERT_TRUE(registry.CreateKey(u"Software\\\u00c9cole\\App"));
  EXPECT_TRUE(registry.KeyExists(u"SOFTWARE\\\u00e9cole\\app"));
  EXPECT_TRUE(registry.KeyExists(u"\\software\\\u00c9COLE"));  // one leading "\" is ignored
  EXPECT_TRUE(registry.WriteValue(u"software\\\u00e9cole\\APP", u"Name", TRegValue::FromDWord(1)));
  EXPECT_TRUE(registry.WriteValue(u"Software\\\u00c9cole\\App", u"NAME", TRegValue::FromDWord(2)));
  EXPECT_EQ(registry.ReadValue(u"Software\\\u00c9cole\\App", u"name")->AsDWord(), 2u);
  // The value keeps the spelling it was made with.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((ToUtf8(FScratch.Path()) + "/lumora/registry.sqlite3").c_str(), &db, SQLITE_OPEN_READONLY,
                            nullptr),
            SQLITE_OK);
  sqlite3_stmt* names = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT name FROM vals", -1, &names, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(names), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(names, 0)), "Name");
  EXPECT_EQ(sqlite3_step(names), SQLITE_DONE);
  sqlite3_finalize(names);
  sqlite3_close(db);
  // Creating an existing key under another spelling keeps the first one.
  EXPECT_TRUE(registry.CreateKey(u"SOFTWARE\\\u00c9COLE\\APP\\Sub"));
  EXPECT_EQ(registry.SubKeyNames(u"software"), std::vector<String>({u"\u00c9cole"}));
  EXPECT_EQ(registry.SubKeyNames(u"software\\\u00e9cole\\app"), std::vector<String>({u"Sub"}));
  EXPECT_EQ(registry.SubKeyNames(u""), std::vector<String>({u"Software"}));
}

TEST_F(RegistryLinuxTest, MissingAndMalformedKeysFail) {
  TRegistry registry;
  EXPECT_FALSE(registry.KeyExists(u"Nope"));
  EXPECT_FALSE(registry.ReadValue(u"Nope", u"x").has_value());
  EXPECT_FALSE(registry.WriteValue(u"Nope", u"x", TRegValue::FromDWord(1)));  // no implicit create
  EXPECT_FALSE(registry.DeleteValue(u"Nope", u"x"));
  EXPECT_FALSE(registry.DeleteKey(u"Nope"));
  EXPECT_FALSE(registry.CreateKey(u"a\\\\b"));
  EXPECT_FALSE(registry.KeyExists(u"a"));
  EXPECT_TRUE(registry.KeyExists(u""));  // the root
  EXPECT_TRUE(registry.CreateKey(u"a\\b\\"));
  EXPECT_TRUE(registry.KeyExists(u"a\\b"));
}

TEST_F(RegistryLinuxTest, DeletingValuesAndKeyTrees) {
  TRegistry registry;
  for (const char16_t* key : {u"T\\A\\X\\Deep", u"T\\A\\Y", u"T\\AB", u"T\\A!"}) {
    ASSERT_TRUE(registry.CreateKey(key));
    ASSERT_TRUE(registry.WriteValue(key, u"v", TRegValue::FromDWord(1)));
  }
  ASSERT_TRUE(registry.WriteValue(u"T\\A", u"v", TRegValue::FromDWord(1)));
  EXPECT_TRUE(registry.DeleteValue(u"t\\a", u"V"));
  EXPECT_FALSE(registry.DeleteValue(u"T\\A", u"v"));  // already gone
  EXPECT_TRUE(registry.KeyExists(u"T\\A"));

  EXPECT_TRUE(registry.DeleteKey(u"t\\A"));
  for (const char16_t* gone : {u"T\\A", u"T\\A\\X", u"T\\A\\X\\Deep", u"T\\A\\Y"}) {
    EXPECT_FALSE(registry.KeyExists(gone)) << ToUtf8(gone);
    EXPECT_FALSE(registry.ValueExists(gone, u"v")) << ToUtf8(gone);
  }
  // Siblings whose names merely start with the same letters stay.
  for (const char16_t* kept : {u"T\\AB", u"T\\A!"}) {
    EXPECT_TRUE(registry.ValueExists(kept, u"v")) << ToUtf8(kept);
  }
  // Re-creating a deleted key finds it empty.
  ASSERT_TRUE(registry.CreateKey(u"T\\A\\X"));
  EXPECT_FALSE(registry.ValueExists(u"T\\A\\X", u"v"));
  EXPECT_FALSE(registry.DeleteKey(u""));
  EXPECT_FALSE(registry.DeleteKey(u"\\"));
  EXPECT_TRUE(registry.KeyExists(u"T"));
}

TEST_F(RegistryLinuxTest, WritingAValueMakesItsKey) {
  using TResult = TRegistry::TWriteResult;
  TRegistry registry;
  ASSERT_TRUE(registry.CreateKey(u"Software\\Kept"));
  // Missing levels are made with the spelling written; existing ones keep
  // theirs.
  EXPECT_EQ(registry.WriteValueCreatingKey(u"\\SOFTWARE\\kept\\New\\Deeper", u"Name", TRegValue::FromString(u"v")),
            TResult::Written);
  EXPECT_EQ(registry.ReadValue(u"software\\KEPT\\new\\deeper", u"NAME"), TRegValue::FromString(u"v"));
  EXPECT_EQ(registry.SubKeyNames(u"Software\\Kept"), std::vector<String>({u"New"}));
  EXPECT_EQ(registry.SubKeyNames(u""), std::vector<String>({u"Software"}));
  // Again, on the key that exists now: the value is replaced.
  EXPECT_EQ(registry.WriteValueCreatingKey(u"Software\\Kept\\New\\Deeper", u"name", TRegValue::FromDWord(7)),
            TResult::Written);
  EXPECT_EQ(registry.ReadValue(u"Software\\Kept\\New\\Deeper", u"Name"), TRegValue::FromDWord(7));
  // The root's own values.
  EXPECT_EQ(registry.WriteValueCreatingKey(u"", u"top", TRegValue::FromDWord(1)), TResult::Written);
  EXPECT_TRUE(registry.ValueExists(u"\\", u"top"));
  // A key the registry refuses: nothing is made.
  EXPECT_EQ(registry.WriteValueCreatingKey(u"Bad\\\\Key", u"x", TRegValue::FromDWord(1)), TResult::KeyFailed);
  EXPECT_FALSE(registry.KeyExists(u"Bad"));
}

TEST_F(RegistryLinuxTest, TheLogReachesTheDatabaseWhileTheStoreIsOpen) {
  // Commits go to the write-ahead log; copying it into the database (and
  // syncing the disk) happens on a thread of the store's own once the log
  // is long, not in the writes and not only when the last program closes.
  const std::string database = ToUtf8(FScratch.Path()) + "/lumora/registry.sqlite3";
  auto size = [&database] {
    struct stat info {};
    return ::stat(database.c_str(), &info) == 0 ? info.st_size : -1;
  };
  TRegistry registry;
  ASSERT_TRUE(registry.CreateKey(u"Log"));
  const off_t before = size();
  for (int i = 0; i < 1500; ++i) {
    ASSERT_TRUE(registry.WriteValue(u"Log", u"v" + IntToStr(i), TRegValue::FromString(String(200, u'x'))));
  }
  test::WaitUntil([&] { return size() > before; }, std::chrono::seconds(10));
  EXPECT_GT(size(), before);
}

TEST_F(RegistryLinuxTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kWrites = 150;
  {
    TRegistry setup;
    ASSERT_TRUE(setup.CreateKey(u"Shared"));
  }
  std::vector<pid_t> children;
  for (int writer = 0; writer < 2; ++writer) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // Each child has its own connection and writes values of its own,
      // creating keys as it goes, as two running programs would.
      TRegistry registry;
      int failures = registry.IsOpen() ? 0 : 1;
      for (int i = 0; i < kWrites; ++i) {
        const String key = u"Shared\\K" + IntToStr(i % 10);
        const String name = u"w" + IntToStr(writer) + u"_" + IntToStr(i);
        if (!registry.CreateKey(key) ||
            !registry.WriteValue(key, name, TRegValue::FromDWord(static_cast<uint32_t>(i)))) {
          ++failures;
        }
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TRegistry registry;
  for (int writer = 0; writer < 2; ++writer) {
    for (int i = 0; i < kWrites; ++i) {
      const auto value =
          registry.ReadValue(u"Shared\\K" + IntToStr(i % 10), u"w" + IntToStr(writer) + u"_" + IntToStr(i));
      ASSERT_TRUE(value.has_value()) << writer << " " << i;
      EXPECT_EQ(value->AsDWord(), static_cast<uint32_t>(i));
    }
  }
}

TEST_F(RegistryLinuxTest, UnusableStoreFailsQuietly) {
  // A plain file where the folder should be: nothing can be opened.
  test::WriteWholeFile(FScratch.File(u"blocked"), "x");
  TScopedEnv config("XDG_CONFIG_HOME", ToUtf8(FScratch.File(u"blocked")));
  TRegistry registry;
  EXPECT_FALSE(registry.IsOpen());
  EXPECT_FALSE(registry.CreateKey(u"A"));
  EXPECT_FALSE(registry.KeyExists(u"A"));
  EXPECT_FALSE(registry.ReadValue(u"A", u"v").has_value());
}

}  // namespace
}  // namespace lumora
