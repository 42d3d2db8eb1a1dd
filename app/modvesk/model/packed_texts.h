// Tables that hold a district's tens of thousands of short records without a
// string (and an allocation) for each text: the records lie in blocks that never
// move, and the texts of a record lie end to end in blocks of their own.
#pragma once

#include "text/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace modvesk {

// A table indexed from 0 that grows at its end without moving what it holds: its
// items lie in blocks of a fixed size, each allocated once, so that growing by one
// item costs no allocation but at a block's start.
template <typename T> class StableTable {
  public:
    size_t size() const { return size_; }
    T& operator[](size_t i) { return blocks_[i / kBlock][i % kBlock]; }
    const T& operator[](size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
    // Grows to n items (the new ones empty); a table holding more keeps them.
    void growTo(size_t n) {
        while (blocks_.size() * kBlock < n)
            blocks_.push_back(std::make_unique<T[]>(kBlock));
        if (n > size_) size_ = n;
    }
    // Drops every item, then holds n empty ones.
    void reset(size_t n) {
        blocks_.clear();
        size_ = released_ = 0;
        growTo(n);
    }
    // Lets go of the blocks that hold only items before i, which are not read again.
    void releaseBefore(size_t i) {
        for (; released_ < blocks_.size() && (released_ + 1) * kBlock <= i; ++released_)
            blocks_[released_].reset();
    }

  private:
    // Blocks of about 4 kB: small enough to take the room that the sources' data
    // leave free as they are let go while the persons are built.
    static constexpr size_t kBlock = sizeof(T) < 4096 ? 4096 / sizeof(T) : 1;
    std::vector<std::unique_ptr<T[]>> blocks_;
    size_t size_ = 0;
    size_t released_ = 0; // the blocks let go, from the first
};

// Records of N texts by index. Each record is where its texts lie and their
// sizes; the texts are copied end to end into blocks of about 4 kB. A record
// stored again at its index gets new texts; the old ones stay unused in their
// block until the table is reset. A table read once in order can let go of its
// memory as it is read.
template <size_t N> class PackedTexts {
  public:
    using Texts = std::array<std::string_view, N>;

    size_t size() const { return records_.size(); }
    // Drops every record, then holds n empty ones.
    void reset(size_t n) {
        records_.reset(n);
        blocks_.clear();
        lastRecord_.clear();
        used_ = capacity_ = released_ = 0;
    }
    // Lets go of the records before i and of the blocks of texts that only they
    // use; those records are not read again.
    void releaseBefore(size_t i) {
        records_.releaseBefore(i);
        // The last block may take more texts.
        for (; released_ + 1 < blocks_.size() && lastRecord_[released_] < i; ++released_)
            blocks_[released_].reset();
    }
    // Stores a copy of the texts at index i, the table grown to hold it.
    void set(size_t i, const Texts& texts) {
        size_t total = 0;
        for (const std::string_view t : texts)
            total += t.size();
        if (total > UINT32_MAX) throw std::length_error("record texts too long");
        records_.growTo(i + 1);
        Record& r = records_[i];
        r = Record{};
        if (total == 0) return;
        char* at = room(total);
        lastRecord_.back() = std::max(lastRecord_.back(), i);
        r.texts = at;
        for (size_t k = 0; k < N; ++k) {
            r.sizes[k] = static_cast<uint32_t>(texts[k].size());
            if (!texts[k].empty()) std::memcpy(at, texts[k].data(), texts[k].size());
            at += texts[k].size();
        }
    }
    // The texts at index i, views into the table; empty past its end.
    Texts operator[](size_t i) const { return as<Texts>(i); }
    // The same as the first N members of an aggregate, made in place; the
    // members after them are `more`.
    template <typename T, typename... More> T as(size_t i, const More&... more) const {
        if (i >= records_.size()) return T{};
        const Record& r = records_[i];
        return [&]<size_t... k>(std::index_sequence<k...>) {
            const char* at = r.texts;
            return T{viewAt(at, r.sizes[k])..., more...};
        }
        (std::make_index_sequence<N>{});
    }
    // Text k of the record at i; empty past the end.
    std::string_view text(size_t i, size_t k) const {
        if (i >= records_.size()) return {};
        const Record& r = records_[i];
        size_t at = 0;
        for (size_t j = 0; j < k; ++j)
            at += r.sizes[j];
        return std::string_view(r.texts + at, r.sizes[k]);
    }
    // Starts fetching the record at i, then (a few records later, once it has
    // come) its texts, for a read to come.
    void prefetchRecord(size_t i) const {
        if (i < records_.size()) __builtin_prefetch(&records_[i]);
    }
    void prefetchTexts(size_t i) const {
        if (i >= records_.size()) return;
        const Record& r = records_[i];
        size_t total = 0;
        for (const uint32_t size : r.sizes)
            total += size;
        PrefetchBytes(r.texts, total);
    }

  private:
    // The `size` bytes at `at`, which moves past them.
    static std::string_view viewAt(const char*& at, uint32_t size) {
        const char* const from = at;
        at += size;
        return {from, size};
    }
    struct Record {
        const char* texts = "";
        std::array<uint32_t, N> sizes{};
    };
    // Room for `size` bytes in the last block, or in a new one.
    char* room(size_t size) {
        if (capacity_ - used_ < size) {
            // Blocks of 4 kB, like the records', take the room the sources leave free.
            constexpr size_t kBlock = 4096;
            capacity_ = std::max(kBlock, size);
            blocks_.emplace_back(new char[capacity_]);
            lastRecord_.push_back(0);
            used_ = 0;
        }
        char* const at = blocks_.back().get() + used_;
        used_ += size;
        return at;
    }

    StableTable<Record> records_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<size_t> lastRecord_; // by block: the highest record whose texts it holds
    size_t used_ = 0, capacity_ = 0; // in the last block
    size_t released_ = 0;            // the blocks let go, from the first
};

} // namespace modvesk
