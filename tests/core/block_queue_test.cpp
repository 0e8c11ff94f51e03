// The block queue: item layout and padding, reuse of the drained block, the
// size limit, order and freeing across block boundaries, exact-length
// matching, Clear while the consumer holds an item, and real threads.
#include "block_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "page_memory.h"

namespace {

// One-page blocks, so a few dozen items cross a block boundary.
class BlockQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(queue.Construct(1), 1); }
  void TearDown() override { queue.Destroy(); }

  int Push(const std::string& bytes) { return queue.Push(bytes.data(), bytes.size()); }
  std::string Pop() {
    size_t length = 0;
    char* data = queue.PopFront(&length);
    if (!data) return "<none>";
    std::string bytes(data, length);
    queue.Release(data);
    return bytes;
  }
  size_t Payload() const { return queue.BlockSize() - kQueueBlockHeaderSize; }

  BlockQueue queue;
};

// Item `seq` of `length` bytes: its number, then a byte pattern of it, so a
// reader can tell an item that was written over from a sound one.
std::string Item(uint32_t seq, size_t length) {
  std::string bytes(length, '\0');
  for (size_t i = 0; i < length; ++i) bytes[i] = char(seq * 7 + i);
  std::memcpy(&bytes[0], &seq, length < 4 ? length : 4);
  return bytes;
}

bool IsItem(const char* data, size_t length, uint32_t* seq) {
  if (length < 4) return false;
  std::memcpy(seq, data, 4);
  return std::string(data, length) == Item(*seq, length);
}

TEST(BlockQueueLayout, FootprintFollowsTheBuild) {
  // 32-bit: header 16, 4-byte padding; 64-bit: header 24, 8-byte padding.
  const bool wide = sizeof(void*) == 8;
  EXPECT_EQ(QueueItemFootprint(6), wide ? 32u : 24u);
  EXPECT_EQ(QueueItemFootprint(0), kQueueItemHeaderSize);
  EXPECT_EQ(QueueItemFootprint(kQueueItemAlign), kQueueItemHeaderSize + kQueueItemAlign);
  EXPECT_EQ(QueueItemFootprint(kQueueItemAlign + 1), kQueueItemHeaderSize + 2 * kQueueItemAlign);
  EXPECT_EQ(kQueueBlockHeaderSize, wide ? 16u : 8u);
}

TEST(BlockQueueLayout, ProcessQueuesHave64KiBBlocks) {
  BlockQueue* queues[] = {&OutputQueue, &ComparisonQueue};
  for (BlockQueue* q : queues) {
    if (65536 % PageSize() == 0) {
      EXPECT_EQ(q->BlockSize(), 65536u);
    }
    EXPECT_EQ(q->MaxItemLength(), (q->BlockSize() - kQueueBlockHeaderSize - kQueueItemHeaderSize) /
                                      kQueueItemAlign * kQueueItemAlign);
    EXPECT_EQ(q->BlockCount(), 1u);
    EXPECT_EQ(q->IsEmpty(), 1);
  }
  if (sizeof(void*) == 4 && OutputQueue.BlockSize() == 65536) {
    EXPECT_EQ(OutputQueue.MaxItemLength(), 65512u);
  }
}

TEST_F(BlockQueueTest, ItemsArePackedWithZeroPadding) {
  for (size_t length : {0, 1, 3, 4, 5, 6, 7, 8, 9, 13}) {
    // Dirty the block first, so padding that is not written shows.
    std::string dirt(64, '\xAA');
    ASSERT_EQ(Push(dirt), 1);
    Pop();
    // The item's zero bytes are data: length and type come from its header.
    ASSERT_EQ(queue.Push(Item(1, length).data(), length, -int32_t(length) - 1), 1);
    ASSERT_EQ(Push("x"), 1);
    size_t stored = 99;
    int32_t type = 0, secondType = 99;
    char* first = queue.PopFront(&stored, &type);
    char* second = queue.PopFront(nullptr, &secondType);
    EXPECT_EQ(stored, length);
    EXPECT_EQ(type, -int32_t(length) - 1);
    EXPECT_EQ(secondType, 0);
    EXPECT_EQ(size_t(second - first), QueueItemFootprint(length)) << length;
    EXPECT_EQ(std::string(first, length), Item(1, length));
    for (size_t i = length; i < QueueItemFootprint(length) - kQueueItemHeaderSize; ++i) {
      EXPECT_EQ(first[i], 0) << "padding of a " << length << "-byte item";
    }
    queue.Release(first);
    queue.Release(second);
  }
}

