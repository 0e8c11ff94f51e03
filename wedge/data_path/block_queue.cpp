// The block queue: items packed into page blocks, a block given back as soon
// as its last item is released, and a drained queue starting again at the
// front of its one block, so steady traffic allocates nothing.
#include "block_queue.h"

#include <cstring>
#include <new>
#include <type_traits>

#include "page_memory.h"

static_assert(kQueueBlockHeaderSize % kQueueItemAlign == 0,
              "items after the block header must stay aligned");
static_assert(kQueueItemHeaderSize % kQueueItemAlign == 0,
              "data after the item header must stay aligned");
// The process-wide queues must be ready-made zero records, never waiting for
// a constructor that another file's start-up code could run ahead of.
static_assert(std::is_trivially_destructible<BlockQueue>::value, "no exit-time destructor");
[[maybe_unused]] constexpr BlockQueue kConstantInitialised{};

int BlockQueue::Construct(uint32_t pages) {
  if (lock_) return 0;
  uint64_t bytes = uint64_t(pages) * PageSize();
  if (bytes > UINT32_MAX ||
      bytes < kQueueBlockHeaderSize + kQueueItemHeaderSize + kQueueItemAlign) {
    return 0;
  }
  blockSize_ = uint32_t(bytes);
  lock_ = new (lockStorage_) Lock;
  head_ = tail_ = nullptr;
  firstBlock_ = newestBlock_ = NewBlock();
  writePos_ = firstBlock_ ? BlockStart(firstBlock_) : nullptr;
  return firstBlock_ ? 1 : 0;
}

void BlockQueue::Destroy() {
  if (!lock_) return;
  for (QueueBlock* block = firstBlock_; block;) {
    QueueBlock* newer = block->newer;
    FreeBlock(block);
    block = newer;
  }
  lock_->~Lock();
  *this = BlockQueue{};
}

int BlockQueue::IsEmpty() {
  if (!lock_) return 1;
  LockHolder hold(*lock_);
  return head_ == nullptr ? 1 : 0;
}

int BlockQueue::Push(const char* data, size_t length, int32_t type) {
  const Piece whole = {data, length};
  return Push(&whole, 1, type);
}

int BlockQueue::Push(const Piece* pieces, size_t count, int32_t type) {
  // Checked before the padding is computed, so a huge length cannot wrap.
  const size_t max = MaxItemLength();
  size_t length = 0;
  for (size_t i = 0; i < count; ++i) {
    if (pieces[i].length > max - length) return 0;
    length += pieces[i].length;
  }
  if (!lock_) return 0;
  size_t footprint = QueueItemFootprint(length);
  LockHolder hold(*lock_);
  if (!newestBlock_) {
    // Only after the first block could not be had at construction.
    newestBlock_ = firstBlock_ = NewBlock();
    if (!newestBlock_) return 0;
    writePos_ = BlockStart(newestBlock_);
  }
  if (size_t(BlockEnd(newestBlock_) - writePos_) < footprint) {
    QueueBlock* block = NewBlock();
    if (!block) return 0;
    newestBlock_->newer = block;
    newestBlock_ = block;
    writePos_ = BlockStart(block);
  }

  QueueItem* item = reinterpret_cast<QueueItem*>(writePos_);
  item->next = nullptr;
  item->block = newestBlock_;
  item->length = uint32_t(length);
  item->type = type;
  char* bytes = writePos_ + kQueueItemHeaderSize;
  for (size_t i = 0, at = 0; i < count; at += pieces[i].length, ++i) {
    if (pieces[i].length) std::memcpy(bytes + at, pieces[i].data, pieces[i].length);
  }
  // The block may be reused memory: clear the padding so stored items never
  // carry bytes of an older barcode.
  std::memset(bytes + length, 0, footprint - kQueueItemHeaderSize - length);
  newestBlock_->items += 1;
  writePos_ += footprint;

  if (!head_) head_ = item;
  // A popped but unreleased tail still links to what follows it.
  if (tail_) tail_->next = item;
  tail_ = item;
  return 1;
}

char* BlockQueue::PopFront(size_t* length, int32_t* type) {
  if (!lock_) return nullptr;
  LockHolder hold(*lock_);
  QueueItem* item = head_;
  if (!item) return nullptr;
  head_ = item->next;
  if (length) *length = item->length;
  if (type) *type = item->type;
  return reinterpret_cast<char*>(item) + kQueueItemHeaderSize;
}

