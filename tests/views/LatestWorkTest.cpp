// Background work where only the newest request counts.
#include <gtest/gtest.h>

#include <atomic>

#include "support/qt/AppFixture.h"
#include "views/analysis/LatestWork.h"

using namespace tolvex;
using namespace tolvex::test;

TEST(LatestWork, OnlyTheNewestRequestIsDeliveredAndWaitingOnesAreReplaced) {
  QObject owner;
  auto* work = new LatestWork(&owner);
  Gate gate;
  std::vector<std::string> ran, delivered;
  std::mutex ranMutex;
  auto job = [&](std::string name, bool wait) {
    return std::function<std::string()>([&, name, wait] {
      if (wait) gate.wait();
      std::lock_guard lock(ranMutex);
      ran.push_back(name);
      return name;
    });
  };
  auto deliver = [&](std::string& name) { delivered.push_back(name); };

  work->request<std::string>(job("first", true), deliver);
  ASSERT_TRUE(waitUntil([&] { return gate.someoneWaiting(); }));
  work->request<std::string>(job("second", false), deliver);  // waits, then is replaced
  work->request<std::string>(job("third", false), deliver);
  EXPECT_TRUE(work->busy());
  gate.open();
  ASSERT_TRUE(waitUntil([&] { return !work->busy(); }));
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "third"}));
  EXPECT_EQ(delivered, std::vector<std::string>{"third"});

  // Dropped: the running request's result goes nowhere.
  work->request<std::string>(job("fourth", false), deliver);
  work->drop();
  ASSERT_TRUE(waitUntil([&] { return !work->busy(); }));
  EXPECT_EQ(delivered, std::vector<std::string>{"third"});
}

TEST(LatestWork, NothingArrivesOnceTheOwnerIsGone) {
  std::atomic<int> delivered{0};
  Gate gate;
  {
    QObject owner;
    auto* work = new LatestWork(&owner);
    work->request<int>(
        [&] {
          gate.wait();
          return 1;
        },
        [&](int&) { ++delivered; });
    ASSERT_TRUE(waitUntil([&] { return gate.someoneWaiting(); }));
    gate.open();  // the owner goes while the work may still be running: it is waited for
  }
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(delivered.load(), 0);
}
