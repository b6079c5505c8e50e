// The portable resource editor on small programs built in memory: the icon
// replaced as the Windows resource functions replace it, version strings,
// the sections after the resources moved with the data directory, and
// damaged images refused with a message instead of a crash.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/ByteOrder.h"
#include "base/Exception.h"
#include "os/IconFile.h"
#include "os/ImageHeaders.h"
#include "base/Stream.h"
#include "core/pe/PeCheckSum.h"
#include "core/pe/PeErrors.h"
#include "core/pe/PeImage.h"
#include "core/pe/PeResourceEditor.h"
#include "core/pe/VersionInfo.h"
#include "core/pe/PeFixture.h"
#include "support/IconFixture.h"

namespace lumora {
namespace {

using test::Bytes;
using test::kOptionalHeader;
using test::kRelocations;

const TResourceKey kIconType = TResourceKey::FromId(TPeResources::kIcon);
const TResourceKey kGroupType = TResourceKey::FromId(TPeResources::kGroupIcon);
const TResourceKey kMainIcon = TResourceKey::FromText(u"MAINICON");
const TResourceKey kVersionType = TResourceKey::FromId(TPeResources::kVersion);

// A group of the given images, as the resource compiler writes it.
std::vector<uint8_t> Group(std::initializer_list<uint16_t> ids) {
  std::vector<uint8_t> group(6 + 14 * ids.size(), 0);
  test::PutU16(group, 2, 1);
  test::PutU16(group, 4, static_cast<uint16_t>(ids.size()));
  size_t j = 0;
  for (const uint16_t id : ids) test::PutU16(group, 6 + 14 * j++ + 12, id);
  return group;
}

// The runtime's resources in miniature: a main icon of two images in the
// neutral language, an icon of another group, a manifest and a version.
TPeResources RuntimeResources() {
  TPeResources resources;
  resources.Set(kIconType, TResourceKey::FromId(1), 0, Bytes("old image 1"));
  resources.Set(kIconType, TResourceKey::FromId(2), 0, Bytes("old image 2"));
  resources.Set(kIconType, TResourceKey::FromId(7), 1033, Bytes("other group's image"));
  resources.Set(kGroupType, kMainIcon, 0, Group({1, 2}));
  resources.Set(TResourceKey::FromId(24), TResourceKey::FromId(1), 1033, Bytes("<assembly/>"));
  TVersionInfo version;
  version.SetString(u"ProductName", u"Lumora");
  resources.Set(kVersionType, TResourceKey::FromId(1), 1033, version.Build());
  return resources;
}

std::vector<uint8_t> IconOf(int size) {
  return Bytes(test::IconFile(size, [](int, int) { return test::TPixel{1, 2, 3, 255}; }));
}

const TResource* Find(const TPeResources& resources, const TResourceKey& type, uint16_t id) {
  return resources.Find(type, TResourceKey::FromId(id));
}

TEST(PeResourcesTest, TheDirectoryReadsBackAsItWasBuilt) {
  const TPeResources resources = RuntimeResources();
  const TPeImage image(test::MakeProgram(resources));
  const TPeResources read = TPeResources::Read(image);
  ASSERT_EQ(read.Items().size(), resources.Items().size());
  for (size_t i = 0; i < read.Items().size(); ++i) {
    EXPECT_EQ(read.Items()[i].Type, resources.Items()[i].Type);
    EXPECT_EQ(read.Items()[i].Name, resources.Items()[i].Name);
    EXPECT_EQ(read.Items()[i].Language, resources.Items()[i].Language);
    EXPECT_EQ(read.Items()[i].Data, resources.Items()[i].Data);
  }
  // Named entries first: the group is found by name.
  EXPECT_EQ(read.Find(kGroupType, kMainIcon)->Data, Group({1, 2}));
}

// Each test of the editor runs on a 32-bit and a 64-bit program: their
// optional headers differ in size, and with them where the data directory
// (resources, relocations, certificates) lies.
TEST(PeResourceEditorTest, TheIconIsReplacedAsOnWindows) {
  for (const test::TPeFormat& format : test::kPeFormats) {
    SCOPED_TRACE(format.Name);
    TPeResourceEditor editor(u"app.exe", test::MakeProgram(RuntimeResources(), format));
    const std::vector<uint8_t> icon = IconOf(16);
    editor.ReplaceMainIcon(icon);

    const TPeImage image(editor.Bytes());
    const TPeResources read = TPeResources::Read(image);
    const TResource* group = read.Find(kGroupType, kMainIcon);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->Language, 1033);
    EXPECT_EQ(group->Data, TIconFile::GroupDirectory(icon, 0, 1));
    // Image 1 is the new one in 1033; the old images went in their own
    // language; another group's image stays.
    ASSERT_NE(Find(read, kIconType, 1), nullptr);
    EXPECT_EQ(Find(read, kIconType, 1)->Language, 1033);
    const TIconImage first = TIconFile::Images(icon)[0];
    EXPECT_EQ(Find(read, kIconType, 1)->Data,
              std::vector<uint8_t>(icon.begin() + first.Offset, icon.begin() + first.Offset + first.Size));
    EXPECT_EQ(Find(read, kIconType, 2), nullptr);
    EXPECT_EQ(Find(read, kIconType, 7)->Data, Bytes("other group's image"));
    EXPECT_EQ(read.Find(TResourceKey::FromId(24), TResourceKey::FromId(1))->Data, Bytes("<assembly/>"));
  }
}

TEST(PeResourceEditorTest, GrowingTheResourcesMovesWhatFollowsThem) {
  for (const test::TPeFormat& format : test::kPeFormats) {
    SCOPED_TRACE(format.Name);
    const std::vector<uint8_t> before = test::MakeProgram(RuntimeResources(), format);
    TPeResourceEditor editor(u"app.exe", before);
    editor.ReplaceMainIcon(IconOf(64));  // some 16 KiB: a section more
    const TPeImage image(editor.Bytes());
    const std::vector<uint8_t>& bytes = image.Bytes();

    const TPeSection& rsrc = image.Sections()[1];
    const TPeSection& reloc = image.Sections()[2];
    EXPECT_EQ(rsrc.VirtualAddress, test::kResourceRva);
    EXPECT_EQ(image.Directory(2).Size, rsrc.VirtualSize);
    EXPECT_EQ(ReadU32(bytes.data() + test::DirectoryAt(format, 2) + 4), rsrc.VirtualSize);
    EXPECT_GE(reloc.VirtualAddress, test::Align(rsrc.VirtualAddress + rsrc.VirtualSize, test::kSectionAlignment));
    EXPECT_EQ(reloc.RawPointer, rsrc.RawPointer + rsrc.RawSize);
    EXPECT_EQ(reloc.RawPointer % test::kFileAlignment, 0u);
    EXPECT_EQ(image.Directory(5).Rva, reloc.VirtualAddress);
    EXPECT_EQ(ReadU32(bytes.data() + test::DirectoryAt(format, 5)), reloc.VirtualAddress);
    const auto moved = image.BytesAt(reloc.VirtualAddress, static_cast<uint32_t>(kRelocations.size()));
    EXPECT_EQ(std::vector<uint8_t>(moved.begin(), moved.end()), kRelocations);
    EXPECT_EQ(ReadU32(bytes.data() + kOptionalHeader + 56), reloc.VirtualAddress + test::kSectionAlignment);
    EXPECT_EQ(ReadU32(bytes.data() + test::kCheckSumAt), TPeImage::CheckSum(bytes, test::kCheckSumAt));
    EXPECT_NE(ReadU32(bytes.data() + test::kCheckSumAt), 0u);
    // The image ends where the last section's data end: an archive appended
    // to it is found.
    EXPECT_EQ(static_cast<size_t>(reloc.RawPointer + reloc.RawSize), bytes.size());
    EXPECT_EQ(PeImageEnd(test::HeaderReader(bytes)), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(PeMachine(test::HeaderReader(bytes)), format.Machine);
  }
}

// A section after the resources moves only when what points into it holds
// no address of its own data: the base relocations and the exception table
// (64-bit unwinding) may move, the imports (whose tables point at each
// other) and the debug directory (a file offset) may not.
TEST(PeResourceEditorTest, OnlyRelocationsAndUnwindTablesMoveAfterTheResources) {
  struct TCase {
    size_t Directory;
    bool Moves;
  };
  for (const test::TPeFormat& format : test::kPeFormats) {
    for (const TCase c : {TCase{5, true}, TCase{3, true}, TCase{1, false}, TCase{6, false}}) {
      SCOPED_TRACE(std::string(format.Name) + ", directory " + std::to_string(c.Directory));
      std::vector<uint8_t> bytes = test::MakeProgram(RuntimeResources(), format);
      const uint32_t reloc = ReadU32(bytes.data() + test::DirectoryAt(format, 5));
      test::PutU32(bytes, test::DirectoryAt(format, 5), 0);
      test::PutU32(bytes, test::DirectoryAt(format, 5) + 4, 0);
      test::PutU32(bytes, test::DirectoryAt(format, c.Directory), reloc);
      test::PutU32(bytes, test::DirectoryAt(format, c.Directory) + 4, 12);
      TPeResourceEditor editor(u"app.exe", bytes);
      editor.ReplaceMainIcon(IconOf(64));
      try {
        const TPeImage image(editor.Bytes());
        EXPECT_TRUE(c.Moves) << "moved";
        EXPECT_EQ(image.Directory(c.Directory).Rva, image.Sections()[2].VirtualAddress);
        EXPECT_NE(image.Sections()[2].VirtualAddress, reloc);
      } catch (const Exception& error) {
        EXPECT_FALSE(c.Moves) << error.what();
        EXPECT_EQ(error.Message(),
                  u"\"app.exe\" is not a usable Windows program: section \".reloc\" "
                  u"follows the resources and cannot be moved");
      }
    }
  }
}

TEST(PeResourceEditorTest, WithoutAMainIconTheErrorIsTheWindowsOne) {
  TPeResources noGroup;
  noGroup.Set(kIconType, TResourceKey::FromId(1), 0, Bytes("x"));
  TPeResources otherGroup = noGroup;
  otherGroup.Set(kGroupType, TResourceKey::FromText(u"APPICON"), 0, Group({1}));
  for (const auto& [resources, code] : {std::pair{noGroup, 1813}, std::pair{otherGroup, 1814}}) {
    TPeResourceEditor editor(u"app.exe", test::MakeProgram(resources));
    try {
      editor.ReplaceMainIcon(IconOf(16));
      FAIL() << "no error";
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), u"Resource update error: FindResource failed (1) (" + IntToStr(code) + u")");
    }
  }
}