int BlockQueue::Release(const char* data) {
  if (!lock_ || !data) return 0;
  LockHolder hold(*lock_);
  QueueItem* item = reinterpret_cast<QueueItem*>(const_cast<char*>(data) - kQueueItemHeaderSize);
  QueueBlock* block = item->block;
  if (!block) return 0;
  QueueBlock* held = firstBlock_;
  while (held && held != block) held = held->newer;
  if (!held || block->items == 0) return 0;

  item->block = nullptr;
  block->items -= 1;
  if (block->items != 0) return 1;
  if (block == newestBlock_) {
    // Everything pushed has been popped and released: start again at the
    // front. Older blocks may still hold items released out of order.
    tail_ = nullptr;
    writePos_ = BlockStart(block);
  } else {
    UnlinkAndFree(block);
  }
  return 1;
}

int BlockQueue::Contains(const char* data, size_t length) {
  if (!lock_) return 0;
  LockHolder hold(*lock_);
  for (const QueueItem* item = head_; item; item = item->next) {
    if (item->length != length) continue;
    const char* bytes = reinterpret_cast<const char*>(item) + kQueueItemHeaderSize;
    if (length == 0 || std::memcmp(bytes, data, length) == 0) return 1;
  }
  return 0;
}

void BlockQueue::Clear() {
  if (!lock_) return;
  LockHolder hold(*lock_);
  for (QueueItem* item = head_; item; item = item->next) item->block->items -= 1;
  head_ = tail_ = nullptr;

  bool consumerHolds = false;
  for (QueueBlock* block = firstBlock_; block; block = block->newer) {
    if (block->items) consumerHolds = true;
  }
  if (!consumerHolds) {
    if (!firstBlock_) return;
    for (QueueBlock* block = firstBlock_->newer; block;) {
      QueueBlock* newer = block->newer;
      FreeBlock(block);
      block = newer;
    }
    firstBlock_->newer = nullptr;
    newestBlock_ = firstBlock_;
    writePos_ = BlockStart(firstBlock_);
    return;
  }

  // Keep only the blocks with popped, unreleased items, in their order.
  QueueBlock* oldNewest = newestBlock_;
  QueueBlock* kept = nullptr;
  for (QueueBlock* block = firstBlock_; block;) {
    QueueBlock* newer = block->newer;
    if (block->items) {
      if (kept) {
        kept->newer = block;
      } else {
        firstBlock_ = block;
      }
      kept = block;
    } else {
      FreeBlock(block);
    }
    block = newer;
  }
  kept->newer = nullptr;
  newestBlock_ = kept;
  // An older block's free space is not recorded: count it as full, so the
  // next push takes a fresh block instead of writing over a held item.
  if (newestBlock_ != oldNewest) writePos_ = BlockEnd(newestBlock_);
}

size_t BlockQueue::MaxItemLength() const {
  size_t headers = kQueueBlockHeaderSize + kQueueItemHeaderSize;
  if (blockSize_ < headers + kQueueItemAlign) return 0;
  return (blockSize_ - headers) / kQueueItemAlign * kQueueItemAlign;
}

size_t BlockQueue::BlockCount() {
  if (!lock_) return 0;
  LockHolder hold(*lock_);
  size_t count = 0;
  for (QueueBlock* block = firstBlock_; block; block = block->newer) count += 1;
  return count;
}

QueueBlock* BlockQueue::NewBlock() {
  // Page memory comes zero-filled: no link, no items.
  return static_cast<QueueBlock*>(PageAlloc(blockSize_));
}

void BlockQueue::FreeBlock(QueueBlock* block) { PageFree(block, blockSize_); }

char* BlockQueue::BlockStart(QueueBlock* block) const {
  return reinterpret_cast<char*>(block) + kQueueBlockHeaderSize;
}

char* BlockQueue::BlockEnd(QueueBlock* block) const {
  return reinterpret_cast<char*>(block) + blockSize_;
}

// For a block that is not the newest: items are released in push order, so
// it is normally the first, but an out-of-order release must not leave a
// dangling link behind an older block.
void BlockQueue::UnlinkAndFree(QueueBlock* block) {
  if (firstBlock_ == block) {
    firstBlock_ = block->newer;
  } else {
    QueueBlock* older = firstBlock_;
    while (older->newer != block) older = older->newer;
    older->newer = block->newer;
  }
  FreeBlock(block);
}

BlockQueue OutputQueue;
BlockQueue ComparisonQueue;

namespace {

int ConstructGlobalQueues() {
  // 64 KiB blocks; a page size above that still gets one page.
  size_t pageSize = PageSize();
  uint32_t pages = pageSize >= 65536 ? 1 : uint32_t(65536 / pageSize);
  int built = OutputQueue.Construct(pages);
  built &= ComparisonQueue.Construct(pages);
  return built;
}

[[maybe_unused]] const int kGlobalQueuesBuilt = ConstructGlobalQueues();

}  // namespace
