// lumora_resource_probe PROGRAM FOLDER: reads a program's resources back
// the way Windows reads them and writes what it finds into FOLDER:
// icon.ico, the main icon group with its images as an icon file (the
// layout icon files have: header, entries, images in order); manifest.xml,
// the manifest; version.txt, "Name=value" lines of the version strings and
// the fixed part's file version. Exit 1 when something is missing.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string Resource(HMODULE module, LPCWSTR type, LPCWSTR name) {
  HRSRC found = ::FindResourceW(module, name, type);
  if (!found) return {};
  const auto* data = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
  return data ? std::string(data, ::SizeofResource(module, found)) : std::string();
}

void PutLe(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint16_t U16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

bool Write(const std::wstring& path, const std::string& bytes) {
  std::ofstream file(path.c_str(), std::ios::binary);
  file << bytes;
  return static_cast<bool>(file);
}

std::string Utf8(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size - 1 : 0, '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: lumora_resource_probe PROGRAM FOLDER\n");
    return 2;
  }
  const std::wstring program = argv[1];
  const std::wstring folder = std::wstring(argv[2]) + L"\\";
  HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    std::fprintf(stderr, "cannot load the program (%lu)\n", ::GetLastError());
    return 1;
  }
  int status = 0;
  const std::string group = Resource(module, RT_GROUP_ICON, L"MAINICON");
  if (group.size() < 6) {
    std::fprintf(stderr, "no MAINICON group\n");
    status = 1;
  } else {
    const uint16_t count = U16(group, 4);
    std::string header = group.substr(0, 6);
    std::string images;
    uint32_t offset = 6 + 16u * count;
    for (uint16_t j = 0; j < count && 6 + 14u * (j + 1) <= group.size(); ++j) {
      const std::string entry = group.substr(6 + 14u * j, 14);
      const std::string image = Resource(module, RT_ICON, MAKEINTRESOURCEW(U16(entry, 12)));
      if (image.empty()) status = 1;
      header += entry.substr(0, 12);
      PutLe(header, offset, 4);
      offset += static_cast<uint32_t>(image.size());
      images += image;
    }
    if (!Write(folder + L"icon.ico", header + images)) status = 1;
  }
  if (!Write(folder + L"manifest.xml", Resource(module, RT_MANIFEST, MAKEINTRESOURCEW(1)))) status = 1;
  ::FreeLibrary(module);

  std::string lines;
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), &ignored);
  std::vector<char> block(size);
  if (size == 0 || !::GetFileVersionInfoW(program.c_str(), 0, size, block.data())) {
    std::fprintf(stderr, "no version resource\n");
    return 1;
  }
  for (const wchar_t* name : {L"ProductName", L"FileDescription", L"CompanyName", L"LegalCopyright", L"FileVersion",
                              L"ProductVersion", L"OriginalFilename"}) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) {
      lines += Utf8(name) + "=" + Utf8(value) + "\n";
    }
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
    lines += "fixed FileVersion=" + std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
             std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." + std::to_string(HIWORD(fixed->dwFileVersionLS)) +
             "." + std::to_string(LOWORD(fixed->dwFileVersionLS)) + "\n";
  }
  if (!Write(folder + L"version.txt", lines)) status = 1;
  return status;
}
