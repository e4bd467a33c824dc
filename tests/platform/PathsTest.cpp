#include <gtest/gtest.h>

#include "platform/Paths.h"

using namespace tolvex;

TEST(Paths, IsInsideIsComponentWise) {
  struct Case {
    const char* path;
    const char* folder;
    bool inside;
  };
  const Case cases[] = {
      {"/data/a", "/data", true}, {"/database", "/data", false},
      {"/data", "/data", false},  {"/data/", "/data", false},
      {"/usr", "/", true},        {"/", "/", false},
      {"/a/b/c", "/a/", true},    {"/a", "", false},
      {"/a/b", "/a/b/", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isInside(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
  EXPECT_TRUE(isSameOrInside("/data", "/data"));
  EXPECT_FALSE(isSameOrInside("/database", "/data"));
}

TEST(Paths, ComponentsAndNames) {
  EXPECT_EQ(lastPathComponent("/a/b"), "b");
  EXPECT_EQ(lastPathComponent("/a/b/"), "b");
  EXPECT_EQ(lastPathComponent("/"), "/");
  EXPECT_EQ(parentPath("/a/b"), "/a");
  EXPECT_EQ(parentPath("/a"), "/");
  EXPECT_EQ(appendPath("/", "x"), "/x");
  EXPECT_EQ(appendPath("/a", "x"), "/a/x");
  auto parts = pathComponents("//Users/x//Library/");
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0], "Users");
  EXPECT_EQ(parts[2], "Library");
  EXPECT_TRUE(pathComponents("/").empty());
}

TEST(Paths, ExtensionFollowsTheLastComponent) {
  EXPECT_EQ(pathExtension("/a/b.tar.gz"), "gz");
  EXPECT_EQ(pathExtension("/a/.bashrc"), "");
  EXPECT_EQ(pathExtension("/a.b/c"), "");
  EXPECT_EQ(pathExtension("/a/b.app/"), "");
  EXPECT_EQ(pathExtension("/a/b."), "");
  EXPECT_EQ(pathExtension("Photo.JPG"), "JPG");
}
