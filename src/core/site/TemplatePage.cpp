#include "core/site/TemplatePage.h"

#include "os/Locale.h"

namespace lumora {

namespace {

constexpr StringView kMarker = u"<!--TEMPLATE:";
constexpr StringView kArrow = u"-->";
// A directive's name has at least one character, so its "-->" starts at
// least this far after the directive's start.
constexpr size_t kFirstArrow = 14;

// Whether upper[from, to) ends in a proper start of the marker ("<",
// "<!", ... "<!--TEMPLATE"), which text placed after it could complete.
bool EndsInMarkerStart(const String& upper, size_t from, size_t to) {
  for (size_t k = 1; k < kMarker.size() && k <= to - from; ++k) {
    if (StringView(upper).substr(to - k, k) == kMarker.substr(0, k)) return true;
  }
  return false;
}

}  // namespace

TTemplatePage::TTemplatePage(String text, TStrategy strategy) : FLength(text.size()) {
  auto source = std::make_shared<const String>(std::move(text));
  const String upper = UpperCaseLocale(*source);
  std::vector<TCutPiece> pieces;
  if (strategy == TStrategy::Plain || !Cut(source, upper, false, pieces)) {
    FPlain = true;
    FText = *source;
    FUpper = upper;
    return;
  }
  for (TCutPiece& cut : pieces) {
    const auto piece = FPieces.insert(FPieces.end(), cut.Piece);
    if (cut.Piece.Directive) FDirectives[std::move(cut.Key)].push_back(piece);
  }
}

void TTemplatePage::AddPiece(std::vector<TCutPiece>& pieces, const std::shared_ptr<const String>& source, size_t offset,
                             size_t length, String key) {
  TCutPiece& cut = pieces.emplace_back();
  cut.Piece.Source = source;
  cut.Piece.Offset = offset;
  cut.Piece.Length = length;
  cut.Piece.Directive = !key.empty();
  cut.Key = std::move(key);
}

bool TTemplatePage::Cut(const std::shared_ptr<const String>& source, const String& upper, bool inserted,
                        std::vector<TCutPiece>& pieces) {
  size_t literal = 0;
  for (size_t start = upper.find(kMarker); start != String::npos; start = upper.find(kMarker, literal)) {
    const size_t arrow = upper.find(kArrow, start + kFirstArrow);
    if (arrow == String::npos) return false;
    const size_t end = arrow + kArrow.size();
    const size_t inner = upper.find(kMarker, start + 1);
    if (inner != String::npos && inner < end) return false;
    if (EndsInMarkerStart(upper, literal, start)) return false;
    if (start > literal) AddPiece(pieces, source, literal, start - literal, String());
    AddPiece(pieces, source, start, end - start, upper.substr(start, end - start));
    literal = end;
  }
  if (inserted && EndsInMarkerStart(upper, literal, upper.size())) return false;
  if (upper.size() > literal) AddPiece(pieces, source, literal, upper.size() - literal, String());
  return true;
}

bool TTemplatePage::Contains(StringView directive) const {
  const String key = UpperCaseLocale(directive);
  if (FPlain) return FUpper.find(key) != String::npos;
  const auto found = FDirectives.find(key);
  return found != FDirectives.end() && !found->second.empty();
}

bool TTemplatePage::ReplaceAll(StringView directive, StringView replacement, size_t maxLength) {
  const String key = UpperCaseLocale(directive);
  if (FPlain) return PlainReplaceAll(key, replacement, maxLength);
  const auto found = FDirectives.find(key);
  if (found == FDirectives.end() || found->second.empty()) return true;
  const size_t count = found->second.size();
  // Each occurrence is exactly key.size() long.
  if ((FLength - count * key.size()) + static_cast<double>(count) * replacement.size() > maxLength) return false;

  auto source = std::make_shared<const String>(replacement);
  const String upper = UpperCaseLocale(*source);
  std::vector<TCutPiece> pieces;
  if (!Cut(source, upper, true, pieces)) {
    UsePlain();
    return PlainReplaceAll(key, replacement, maxLength);
  }
  // The occurrences as they are now; what the inserted copies bring in is
  // for later replacements.
  const std::vector<TPieceList::iterator> targets = std::move(found->second);
  FDirectives.erase(found);
  for (const TPieceList::iterator target : targets) {
    for (const TCutPiece& cut : pieces) {
      const auto piece = FPieces.insert(target, cut.Piece);
      if (cut.Piece.Directive) FDirectives[cut.Key].push_back(piece);
    }
    FPieces.erase(target);
  }
  FLength = FLength - count * key.size() + count * replacement.size();
  return true;
}

bool TTemplatePage::PlainReplaceAll(const String& key, StringView replacement, size_t maxLength) {
  std::vector<size_t> positions;
  for (size_t at = FUpper.find(key); at != String::npos; at = FUpper.find(key, at + key.size())) {
    positions.push_back(at);
  }
  if (positions.empty()) return true;
  const size_t count = positions.size();
  if ((FLength - count * key.size()) + static_cast<double>(count) * replacement.size() > maxLength) return false;
  const String upperReplacement = UpperCaseLocale(replacement);
  String text;
  String upper;
  const size_t length = FLength - count * key.size() + count * replacement.size();
  text.reserve(length);
  upper.reserve(length);
  size_t copied = 0;
  for (const size_t at : positions) {
    text.append(FText, copied, at - copied).append(replacement);
    upper.append(FUpper, copied, at - copied).append(upperReplacement);
    copied = at + key.size();
  }
  text.append(FText, copied);
  upper.append(FUpper, copied);
  FText = std::move(text);
  FUpper = std::move(upper);
  FLength = length;
  return true;
}

void TTemplatePage::UsePlain() {
  FText = Text();
  FUpper = UpperCaseLocale(FText);
  FPieces.clear();
  FDirectives.clear();
  FPlain = true;
}

String TTemplatePage::Text() const {
  if (FPlain) return FText;
  String text;
  text.reserve(FLength);
  for (const TPiece& piece : FPieces) text.append(*piece.Source, piece.Offset, piece.Length);
  return text;
}

}  // namespace lumora
