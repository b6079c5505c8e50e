#include "core/pe/PeResources.h"

#include <algorithm>
#include <set>
#include <span>

#include "base/ByteOrder.h"
#include "core/pe/PeErrors.h"
#include "core/pe/PeImage.h"

namespace lumora {

namespace {

constexpr uint32_t kHighBit = 0x80000000;
constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
// Type, name, language.
constexpr int kLevels = 3;

// Named entries come first, ordered by their text, then numbered ones by
// number: the order the loader's binary search expects.
bool KeyLess(const TResourceKey& a, const TResourceKey& b) {
  if (a.IsString != b.IsString) return a.IsString;
  return a.IsString ? a.Text < b.Text : a.Id < b.Id;
}

bool ResourceLess(const TResource& a, const TResource& b) {
  if (!(a.Type == b.Type)) return KeyLess(a.Type, b.Type);
  if (!(a.Name == b.Name)) return KeyLess(a.Name, b.Name);
  return a.Language < b.Language;
}

// Walks the directory with every offset checked against the section, each
// directory visited once (so a loop ends in an error), and the data copied
// out adding up to no more than the file holds (so entries sharing one
// large block cannot multiply it).
class TDirectoryReader {
 public:
  TDirectoryReader(const TPeImage& image, std::span<const uint8_t> section) : FImage(image), FSection(section) {}

  std::vector<TResource> Read() {
    TResource path;
    ReadDirectory(0, 0, path);
    return std::move(FItems);
  }

 private:
  const uint8_t* At(uint64_t offset, uint64_t size, StringView what) const {
    if (offset + size > FSection.size()) {
      throw EPeResourceError(u"the resource section ends inside " + String(what));
    }
    return FSection.data() + offset;
  }

  TResourceKey Key(uint32_t field) const {
    if ((field & kHighBit) == 0) return TResourceKey::FromId(static_cast<uint16_t>(field));
    const uint32_t offset = field & ~kHighBit;
    const uint16_t length = ReadU16(At(offset, 2, u"a name"));
    const uint8_t* text = At(uint64_t{offset} + 2, uint64_t{length} * 2, u"a name");
    String name(length, u'\0');
    for (uint16_t i = 0; i < length; ++i) name[i] = static_cast<char16_t>(ReadU16(text + 2 * i));
    return TResourceKey::FromText(name);
  }

  void ReadDirectory(uint32_t offset, int level, TResource& path) {
    if (!FVisited.insert(offset).second) throw EPeResourceError(u"a directory refers back to itself");
    const uint8_t* header = At(offset, kDirectoryHeaderSize, u"a directory");
    const size_t count = size_t{ReadU16(header + 12)} + ReadU16(header + 14);
    const uint8_t* entries =
        At(uint64_t{offset} + kDirectoryHeaderSize, uint64_t{count} * kDirectoryEntrySize, u"a directory's entries");
    for (size_t i = 0; i < count; ++i) {
      const uint32_t nameField = ReadU32(entries + kDirectoryEntrySize * i);
      const uint32_t dataField = ReadU32(entries + kDirectoryEntrySize * i + 4);
      const TResourceKey key = Key(nameField);
      const bool isDirectory = (dataField & kHighBit) != 0;
      if (level < kLevels - 1) {
        if (!isDirectory) throw EPeResourceError(u"a resource lies above the language level");
        (level == 0 ? path.Type : path.Name) = key;
        ReadDirectory(dataField & ~kHighBit, level + 1, path);
      } else {
        if (isDirectory) throw EPeResourceError(u"directories nest deeper than three levels");
        if (key.IsString) throw EPeResourceError(u"a language is given by name");
        ReadData(dataField, key.Id, path);
      }
    }
  }

  void ReadData(uint32_t offset, uint16_t language, const TResource& path) {
    const uint8_t* entry = At(offset, kDataEntrySize, u"a data entry");
    const uint32_t rva = ReadU32(entry);
    const uint32_t size = ReadU32(entry + 4);
    FCopied += size;
    if (FCopied > FImage.Bytes().size()) {
      throw EPeResourceError(u"the resources' data add up to more than the file holds");
    }
    std::span<const uint8_t> data;
    try {
      data = FImage.BytesAt(rva, size);
    } catch (const EPeImageError&) {
      throw EPeResourceError(u"a resource's data lie outside the file");
    }
    FItems.push_back(
        TResource{path.Type, path.Name, language, ReadU32(entry + 8), std::vector<uint8_t>(data.begin(), data.end())});
  }

  const TPeImage& FImage;
  std::span<const uint8_t> FSection;
  std::set<uint32_t> FVisited;
  uint64_t FCopied = 0;
  std::vector<TResource> FItems;
};

size_t Align(size_t value, size_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// The items, sorted, as ranges of one type and, within it, of one name.
struct TNameRun {
  size_t First = 0;
  size_t Count = 0;
};
struct TTypeRun {
  std::vector<TNameRun> Names;
};

std::vector<TTypeRun> Runs(const std::vector<TResource>& items) {
  std::vector<TTypeRun> types;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i == 0 || !(items[i].Type == items[i - 1].Type)) types.emplace_back();
    if (i == 0 || !(items[i].Type == items[i - 1].Type) || !(items[i].Name == items[i - 1].Name)) {
      types.back().Names.push_back({i, 0});
    }
    ++types.back().Names.back().Count;
  }
  return types;
}

}  // namespace