TEST_F(BlockQueueTest, DrainedQueueStartsAgainAtTheFrontOfItsBlock) {
  ASSERT_EQ(Push("ABCDEF"), 1);
  char* first = queue.PopFront();
  queue.Release(first);
  EXPECT_EQ(queue.IsEmpty(), 1);
  ASSERT_EQ(Push("GHIJKL"), 1);
  char* again = queue.PopFront();
  EXPECT_EQ(again, first);
  EXPECT_EQ(std::string(again, 6), "GHIJKL");
  queue.Release(again);
  EXPECT_EQ(queue.BlockCount(), 1u);
}

TEST_F(BlockQueueTest, RefusesWhatCannotFitABlock) {
  const size_t max = queue.MaxItemLength();
  EXPECT_EQ(max + kQueueBlockHeaderSize + kQueueItemHeaderSize, queue.BlockSize());
  std::string big(max + 1, 'b');
  EXPECT_EQ(Push(big), 0);
  EXPECT_EQ(queue.Push(big.data(), SIZE_MAX), 0);  // must not wrap while padding
  EXPECT_EQ(queue.Push(big.data(), SIZE_MAX - kQueueItemAlign + 2), 0);
  EXPECT_EQ(queue.IsEmpty(), 1);
  big.pop_back();
  EXPECT_EQ(Push(big), 1);
  EXPECT_EQ(Pop(), big);
}

TEST_F(BlockQueueTest, ExactFitStaysInTheBlock) {
  // Items that fill the block to its last byte need no second block.
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Push(Item(i, 100)), 1);
  const size_t rest = Payload() - 3 * QueueItemFootprint(100) - kQueueItemHeaderSize;
  ASSERT_EQ(Push(Item(3, rest)), 1);
  EXPECT_EQ(queue.BlockCount(), 1u);
  ASSERT_EQ(Push(Item(4, 0)), 1);
  EXPECT_EQ(queue.BlockCount(), 2u);
}

TEST_F(BlockQueueTest, OrderHoldsAcrossBlocksAndEmptiedBlocksAreFreed) {
  const size_t length = 100;
  const size_t perBlock = Payload() / QueueItemFootprint(length);
  const uint32_t total = uint32_t(perBlock * 3 + 1);
  for (uint32_t i = 0; i < total; ++i) ASSERT_EQ(Push(Item(i, length)), 1);
  EXPECT_EQ(queue.BlockCount(), 4u);
  for (uint32_t i = 0; i < total; ++i) {
    size_t stored = 0;
    char* data = queue.PopFront(&stored);
    ASSERT_NE(data, nullptr);
    uint32_t seq = 0;
    ASSERT_TRUE(IsItem(data, stored, &seq));
    ASSERT_EQ(seq, i);
    queue.Release(data);
    // The older block goes with the release of its last item.
    EXPECT_EQ(queue.BlockCount(), 4 - (i + 1) / perBlock) << i;
  }
  EXPECT_EQ(queue.IsEmpty(), 1);
}

