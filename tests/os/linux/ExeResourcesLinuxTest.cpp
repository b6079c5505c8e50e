// Icon replacement needs the Windows resource functions: on Linux it is
// refused before either file is read.
#include <gtest/gtest.h>

#include "core/ExeUtils.h"
#include "base/ResourceUpdateError.h"
#include "support/TestSupport.h"

namespace lumora {
namespace {

TEST(ExeResourcesLinuxTest, ChangeExeIconIsForWindowsOnly) {
  test::TScratchDir dir;
  const String exe = dir.File(u"app.exe");
  test::WriteWholeFile(exe, "MZ");
  try {
    TExeUtils::ChangeExeIcon(exe, dir.File(u"missing.ico"));
    ADD_FAILURE() << "no error";
  } catch (const EResourceUpdateError& error) {
    EXPECT_EQ(error.Message(), u"Resource update error: Only supported on Windows NT and above");
  }
  EXPECT_EQ(test::ReadWholeFile(exe), "MZ");
}

}  // namespace
}  // namespace lumora
