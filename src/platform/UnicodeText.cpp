#include "platform/UnicodeText.h"

#include <algorithm>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>
#include <unicode/utext.h>

namespace tolvex {

namespace {

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string foldCase(std::string_view text) {
  // Most names are ASCII: fold those here, without the cost of a call into ICU.
  if (isAscii(text)) {
    std::string folded(text);
    for (char& c : folded)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
  }
  std::string folded;
  icu::StringByteSink<std::string> sink(&folded);
  UErrorCode status = U_ZERO_ERROR;
  icu::CaseMap::utf8Fold(U_FOLD_CASE_DEFAULT, icu::StringPiece(text.data(), static_cast<int32_t>(text.size())), sink,
                         nullptr, status);
  return U_SUCCESS(status) ? folded : std::string(text);
}

std::string withFirstCharacterUpperCased(std::string_view text) {
  if (text.empty()) return {};
  int32_t end = 0;
  UChar32 first = 0;
  U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), end, static_cast<int32_t>(text.size()), first);
  if (first < 0) return std::string(text);
  const UChar32 upper = u_totitle(first);  // a digraph's title case: "ǆ" gives "ǅ"
  char bytes[U8_MAX_LENGTH];
  int32_t length = 0;
  UBool failed = false;
  U8_APPEND(reinterpret_cast<uint8_t*>(bytes), length, U8_MAX_LENGTH, upper, failed);
  if (failed) return std::string(text);
  return std::string(bytes, static_cast<size_t>(length)) + std::string(text.substr(static_cast<size_t>(end)));
}

size_t characterCount(std::string_view text) {
  if (isAscii(text)) return text.size();
  // A character break iterator is costly to make: one per thread, reused.
  thread_local std::unique_ptr<icu::BreakIterator> breaks;
  UErrorCode status = U_ZERO_ERROR;
  if (!breaks) {
    breaks.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !breaks) {
      breaks.reset();
      return text.size();
    }
  }
  UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
  if (U_FAILURE(status)) return text.size();
  breaks->setText(utext, status);
  size_t count = 0;
  if (U_SUCCESS(status)) {
    breaks->first();
    while (breaks->next() != icu::BreakIterator::DONE) ++count;
  } else {
    count = text.size();
  }
  // The iterator keeps its own clone of the text; the one opened here can go.
  utext_close(utext);
  return count;
}

}  // namespace tolvex
