// Page templates on a Windows machine whose ANSI code page is not 1252:
// the expansion leaves the page's bytes as they are. The code page of the
// process cannot be changed, so the program's calls of the system's
// conversions are pointed (through its import table) at the same
// conversions with code page 932 (Japanese, double-byte) wherever they ask
// for the ANSI one.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/ExeHtmlSite.h"
#include "os/CodePage.h"
#include "core/protocol/InternetProtocol.h"
#include "core/site/SiteRequestHandler.h"
#include "core/zip/AbZipKit.h"
#include "support/win32/ImportHook.h"
#include "support/TestSupport.h"
#include "support/ZipWriter.h"

namespace lumora::test {
namespace {

constexpr UINT kOtherCodePage = 932;
int AnsiConversions = 0;
using TDecode = int(WINAPI*)(UINT, DWORD, LPCCH, int, LPWSTR, int);
using TEncode = int(WINAPI*)(UINT, DWORD, LPCWCH, int, LPSTR, int, LPCCH, LPBOOL);
TDecode OriginalDecode = nullptr;
TEncode OriginalEncode = nullptr;

int WINAPI DecodeAs932(UINT codePage, DWORD flags, LPCCH bytes, int count, LPWSTR wide, int wideCount) {
  if (codePage == CP_ACP) {
    ++AnsiConversions;
    codePage = kOtherCodePage;
    flags = 0;
  }
  return OriginalDecode(codePage, flags, bytes, count, wide, wideCount);
}

int WINAPI EncodeAs932(UINT codePage, DWORD flags, LPCWCH wide, int wideCount, LPSTR bytes, int count,
                       LPCCH defaultChar, LPBOOL usedDefault) {
  if (codePage == CP_ACP) {
    ++AnsiConversions;
    codePage = kOtherCodePage;
  }
  return OriginalEncode(codePage, flags, wide, wideCount, bytes, count, defaultChar, usedDefault);
}

TEST(SiteTemplatesWin32Test, ExpansionKeepsTheBytesWhateverTheCodePage) {
  const TImportHook decode("KERNEL32.dll", "MultiByteToWideChar", reinterpret_cast<void*>(&DecodeAs932));
  const TImportHook encode("KERNEL32.dll", "WideCharToMultiByte", reinterpret_cast<void*>(&EncodeAs932));
  ASSERT_TRUE(decode.Original() && encode.Original());
  OriginalDecode = reinterpret_cast<TDecode>(decode.Original());
  OriginalEncode = reinterpret_cast<TEncode>(encode.Original());
  // The hooks do stand in for the code page: an 8-bit text through it.
  AnsiConversions = 0;
  EXPECT_NE(DecodeAnsi("caf\xC3\xA9"), u"caf\u00C3\u00A9");
  EXPECT_GT(AnsiConversions, 0);

  // "ā" ends in a byte that starts a pair in 932, which the space after it
  // cannot end; "€" and the Japanese letters are pairs of 932's own.
  const std::string utf8 = "caf\xC3\xA9 \xC4\x81 \xE2\x82\xAC \xE6\x97\xA5\xE6\x9C\xAC \x81\x8D";
  const std::string password = TExeHtmlSite::kArchivePassword;
  const std::string archive = BuildZip({
      {.Name = "site/index.html",
       .Data = "<p>" + utf8 + "<!--template:part.html--></p>",
       .Method = 8,
       .Password = password},
      {.Name = "site/part.html", .Data = "\xC3\xBC" + utf8, .Method = 8, .Password = password},
  });
  TScratchDir dir;
  const String path = dir.File(u"site.zip");
  WriteWholeFile(path, archive);
  TAbZipKit kit;
  kit.SetPassword(password);
  kit.SetFileName(path);
  TSiteRequestHandler handler(kit, u"site", [](const String&) {});
  TInternetProtocol sender;
  std::unique_ptr<TStream> stream;
  handler.HandleProtocolRequest(sender, u"//site/index.html", stream);
  ASSERT_TRUE(stream);
  std::string served(static_cast<size_t>(stream->Size()), '\0');
  stream->SetPosition(0);
  stream->ReadBuffer(served.data(), stream->Size());
  EXPECT_EQ(served, "<p>" + utf8 + "\xC3\xBC" + utf8 + "</p>");
}

}  // namespace
}  // namespace lumora::test
