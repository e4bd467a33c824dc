#pragma once
// Screenshot galleries: tests that grab screens in light and dark for a person to look at. They are
// left out of ctest and skip unless asked for; the build's `tolvex_gallery` target runs them all:
//   cmake --build build --target tolvex_gallery      (PNGs in build/gallery)
#include <gtest/gtest.h>

#include <QString>

#define TOLVEX_GALLERY_ONLY()                                                            \
  do {                                                                                   \
    if (qEnvironmentVariable("TOLVEX_GALLERY") != QLatin1String("1"))                    \
      GTEST_SKIP() << "a screenshot gallery: build the tolvex_gallery target to run it"; \
  } while (false)
