#pragma once
// Case-insensitive comparison and character counts of UTF-8 text (names of files and bundles).
#include <cstddef>
#include <string>
#include <string_view>

namespace tolvex {

// `text` with Unicode case folding applied, so that two names that differ only in letter case fold
// to the same bytes ("Ångström" and "ÅNGSTRÖM", "ΣΑΣ" and "σας"). Bytes that are not well-formed
// UTF-8 are kept as they are, so a name that is not UTF-8 still folds to itself.
std::string foldCase(std::string_view text);

// `text` with its first character in title case ("école" gives "École", "notes" gives "Notes"). Text that
// does not start with well-formed UTF-8 is returned as it is.
std::string withFirstCharacterUpperCased(std::string_view text);

// How many characters a reader sees in `text`: grapheme clusters, so "e" followed by a combining
// accent is one character and a flag made of two regional indicators is one. A byte that is not
// well-formed UTF-8 counts as one character.
size_t characterCount(std::string_view text);

}  // namespace tolvex
