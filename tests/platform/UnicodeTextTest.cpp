#include <gtest/gtest.h>

#include <utility>

#include "platform/UnicodeText.h"

using namespace tolvex;

TEST(UnicodeText, FoldsLetterCaseOfAnyScript) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"com.Example.Editor", "COM.EXAMPLE.EDITOR", true},
      {"\xC3\x89"
       "diteur",
       "\xC3\xA9"
       "DITEUR",
       true},  // Éditeur / éDITEUR
      {"\xCE\xA3\xCE\xBF\xCF\x86\xCF\x8C\xCF\x82", "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8C\xCE\xA3",
       true},  // Σοφός / ΣΟΦΌΣ: final sigma
      {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80", "\xD0\xBF\xD0\xA0\xD0\x98\xD0\x9C\xD0\x95\xD0\xA0",
       true},  // Пример
      {"Stra\xC3\x9F"
       "e",
       "STRASSE", true},  // ß folds to ss
      {"\xE2\x84\xAA"
       "elvin",
       "kelvin", true},  // Kelvin sign
      {"editor", "editors", false},
      {"caf\xC3\xA9", "cafe", false},  // an accent is not a case
  };
  for (const Case& c : cases) EXPECT_EQ(foldCase(c.a) == foldCase(c.b), c.same) << c.a << " / " << c.b;
  // Bytes that are not UTF-8 pass through; only the ASCII letters around them fold.
  EXPECT_EQ(foldCase("AB\xFF\xFE"
                     "C"),
            "ab\xFF\xFE"
            "c");
  EXPECT_EQ(foldCase(""), "");
}

TEST(UnicodeText, UpperCasesTheFirstCharacterOnly) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"notes", "Notes"},
      {"Notes", "Notes"},
      {"\xC3\xA9t\xC3\xA9", "\xC3\x89t\xC3\xA9"},  // été → Été: a two-byte letter
      {"\xCF\x83\xCF\x83", "\xCE\xA3\xCF\x83"},    // σσ → Σσ
      {"\xC7\x86"
       "ab",
       "\xC7\x85"
       "ab"},  // ǆab → ǅab: a digraph takes its title case
      {"1st", "1st"},
      {"\xFF"
       "abc",
       "\xFF"
       "abc"},           // not UTF-8: left alone
      {"\xC3", "\xC3"},  // a cut sequence
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(withFirstCharacterUpperCased(text), expected) << text;
}

TEST(UnicodeText, CountsCharactersAsReadersSeeThem) {
  struct Case {
    const char* text;
    size_t characters;
  };
  const Case cases[] = {
      {"", 0},
      {"Pix", 3},
      {"\xC3\x91"
       "a\xC3\xB1",
       3},                  // Ñañ: 5 bytes, 3 characters
      {"Cafe\xCC\x81", 4},  // e + combining acute accent
      {"\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7"
       "ab",
       3},                              // a flag is one character
      {"\xE6\x97\xA5\xE6\x9C\xAC", 2},  // 日本
      {"a\xFF"
       "b",
       3},  // a stray byte counts as one
  };
  for (const Case& c : cases) EXPECT_EQ(characterCount(c.text), c.characters) << c.text;
}
