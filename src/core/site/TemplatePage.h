// The working text of a page during one template pass, and the one edit a
// pass makes: every occurrence of a directive's text, compared in upper
// case, replaced by the included entry's text, left to right, without
// searching the inserted text again within that replacement.
//
// A plain implementation searches the whole page for every directive, which
// makes a page with n directives cost n times its length. This one cuts the
// page into literal text and directive pieces once: every occurrence of a
// directive's text begins with "<!--TEMPLATE:" (in upper case) and ends at
// the first "-->" after it, so the occurrences of a directive are exactly
// the pieces with its upper-cased text, found through a hash table. That
// holds while no directive can form across a piece boundary and directives
// do not nest; a page or included text that breaks this (an unclosed
// directive, a directive inside another's name, a text ending in the start
// of "<!--template:") turns the page back into one string, searched the
// plain way from then on, with the same result.
#pragma once

#include <cstddef>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/String.h"

namespace lumora {

class TTemplatePage {
 public:
  enum class TStrategy { Pieces, Plain };

  // text is the decoded page; Plain forces the plain search (for tests).
  explicit TTemplatePage(String text, TStrategy strategy = TStrategy::Pieces);

  // Whether the page holds directive's text, compared in upper case.
  bool Contains(StringView directive) const;

  // Replaces every occurrence of directive (a whole "<!--template:...-->"
  // match) by replacement. When the page would grow beyond maxLength code
  // units it changes nothing and returns false.
  bool ReplaceAll(StringView directive, StringView replacement, size_t maxLength);

  size_t Length() const { return FLength; }
  String Text() const;
  bool UsesPieces() const { return !FPlain; }

 private:
  struct TPiece {
    std::shared_ptr<const String> Source;
    size_t Offset = 0;
    size_t Length = 0;
    bool Directive = false;
  };
  using TPieceList = std::list<TPiece>;
  // A piece as cut, with the upper-cased text of a directive piece.
  struct TCutPiece {
    TPiece Piece;
    String Key;
  };

  // Cuts source into pieces; false when the piece rules above do not hold.
  // An inserted text must also not end in the start of a directive, since
  // unknown text follows it.
  static bool Cut(const std::shared_ptr<const String>& source, const String& upper, bool inserted,
                  std::vector<TCutPiece>& pieces);
  // A directive piece when key (its upper-cased text) is not empty.
  static void AddPiece(std::vector<TCutPiece>& pieces, const std::shared_ptr<const String>& source, size_t offset,
                       size_t length, String key);
  void UsePlain();
  bool PlainReplaceAll(const String& key, StringView replacement, size_t maxLength);

  bool FPlain = false;
  size_t FLength = 0;
  // Pieces mode.
  TPieceList FPieces;
  std::unordered_map<String, std::vector<TPieceList::iterator>> FDirectives;
  // Plain mode: the text and its upper-cased form, kept in step.
  String FText;
  String FUpper;
};

}  // namespace lumora