TEST(PeResourceEditorTest, VersionStringsAndNumbersAreSet) {
  for (const test::TPeFormat& format : test::kPeFormats) {
    SCOPED_TRACE(format.Name);
    TPeResourceEditor editor(u"app.exe", test::MakeProgram(RuntimeResources(), format));
    editor.SetVersionStrings({{u"ProductName", u"Notes"},
                              {u"CompanyName", u"Example Ltd"},
                              {u"FileVersion", u"2.5.1"},
                              {u"ProductVersion", u"2.5 beta"}});
    const TPeResources read = TPeResources::Read(TPeImage(editor.Bytes()));
    const TResource* resource = read.Find(kVersionType, TResourceKey::FromId(1));
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->Language, 1033);
    const TVersionInfo version = TVersionInfo::Parse(resource->Data);
    EXPECT_EQ(version.GetString(u"ProductName"), u"Notes");
    EXPECT_EQ(version.GetString(u"CompanyName"), u"Example Ltd");
    EXPECT_EQ(version.GetString(u"ProductVersion"), u"2.5 beta");
    // The fixed part: file version 2.5.1.0; the product version is no
    // number and stays 0.
    const std::vector<uint8_t> built = version.Build();
    const size_t fixed = 40;  // header, "VS_VERSION_INFO" and its end, aligned
    EXPECT_EQ(ReadU32(built.data() + fixed), 0xFEEF04BDu);
    EXPECT_EQ(ReadU32(built.data() + fixed + 8), 0x00020005u);
    EXPECT_EQ(ReadU32(built.data() + fixed + 12), 0x00010000u);
    EXPECT_EQ(ReadU32(built.data() + fixed + 16), 0u);
  }
}

