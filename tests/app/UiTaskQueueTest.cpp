#include <gtest/gtest.h>

#include <QThread>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "app/UiDispatch.h"
#include "support/qt/AppFixture.h"

using namespace tolvex;
using namespace tolvex::test;

// Work posted from many threads at once all arrives, on the owner's thread, each thread's in the
// order it was posted.
TEST(UiTaskQueue, PostsFromManyThreadsArriveAllAndInOrderPerThread) {
  constexpr int kThreads = 8, kPosts = 500;
  QObject owner;
  auto* queue = new UiTaskQueue(&owner);
  std::map<int, std::vector<int>> arrived;  // touched on this thread only
  int elsewhere = 0;
  QThread* const ui = QThread::currentThread();
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t)
    posters.emplace_back([&, t] {
      for (int i = 0; i < kPosts; ++i)
        queue->post([&, t, i] {
          if (QThread::currentThread() != ui) ++elsewhere;
          arrived[t].push_back(i);
        });
    });
  for (std::thread& poster : posters) poster.join();
  ASSERT_TRUE(waitUntil([&] {
    size_t total = 0;
    for (const auto& [thread, posts] : arrived) total += posts.size();
    return total == size_t{kThreads} * kPosts;
  }));
  EXPECT_EQ(elsewhere, 0);
  std::vector<int> expected(kPosts);
  for (int i = 0; i < kPosts; ++i) expected[static_cast<size_t>(i)] = i;
  for (const auto& [thread, posts] : arrived) EXPECT_EQ(posts, expected) << "thread " << thread;
}

// Once the owner is gone, nothing posted runs: neither what waited for the event loop nor what a
// poster hands over later; the work is let go rather than kept.
TEST(UiTaskQueue, NothingRunsOnceTheOwnerIsGone) {
  auto owner = std::make_unique<QObject>();
  auto* queue = new UiTaskQueue(owner.get());
  const UiPoster poster = queue->poster();
  int ran = 0;
  auto held = std::make_shared<int>(0);
  std::thread([&] {
    queue->post([&ran, held] { ++ran; });
    poster.post([&ran, held] { ++ran; });
  }).join();
  owner.reset();  // before the event loop saw the posts
  std::thread([&] { poster.post([&ran, held] { ++ran; }); }).join();
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(ran, 0);
  EXPECT_EQ(held.use_count(), 1) << "the dropped work still holds what it captured";
}
