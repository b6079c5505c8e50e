#include "core/site/SiteRequestHandler.h"

#include <exception>
#include <string_view>
#include <unordered_map>

#include "base/Exception.h"
#include "core/StrUtils.h"
#include "core/site/TemplateDirective.h"
#include "core/site/TemplatePage.h"
#include "base/CodePage.h"

namespace lumora {

namespace {

String MessageOf(const std::exception& error) {
  if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->Message();
  return FromUtf8(error.what());
}

std::string_view BytesOf(const TMemoryStream& stream) {
  return std::string_view(reinterpret_cast<const char*>(stream.Memory()), stream.Bytes().size());
}

}  // namespace

int32_t FindTemplateEntry(const TAbZipKit& zipFile, StringView name) {
  return IsTemplatePageName(name) ? zipFile.FindFile(name) : -1;
}

TSiteRequestHandler::TSiteRequestHandler(TAbZipKit& zipFile, String appRootDir, TShowMessage showMessage)
    : FAppRootDir(std::move(appRootDir)), FZipFile(zipFile), FShowMessage(std::move(showMessage)) {}

void TSiteRequestHandler::HandleProtocolRequest(TInternetProtocol&, const String& Request,
                                                std::unique_ptr<TStream>& Stream) {
  const String name = TStrUtils::RemoveQueryFromUri(TStrUtils::RemoveSideSlashes(TStrUtils::UrlDecode(Request)));
  Stream.reset();
  const int32_t index = FZipFile.FindFile(name);
  if (index == -1) return;
  if (!IsTemplatePageName(name) &&
      FZipFile.Archive()->ItemList()[static_cast<size_t>(index)].UncompressedSize > kMaxMemoryEntry) {
    Stream = FZipFile.OpenEntryStream(index);
    if (Stream) return;
  }
  auto memory = std::make_unique<TMemoryStream>();
  TMemoryStream& page = *memory;
  Stream = std::move(memory);
  try {
    FZipFile.ExtractToStream(name, &page);
    if (IsTemplatePageName(name)) ExpandPageTemplates(page);
  } catch (const std::exception& error) {
    // Reported, and not served: the page as it stood would pass for whole.
    Stream.reset();
    FShowMessage(Format(u"File \"%s\" can't be read. Error message: %s.", {name, MessageOf(error)}));
  }
}

void TSiteRequestHandler::ExpandPageTemplates(TMemoryStream& Stream) {
  for (int pass = 1; ExpandPass(Stream) && pass < kMaxTemplatePasses; ++pass) {
  }
}

String TSiteRequestHandler::TemplateName(StringView directiveName) const {
  return TemplateEntryName(FAppRootDir, directiveName);
}

bool TSiteRequestHandler::ExpandPass(TMemoryStream& Stream) {
  // Windows-1252 on every machine, whatever the system's code page: it maps
  // each byte to one character and back, so the page's bytes (UTF-8 or any
  // 8-bit text) come out as they went in.
  const String text = DecodeWindows1252(BytesOf(Stream));
  // Exact and case-sensitive: a page with only "<!--TEMPLATE:" directives
  // is left alone.
  if (text.find(u"<!--template") == String::npos) return false;

  const TPcre2Pattern pattern = TemplateDirectivePattern();
  const std::string subject = ToUtf8(text);
  TTemplatePage page(text);
  // Entries already extracted in this pass, by archive index.
  std::unordered_map<int32_t, String> included;
  bool full = false;
  for (auto match = pattern.Match(subject); match; match = pattern.Match(subject, match->Groups[0].End)) {
    const String directive = FromUtf8(match->Group(subject, 0));
    // Nothing left to replace: the entry's text would change nothing.
    if (!page.Contains(directive)) continue;
    const String name = TemplateName(FromUtf8(match->Group(subject, 1)));
    const int32_t index = FindTemplateEntry(FZipFile, name);
    if (index == -1) continue;
    auto entry = included.find(index);
    if (entry == included.end()) {
      TMemoryStream buffer;
      FZipFile.ExtractToStream(name, &buffer);
      entry = included.emplace(index, DecodeWindows1252(BytesOf(buffer))).first;
    }
    if (!page.ReplaceAll(directive, entry->second, kMaxPageLength)) {
      full = true;
      break;
    }
  }

  const String expanded = page.Text();
  const std::string bytes = EncodeWindows1252(expanded);
  Stream.Clear();
  Stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  if (full) return false;

  // Only the first remaining directive decides whether another pass runs.
  const std::string next = ToUtf8(expanded);
  const auto first = pattern.Match(next);
  return first && FindTemplateEntry(FZipFile, TemplateName(FromUtf8(first->Group(next, 1)))) != -1;
}

}  // namespace lumora