// The checksum of a whole file on disk, summed block by block, is the one of
// its bytes in memory: also across a block boundary and with an odd length
// (the last byte counts, as the image help library has it).
TEST(PeCheckSumTest, TheFileChecksumCoversEveryByte) {
  for (const test::TPeFormat& format : test::kPeFormats) {
    SCOPED_TRACE(format.Name);
    std::vector<uint8_t> bytes = test::MakeProgram(RuntimeResources(), format);
    bytes.resize(200001, 0x5A);
    TMemoryStream file;
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    TPeCheckSum::Update(file);
    std::vector<uint8_t> written(bytes.size());
    file.SetPosition(0);
    file.ReadBuffer(written.data(), static_cast<int64_t>(written.size()));
    const uint32_t expected = TPeImage::CheckSum(bytes, test::kCheckSumAt);
    EXPECT_EQ(ReadU32(written.data() + test::kCheckSumAt), expected);
    std::copy_n(written.begin() + test::kCheckSumAt, 4, bytes.begin() + test::kCheckSumAt);
    EXPECT_EQ(written, bytes);
    // One byte more or less changes it; a file that is not PE is left alone.
    EXPECT_NE(TPeImage::CheckSum(std::span(bytes).first(bytes.size() - 1), test::kCheckSumAt), expected);
  }
  TMemoryStream text;
  text.WriteBuffer("not a program at all, but long enough to be read: 0123456789", 60);
  TPeCheckSum::Update(text);
  EXPECT_EQ(text.Size(), 60);
}

