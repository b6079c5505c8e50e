// The browser emulation values in the registry store: written only where
// missing, removed whoever wrote them, keys kept.
#include <gtest/gtest.h>

#include "core/browser/IEBrowserFix.h"
#include "os/Registry.h"
#include "support/linux/SysUtilsTestSupport.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

using test::TScopedEnv;
using test::TScratchDir;

class IEBrowserFixTest : public ::testing::Test {
 protected:
  TScratchDir FScratch;
  TScopedEnv FConfig{"XDG_CONFIG_HOME", ToUtf8(FScratch.Path())};
};

TEST_F(IEBrowserFixTest, WritesBothValuesAndRemovesThemKeepingTheKeys) {
  TRegistry registry;
  TIEBrowserFix::Initialize(registry, u"viewer.exe");
  EXPECT_EQ(registry.ReadValue(TIEBrowserFix::kEmulationKey, u"viewer.exe"), TRegValue::FromDWord(11001));
  EXPECT_EQ(registry.ReadValue(TIEBrowserFix::kGpuRenderingKey, u"VIEWER.EXE"), TRegValue::FromDWord(1));
  TIEBrowserFix::Uninitialize(registry, u"viewer.exe");
  EXPECT_FALSE(registry.ValueExists(TIEBrowserFix::kEmulationKey, u"viewer.exe"));
  EXPECT_FALSE(registry.ValueExists(TIEBrowserFix::kGpuRenderingKey, u"viewer.exe"));
  EXPECT_TRUE(registry.KeyExists(TIEBrowserFix::kEmulationKey));
  EXPECT_TRUE(registry.KeyExists(TIEBrowserFix::kGpuRenderingKey));
}

TEST_F(IEBrowserFixTest, AnExistingValueStaysUntilExitAndOtherNamesAreUntouched) {
  TRegistry registry;
  ASSERT_TRUE(registry.CreateKey(TIEBrowserFix::kEmulationKey));
  ASSERT_TRUE(registry.WriteValue(TIEBrowserFix::kEmulationKey, u"viewer.exe", TRegValue::FromString(u"9000")));
  ASSERT_TRUE(registry.WriteValue(TIEBrowserFix::kEmulationKey, u"other.exe", TRegValue::FromDWord(9000)));
  TIEBrowserFix::Initialize(registry, u"viewer.exe");
  EXPECT_EQ(registry.ReadValue(TIEBrowserFix::kEmulationKey, u"viewer.exe"), TRegValue::FromString(u"9000"));
  TIEBrowserFix::Uninitialize(registry, u"viewer.exe");
  EXPECT_FALSE(registry.ValueExists(TIEBrowserFix::kEmulationKey, u"viewer.exe"));
  EXPECT_EQ(registry.ReadValue(TIEBrowserFix::kEmulationKey, u"other.exe"), TRegValue::FromDWord(9000));
}

TEST_F(IEBrowserFixTest, UninitializeWithoutKeysRaisesNothing) {
  TRegistry registry;
  EXPECT_NO_THROW(TIEBrowserFix::Uninitialize(registry, u"viewer.exe"));
  EXPECT_FALSE(registry.KeyExists(TIEBrowserFix::kEmulationKey));
}

}  // namespace
}  // namespace lumora
