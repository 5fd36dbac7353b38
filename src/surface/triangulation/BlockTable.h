#pragma once
// An append-only table of records kept in fixed blocks of 20000, so that a
// record never moves once it is stored and appending never copies the table.
#include <cstddef>
#include <memory>
#include <vector>

namespace velmesh {

inline constexpr int kBlockSize = 20000;

template <class T>
class BlockTable {
public:
    // Appends a record; a block that cannot be allocated throws std::bad_alloc.
    T& push_back(const T& record) {
        if (blocks_.empty() || in_last_block_ == kBlockSize) {
            blocks_.push_back(std::make_unique_for_overwrite<T[]>(kBlockSize));
            in_last_block_ = 0;
        }
        T& slot = blocks_.back()[in_last_block_++];
        slot = record;
        return slot;
    }

    // Allocates the first block without storing anything.
    void reserve_first_block() {
        if (blocks_.empty()) {
            blocks_.push_back(std::make_unique_for_overwrite<T[]>(kBlockSize));
            in_last_block_ = 0;
        }
    }

    T& operator[](int index) { return blocks_[index / kBlockSize][index % kBlockSize]; }
    const T& operator[](int index) const { return blocks_[index / kBlockSize][index % kBlockSize]; }

    int block_count() const { return static_cast<int>(blocks_.size()); }
    int in_last_block() const { return in_last_block_; }
    // block_count * 20000 + in_last_block - 20000.
    int size() const { return blocks_.empty() ? 0 : (block_count() - 1) * kBlockSize + in_last_block_; }
    const T* block(int b) const { return blocks_[b].get(); }
    // Number of records in block b.
    int block_size(int b) const { return b + 1 < block_count() ? kBlockSize : in_last_block_; }

    void clear() {
        blocks_.clear();
        in_last_block_ = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> blocks_;
    int in_last_block_ = 0;
};

}  // namespace velmesh