TEST_F(BlockQueueTest, ContainsMatchesExactLengthAndBytes) {
  ASSERT_EQ(queue.Push("ABC\0", 4), 1);
  ASSERT_EQ(queue.Push("12345678", 8), 1);
  struct Probe {
    const char* bytes;
    size_t length;
    int found;
  };
  const Probe probes[] = {
      {"ABC\0", 4, 1}, {"ABC", 3, 0},      {"ABC\0X", 5, 0},  {"ABD\0", 4, 0},
      {"", 0, 0},      {"12345678", 8, 1}, {"1234567", 7, 0},
  };
  for (const Probe& p : probes) EXPECT_EQ(queue.Contains(p.bytes, p.length), p.found) << p.bytes;
  char* popped = queue.PopFront();
  EXPECT_EQ(queue.Contains("ABC\0", 4), 0);  // popped items are no longer queued
  queue.Release(popped);
  queue.Clear();
  EXPECT_EQ(queue.Contains("12345678", 8), 0);
}

TEST_F(BlockQueueTest, ClearKeepsOneBlockAndStartsAtItsFront) {
  ASSERT_EQ(Push("first"), 1);
  char* front = queue.PopFront();
  queue.Release(front);
  for (uint32_t i = 0; i < 200; ++i) ASSERT_EQ(Push(Item(i, 90)), 1);
  ASSERT_GT(queue.BlockCount(), 2u);
  queue.Clear();
  EXPECT_EQ(queue.IsEmpty(), 1);
  EXPECT_EQ(queue.PopFront(), nullptr);
  EXPECT_EQ(queue.BlockCount(), 1u);
  ASSERT_EQ(Push("again"), 1);
  char* data = queue.PopFront();
  EXPECT_EQ(data, front);
  queue.Release(data);
}

TEST_F(BlockQueueTest, ClearLeavesAHeldItemIntact) {
  // Held item in the only block, and held item in the oldest of several.
  for (uint32_t queued : {2u, 200u}) {
    for (uint32_t i = 0; i < queued; ++i) ASSERT_EQ(Push(Item(i, 90)), 1);
    size_t length = 0;
    char* held = queue.PopFront(&length);
    queue.Clear();
    for (uint32_t i = 0; i < 100; ++i) ASSERT_EQ(Push(Item(1000 + i, 90)), 1);
    uint32_t seq = 99;
    EXPECT_TRUE(IsItem(held, length, &seq));
    EXPECT_EQ(seq, 0u);
    EXPECT_EQ(queue.Release(held), 1);
    for (uint32_t i = 0; i < 100; ++i) ASSERT_EQ(Pop(), Item(1000 + i, 90));
    EXPECT_EQ(queue.IsEmpty(), 1);
    EXPECT_EQ(queue.BlockCount(), 1u) << queued;
  }
}

TEST_F(BlockQueueTest, SecondReleaseIsRefused) {
  ASSERT_EQ(Push("AAAA"), 1);
  ASSERT_EQ(Push("BBBB"), 1);
  char* a = queue.PopFront();
  EXPECT_EQ(queue.Release(a), 1);
  EXPECT_EQ(queue.Release(a), 0);
  EXPECT_EQ(queue.Release(nullptr), 0);
  // Had the block been counted empty, this would land on the queued "BBBB".
  ASSERT_EQ(Push(std::string(40, 'C')), 1);
  EXPECT_EQ(Pop(), "BBBB");
  EXPECT_EQ(Pop(), std::string(40, 'C'));
}

TEST_F(BlockQueueTest, SteadyTrafficAllocatesNoBlock) {
  for (uint32_t i = 0; i < 5000; ++i) {
    ASSERT_EQ(Push(Item(i, 4 + i % 300)), 1);
    ASSERT_EQ(Pop(), Item(i, 4 + i % 300));
    ASSERT_EQ(queue.BlockCount(), 1u);
  }
  // With one item always waiting the block never drains, but emptied blocks
  // go back, so no more than two are ever held.
  ASSERT_EQ(Push(Item(0, 50)), 1);
  for (uint32_t i = 1; i < 5000; ++i) {
    ASSERT_EQ(Push(Item(i, 50)), 1);
    ASSERT_EQ(Pop(), Item(i - 1, 50));
    ASSERT_LE(queue.BlockCount(), 2u);
  }
}

