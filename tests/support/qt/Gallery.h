#pragma once
// Screenshot galleries: tests that grab screens in light and dark for a person to look at. They are
// left out of ctest and skip unless asked for; the build's `tolvex_gallery` target runs them all:
//   cmake --build build --target tolvex_gallery      (PNGs in build/gallery)
#include <gtest/gtest.h>

#include <QSize>
#include <QString>
#include <vector>

#define TOLVEX_GALLERY_ONLY()                                                            \
  do {                                                                                   \
    if (qEnvironmentVariable("TOLVEX_GALLERY") != QLatin1String("1"))                    \
      GTEST_SKIP() << "a screenshot gallery: build the tolvex_gallery target to run it"; \
  } while (false)

namespace tolvex::test {
// The sizes a screen is looked at: the smallest window, and a roomy one.
inline const std::vector<QSize> kGallerySizes = {QSize(1040, 680), QSize(1600, 1000)};
}  // namespace tolvex::test
