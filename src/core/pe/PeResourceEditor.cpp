#include "core/pe/PeResourceEditor.h"

#include "os/IconFile.h"
#include "base/ResourceUpdateError.h"
#include "base/Stream.h"
#include "os/File.h"
#include "core/pe/PeErrors.h"
#include "core/pe/VersionInfo.h"

namespace lumora {

namespace {

constexpr uint32_t kErrorResourceTypeNotFound = 1813;
constexpr uint32_t kErrorResourceNameNotFound = 1814;
constexpr StringView kMainIcon = u"MAINICON";
const TResourceKey kVersionName = TResourceKey::FromId(1);

std::vector<uint8_t> ReadProgram(const String& path) {
  TFileStream file(path, TFileAccess::Read, TFileShare::Read, TFileCreation::OpenExisting);
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  file.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

// The layers' errors say what is wrong; the file's name is added here.
template <typename TRead>
auto Named(const String& path, TRead read) {
  try {
    return read();
  } catch (const EPeImageError& error) {
    throw Exception(Format(u"\"%s\" is %s", {path, error.Message()}));
  } catch (const EPeResourceError& error) {
    throw Exception(Format(u"\"%s\" has a %s", {path, error.Message()}));
  } catch (const EVersionInfoError& error) {
    throw Exception(Format(u"\"%s\" has a %s", {path, error.Message()}));
  }
}

}  // namespace

TPeResourceEditor::TPeResourceEditor(const String& path) : TPeResourceEditor(path, ReadProgram(path)) {}

TPeResourceEditor::TPeResourceEditor(const String& path, std::vector<uint8_t> bytes)
    : FPath(path),
      FImage(Named(path, [&] { return TPeImage(std::move(bytes)); })),
      FResources(Named(path, [&] { return TPeResources::Read(FImage); })) {}

void TPeResourceEditor::ReplaceMainIcon(const std::vector<uint8_t>& icon) {
  const TResourceKey groupType = TResourceKey::FromId(TPeResources::kGroupIcon);
  const TResourceKey iconType = TResourceKey::FromId(TPeResources::kIcon);
  const TResourceKey mainIcon = TResourceKey::FromText(kMainIcon);
  const TResource* old = FResources.Find(groupType, mainIcon);
  if (old == nullptr) {
    throw EResourceUpdateError(u"FindResource failed (1)",
                               FResources.HasType(groupType) ? kErrorResourceNameNotFound : kErrorResourceTypeNotFound);
  }
  const TIconGroupInfo group = TIconFile::ReadGroup(old->Data.data(), old->Data.size());
  FResources.Remove(groupType, mainIcon, old->Language);
  for (const uint16_t id : group.ImageIds) {
    if (const TResource* image = FResources.Find(iconType, TResourceKey::FromId(id))) {
      FResources.Remove(iconType, TResourceKey::FromId(id), image->Language);
    }
  }
  const std::vector<TIconImage> images = TIconFile::Images(icon);
  for (size_t j = 0; j < images.size(); ++j) {
    const auto first = icon.begin() + images[j].Offset;
    FResources.Set(iconType, TResourceKey::FromId(static_cast<uint16_t>(j + 1)), kLanguage,
                   std::vector<uint8_t>(first, first + images[j].Size));
  }
  FResources.Set(groupType, mainIcon, kLanguage, TIconFile::GroupDirectory(icon, group.Reserved, group.Type));
}

void TPeResourceEditor::SetVersionStrings(const std::vector<std::pair<String, String>>& strings) {
  const TResourceKey versionType = TResourceKey::FromId(TPeResources::kVersion);
  const TResource* old = FResources.Find(versionType, kVersionName);
  TVersionInfo info = old == nullptr ? TVersionInfo() : Named(FPath, [&] { return TVersionInfo::Parse(old->Data); });
  for (const auto& [name, value] : strings) info.SetString(name, value);
  const uint16_t language = old == nullptr ? kLanguage : old->Language;
  FResources.Set(versionType, kVersionName, language, Named(FPath, [&] { return info.Build(); }));
}

std::vector<uint8_t> TPeResourceEditor::Bytes() const {
  TPeImage image = FImage;
  Named(FPath, [&] {
    image.ReplaceResources([this](uint32_t rva) { return FResources.Build(rva); });
    return 0;
  });
  return image.Bytes();
}

void TPeResourceEditor::Save() const {
  const std::vector<uint8_t> bytes = Bytes();
  TFileStream file(FPath, TFileAccess::Write, TFileShare::None, TFileCreation::CreateAlways);
  file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

}  // namespace lumora