TPeResources TPeResources::Read(const TPeImage& image) {
  TPeResources resources;
  const TPeDirectory directory = image.Directory(TPeImage::kResourceDirectory);
  if (directory.Rva == 0 || directory.Size == 0) return resources;
  std::span<const uint8_t> section;
  try {
    section = image.SectionTail(directory.Rva);
  } catch (const EPeImageError&) {
    throw EPeResourceError(u"it lies outside the file");
  }
  resources.FItems = TDirectoryReader(image, section).Read();
  std::stable_sort(resources.FItems.begin(), resources.FItems.end(), ResourceLess);
  return resources;
}

std::vector<uint8_t> TPeResources::Build(uint32_t rva) const {
  const std::vector<TTypeRun> types = Runs(FItems);
  // Directories first, then the data entries, the names and the data.
  size_t at = kDirectoryHeaderSize + kDirectoryEntrySize * types.size();
  std::vector<size_t> typeDirectories;
  for (const TTypeRun& type : types) {
    typeDirectories.push_back(at);
    at += kDirectoryHeaderSize + kDirectoryEntrySize * type.Names.size();
  }
  std::vector<size_t> nameDirectories;
  for (const TTypeRun& type : types) {
    for (const TNameRun& name : type.Names) {
      nameDirectories.push_back(at);
      at += kDirectoryHeaderSize + kDirectoryEntrySize * name.Count;
    }
  }
  const size_t dataEntries = at;
  at += kDataEntrySize * FItems.size();
  std::vector<uint8_t> out(at);
  auto addName = [&out](const TResourceKey& key) -> uint32_t {
    if (!key.IsString) return key.Id;
    const size_t offset = out.size();
    out.resize(offset + 2 + 2 * key.Text.size());
    WriteU16(out.data() + offset, static_cast<uint16_t>(key.Text.size()));
    for (size_t i = 0; i < key.Text.size(); ++i) WriteU16(out.data() + offset + 2 + 2 * i, key.Text[i]);
    return kHighBit | static_cast<uint32_t>(offset);
  };
  auto putDirectory = [&out](size_t offset, size_t named, size_t numbered) {
    WriteU16(out.data() + offset + 12, static_cast<uint16_t>(named));
    WriteU16(out.data() + offset + 14, static_cast<uint16_t>(numbered));
  };
  auto putEntry = [&out](size_t directory, size_t index, uint32_t name, uint32_t data) {
    const size_t entry = directory + kDirectoryHeaderSize + kDirectoryEntrySize * index;
    WriteU32(out.data() + entry, name);
    WriteU32(out.data() + entry + 4, data);
  };

  size_t named = 0;
  for (const TTypeRun& type : types) named += FItems[type.Names.front().First].Type.IsString;
  putDirectory(0, named, types.size() - named);
  size_t nameIndex = 0;
  for (size_t t = 0; t < types.size(); ++t) {
    const TTypeRun& type = types[t];
    putEntry(0, t, addName(FItems[type.Names.front().First].Type),
             kHighBit | static_cast<uint32_t>(typeDirectories[t]));
    size_t namedNames = 0;
    for (const TNameRun& name : type.Names) namedNames += FItems[name.First].Name.IsString;
    putDirectory(typeDirectories[t], namedNames, type.Names.size() - namedNames);
    for (size_t n = 0; n < type.Names.size(); ++n, ++nameIndex) {
      const TNameRun& name = type.Names[n];
      const size_t languages = nameDirectories[nameIndex];
      putEntry(typeDirectories[t], n, addName(FItems[name.First].Name), kHighBit | static_cast<uint32_t>(languages));
      putDirectory(languages, 0, name.Count);
      for (size_t l = 0; l < name.Count; ++l) {
        const size_t item = name.First + l;
        putEntry(languages, l, FItems[item].Language, static_cast<uint32_t>(dataEntries + kDataEntrySize * item));
      }
    }
  }
  for (size_t item = 0; item < FItems.size(); ++item) {
    const std::vector<uint8_t>& data = FItems[item].Data;
    const size_t offset = Align(out.size(), 8);
    out.resize(offset);
    out.insert(out.end(), data.begin(), data.end());
    const size_t entry = dataEntries + kDataEntrySize * item;
    WriteU32(out.data() + entry, rva + static_cast<uint32_t>(offset));
    WriteU32(out.data() + entry + 4, static_cast<uint32_t>(data.size()));
    WriteU32(out.data() + entry + 8, FItems[item].CodePage);
  }
  out.resize(Align(out.size(), 8));
  return out;
}

const TResource* TPeResources::Find(const TResourceKey& type, const TResourceKey& name) const {
  for (const TResource& item : FItems) {
    if (item.Type == type && item.Name == name) return &item;
  }
  return nullptr;
}

bool TPeResources::HasType(const TResourceKey& type) const {
  return std::any_of(FItems.begin(), FItems.end(), [&](const TResource& item) { return item.Type == type; });
}

void TPeResources::Remove(const TResourceKey& type, const TResourceKey& name, uint16_t language) {
  std::erase_if(FItems, [&](const TResource& item) {
    return item.Type == type && item.Name == name && item.Language == language;
  });
}

void TPeResources::Set(const TResourceKey& type, const TResourceKey& name, uint16_t language,
                       std::vector<uint8_t> data) {
  for (TResource& item : FItems) {
    if (item.Type == type && item.Name == name && item.Language == language) {
      item.Data = std::move(data);
      return;
    }
  }
  FItems.push_back(TResource{type, name, language, 0, std::move(data)});
  std::stable_sort(FItems.begin(), FItems.end(), ResourceLess);
}

}  // namespace lumora