TEST(VersionInfoTest, VersionNumbers) {
  EXPECT_EQ(ParseVersionNumbers(u"1"), (std::array<uint16_t, 4>{1, 0, 0, 0}));
  EXPECT_EQ(ParseVersionNumbers(u"1.2.3.65535"), (std::array<uint16_t, 4>{1, 2, 3, 65535}));
  for (const StringView text : {u"", u"1.", u".1", u"1.2.3.4.5", u"65536", u"1.x", u"1..2"}) {
    EXPECT_FALSE(ParseVersionNumbers(text).has_value()) << ToUtf8(text);
  }
}

// A table of damaged images: each is refused with an error that names the
// fault, never read past its end.
TEST(PeResourceEditorTest, DamagedImagesAreRefused) {
  const std::vector<uint8_t> good = test::MakeProgram(RuntimeResources());
  const size_t rsrc = 0x400;
  struct TCase {
    const char* Fault;
    std::function<void(std::vector<uint8_t>&)> Damage;
    const char* Message;
  };
  const TCase cases[] = {
      {"truncated section table", [](auto& b) { b.resize(test::kSectionTable + 50); },
       "the section table is truncated"},
      {"section past the end", [](auto& b) { test::PutU32(b, test::kSectionTable + 40 + 16, 0x100000); },
       "\".rsrc\" runs past the end of the file"},
      {"no PE header", [](auto& b) { b[0x40] = 'X'; }, "no PE header"},
      {"header offset past the end", [](auto& b) { test::PutU32(b, 0x3C, 0xFFFFFFF0); }, "no PE header"},
      {"directory loop", [=](auto& b) { test::PutU32(b, rsrc + 16 + 4, 0x80000000); },
       "a directory refers back to itself"},
      {"entry count past the section", [=](auto& b) { test::PutU16(b, rsrc + 14, 0xFFFF); },
       "the resource section ends inside a directory's entries"},
      {"name offset past the section", [=](auto& b) { test::PutU32(b, rsrc + 16, 0x8FFFFFF0); },
       "the resource section ends inside a name"},
      {"resource data outside the file",
       [=](auto& b) {
         // The first data entry follows the directories: found through the
         // first language directory's entry.
         const uint32_t typeDir = b[rsrc + 16 + 4] | (b[rsrc + 16 + 5] << 8);
         const uint32_t nameDir = b[rsrc + typeDir + 16 + 4] | (b[rsrc + typeDir + 16 + 5] << 8);
         const uint32_t entry = b[rsrc + nameDir + 16 + 4] | (b[rsrc + nameDir + 16 + 5] << 8);
         test::PutU32(b, rsrc + entry, 0x7FFF0000);
       },
       "a resource's data lie outside the file"},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.Damage(bytes);
    try {
      TPeResourceEditor editor(u"app.exe", bytes);
      FAIL() << c.Fault << ": no error";
    } catch (const Exception& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find("\"app.exe\""), std::string::npos) << c.Fault << ": " << message;
      EXPECT_NE(message.find(c.Message), std::string::npos) << c.Fault << ": " << message;
    }
  }
}

