// The block queue: the first-in first-out queue of variable-length byte items
// that carries barcodes between the data path's
// threads. Items are copied into large page blocks, not allocated one by one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lock.h"

// Layout. A block is BlockSize() bytes of committed page memory: a header
// {newer block, live items} and then the items. An item is a header {next
// item, its block, stored length, type} and then the data bytes and zero bytes
// up to the next multiple of kQueueItemAlign. Length and type live in the
// header only, so any data byte, a zero included, is just data, and both are
// read as aligned words. The links are pointers, so the sizes follow the
// build:
//   32-bit: block header 8, item header 16, alignment 4; a 6-byte item takes
//           24 bytes and the largest item of a 64 KiB block is 65512 bytes;
//   64-bit: block header 16, item header 24, alignment 8; a 6-byte item takes
//           32 bytes and the largest item of a 64 KiB block is 65496 bytes.
struct QueueBlock {
  QueueBlock* newer;
  uint32_t items;  // pushed and not yet released (popped or not)
};

struct QueueItem {
  QueueItem* next;
  QueueBlock* block;  // null once released, so a second release is refused
  uint32_t length;    // the byte count the producer gave
  int32_t type;       // the type code the producer gave (0 when none)
};

enum : size_t {
  kQueueItemAlign = alignof(QueueItem),
  kQueueBlockHeaderSize = sizeof(QueueBlock),
  kQueueItemHeaderSize = sizeof(QueueItem),
};

// Bytes of a block that an item of `length` data bytes takes.
constexpr size_t QueueItemFootprint(size_t length) {
  return (length + kQueueItemAlign - 1) / kQueueItemAlign * kQueueItemAlign + kQueueItemHeaderSize;
}

// A zero-filled record is a valid queue that is not built yet: it is empty,
// refuses every push and ignores every other call, so the process-wide
// instances are safe to touch before their construction has run.
//
// Every operation takes the queue's lock, so any thread may call any of them;
// items still leave in push order to one consumer at a time.
//
// Clear and a consumer's popped items: Clear forgets the items not yet
// popped, but a block that still holds a popped, unreleased item is kept, and
// nothing is written over that item, so its data stays valid and its Release
// after the Clear is sound. Blocks left empty are freed; one block always
// stays.
class BlockQueue {
 public:
  // Block size = pages * PageSize(). Returns 1 when the queue is built with
  // its first block; 0 when `pages` gives no usable block or the queue is
  // built already (nothing changes then), and 0 when the first block cannot
  // be had (the queue is built and tries again at the next push).
  int Construct(uint32_t pages);
  // Frees every block and the lock and leaves the not-built record. No other
  // thread may be inside or enter the queue meanwhile. Harmless when not built.
  void Destroy();

  // 1 when there is no item to pop.
  int IsEmpty();
  // Copies `length` bytes in, with `type` in the item's header. 1 when
  // stored; 0 when the item cannot fit a block (length > MaxItemLength()),
  // the queue is not built, or a new block cannot be had. Nothing is stored
  // on 0.
  int Push(const char* data, size_t length, int32_t type = 0);
  // The same for one item whose bytes are the pieces one after the other.
  struct Piece {
    const char* data;
    size_t length;
  };
  int Push(const Piece* pieces, size_t count, int32_t type);
  // The oldest item's data, or null when the queue is empty (another thread
  // may empty it between IsEmpty and PopFront). The data stays valid and
  // writable until Release; `length` and `type` (optional) receive what Push
  // stored.
  char* PopFront(size_t* length = nullptr, int32_t* type = nullptr);
  // Gives back an item from PopFront. 1 when given back; 0 for null, for an
  // item given back already, or one that this queue does not hold.
  int Release(const char* data);
  // 1 when an item not yet popped has exactly this length and these bytes
  // (whatever its type).
  int Contains(const char* data, size_t length);
  // Forgets every item not yet popped (see above for popped ones).
  void Clear();

  uint32_t BlockSize() const { return blockSize_; }
  // Largest length Push accepts; 0 when not built.
  size_t MaxItemLength() const;
  // Blocks held now (for tests and diagnostics).
  size_t BlockCount();

 private:
  QueueBlock* NewBlock();
  void FreeBlock(QueueBlock* block);
  char* BlockStart(QueueBlock* block) const;
  char* BlockEnd(QueueBlock* block) const;
  void UnlinkAndFree(QueueBlock* block);

  uint32_t blockSize_ = 0;
  QueueItem* head_ = nullptr;
  QueueItem* tail_ = nullptr;
  char* writePos_ = nullptr;  // next free byte of newestBlock_
  QueueBlock* firstBlock_ = nullptr;
  QueueBlock* newestBlock_ = nullptr;
  Lock* lock_ = nullptr;  // built in lockStorage_; null until Construct
  alignas(Lock) unsigned char lockStorage_[sizeof(Lock)] = {};
};

// The process-wide queues, each built with 65536 / PageSize() pages (64 KiB
// blocks) before the entry procedure runs.
extern BlockQueue OutputQueue;      // barcodes waiting to be typed
extern BlockQueue ComparisonQueue;  // texts accepted in the current bulk run