TEST(BlockQueueUnbuilt, ZeroRecordAndZeroPagesAreSafe) {
  BlockQueue zero;
  BlockQueue noPages;
  EXPECT_EQ(noPages.Construct(0), 0);
  for (BlockQueue* q : {&zero, &noPages}) {
    EXPECT_EQ(q->IsEmpty(), 1);
    EXPECT_EQ(q->Push("x", 1), 0);
    EXPECT_EQ(q->Push(nullptr, 0), 0);
    EXPECT_EQ(q->PopFront(), nullptr);
    EXPECT_EQ(q->Contains("x", 1), 0);
    EXPECT_EQ(q->MaxItemLength(), 0u);
    EXPECT_EQ(q->BlockCount(), 0u);
    q->Clear();
    q->Destroy();
    q->Destroy();
  }
  BlockQueue twice;
  ASSERT_EQ(twice.Construct(1), 1);
  EXPECT_EQ(twice.Construct(2), 0);
  EXPECT_EQ(twice.BlockSize(), PageSize());
  twice.Destroy();
}

// Real threads: one producer, one consumer; every item arrives once, in order.
TEST_F(BlockQueueTest, ThreadsKeepOrderAndLoseNothing) {
  const uint32_t total = 20000;
  std::thread producer([&] {
    for (uint32_t i = 0; i < total;) {
      if (Push(Item(i, 4 + i % 200))) ++i;  // a refused push is retried
    }
  });
  uint32_t expected = 0;
  bool sound = true;
  while (expected < total && sound) {
    size_t length = 0;
    char* data = queue.PopFront(&length);
    if (!data) {
      std::this_thread::yield();
      continue;
    }
    uint32_t seq = 0;
    sound = IsItem(data, length, &seq) && seq == expected && length == 4 + seq % 200;
    queue.Release(data);
    ++expected;
  }
  producer.join();
  EXPECT_TRUE(sound) << "item " << expected - 1;
  EXPECT_EQ(queue.IsEmpty(), 1);
  EXPECT_EQ(queue.BlockCount(), 1u);
}

// The comparison queue's pattern: pushes on one thread, Contains and Clear on
// another, and here a consumer as well whose held items must survive Clear.
TEST_F(BlockQueueTest, ContainsAndClearRaceWithPushAndPop) {
  const uint32_t total = 20000;
  std::atomic<bool> done{false};
  std::thread producer([&] {
    for (uint32_t i = 0; i < total; ++i) Push(Item(i, 8 + i % 100));
    done = true;
  });
  std::thread clearer([&] {
    for (uint32_t i = 0; !done; ++i) {
      std::string probe = Item(i, 8 + i % 100);
      queue.Contains(probe.data(), probe.size());
      if (i % 16 == 0) queue.Clear();
    }
  });
  bool sound = true;
  uint32_t last = 0;
  bool any = false;
  while (!done || !queue.IsEmpty()) {
    size_t length = 0;
    char* data = queue.PopFront(&length);
    if (!data) {
      std::this_thread::yield();
      continue;
    }
    uint32_t seq = 0;
    std::this_thread::yield();  // hold the item while Clear may run
    if (!IsItem(data, length, &seq) || (any && seq <= last)) sound = false;
    last = seq;
    any = true;
    queue.Release(data);
  }
  producer.join();
  clearer.join();
  EXPECT_TRUE(sound);
  queue.Clear();
  EXPECT_EQ(queue.IsEmpty(), 1);
  EXPECT_EQ(queue.BlockCount(), 1u);
  ASSERT_EQ(Push("after"), 1);
  EXPECT_EQ(Pop(), "after");
}

}  // namespace