// A section without bytes in the file (raw size 0) may name any file
// offset: the loader ignores it, and so must the relayout. Neither the
// resource section nor one after it is read or sized from such an offset.
TEST(PeResourceEditorTest, SectionsWithoutRawDataAreNotReadFromTheirOffset) {
  const std::vector<uint8_t> good = test::MakeProgram(RuntimeResources());
  const size_t rsrcHeader = test::kSectionTable + 40;
  const size_t relocHeader = test::kSectionTable + 80;
  struct TCase {
    const char* Fault;
    std::function<void(std::vector<uint8_t>&)> Damage;
    const char* Message;  // nullptr: rewritten, and reads again
  };
  const TCase cases[] = {
      // The two inputs the fuzzer found: a 4 GB allocation, a read past the
      // end of the bytes.
      {"empty resource section far past the end",
       [=](auto& b) {
         test::PutU32(b, rsrcHeader + 16, 0);
         test::PutU32(b, rsrcHeader + 20, 0xFFFFF000);
         test::PutU32(b, relocHeader + 16, 0);
         test::PutU32(b, relocHeader + 20, 0x7FFFFFF0);
         test::PutU32(b, test::DirectoryAt(test::kPe32, 2) + 4, 0);
       },
       "the resource section lies outside the file"},
      {"empty resource section just past the end",
       [=](auto& b) {
         test::PutU32(b, rsrcHeader + 16, 0);
         test::PutU32(b, rsrcHeader + 20, static_cast<uint32_t>(b.size() + 0x1000));
         test::PutU32(b, relocHeader + 16, 0);
         test::PutU32(b, relocHeader + 20, 0);
         test::PutU32(b, test::DirectoryAt(test::kPe32, 2) + 4, 0);
       },
       "the resource section lies outside the file"},
      {"empty relocations far past the end",
       [=](auto& b) {
         test::PutU32(b, relocHeader + 16, 0);
         test::PutU32(b, relocHeader + 20, 0x7FFFFFF0);
       },
       nullptr},
  };
  for (const TCase& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.Damage(bytes);
    try {
      TPeResourceEditor editor(u"app.exe", bytes);
      editor.SetVersionStrings({{u"ProductName", u"Changed"}});
      const std::vector<uint8_t> written = editor.Bytes();
      EXPECT_EQ(c.Message, nullptr) << c.Fault << ": no error";
      const TPeResources read = TPeResources::Read(TPeImage(written));
      EXPECT_NE(read.Find(kVersionType, TResourceKey::FromId(1)), nullptr) << c.Fault;
      EXPECT_LE(written.size(), bytes.size() + 0x1000) << c.Fault;
    } catch (const Exception& error) {
      ASSERT_NE(c.Message, nullptr) << c.Fault << ": " << error.what();
      EXPECT_NE(std::string(error.what()).find(c.Message), std::string::npos) << c.Fault << ": " << error.what();
    }
  }
}

TEST(PeResourceEditorTest, ASignedProgramIsNotRewritten) {
  for (const test::TPeFormat& format : test::kPeFormats) {
    SCOPED_TRACE(format.Name);
    std::vector<uint8_t> bytes = test::MakeProgram(RuntimeResources(), format);
    const uint32_t end = static_cast<uint32_t>(bytes.size());
    bytes.resize(end + 16, 0);
    test::PutU32(bytes, test::DirectoryAt(format, 4), end);
    test::PutU32(bytes, test::DirectoryAt(format, 4) + 4, 16);
    TPeResourceEditor editor(u"app.exe", bytes);
    editor.ReplaceMainIcon(IconOf(16));
    try {
      (void)editor.Bytes();
      FAIL() << "no error";
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(),
                u"\"app.exe\" is not a usable Windows program: it is signed; change its resources "
                u"before signing it");
    }
    // And the archive of a signed program ends where the signature starts.
    EXPECT_EQ(PeCertificateTableStart(test::HeaderReader(bytes)), end);
    EXPECT_EQ(PeCertificateTableStart(test::HeaderReader(test::MakeProgram(RuntimeResources(), format))), -1);
  }
}

}  // namespace
}  // namespace lumora
