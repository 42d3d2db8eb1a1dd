// Looking for given bytes in a text sixteen at a time: a block of the text gives
// a mask with bit i set when its byte i is the one looked for. Where the
// processor compares sixteen bytes at once (SSE2) a block costs a few
// instructions; a call to memchr costs more than that on the short lines and
// fields of a source, and two calls are needed where either of two bytes ends
// what is looked for.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace modvesk {

// The bytes of a block equal to one value.
class ByteMarks {
  public:
    static constexpr size_t kBlock = 16;

    explicit ByteMarks(char wanted)
        : wanted_(wanted)
#if defined(__SSE2__)
          ,
          wide_(_mm_set1_epi8(wanted))
#endif
    {
    }
    // The marks of the kBlock bytes at `at`.
    uint32_t block(const char* at) const {
#if defined(__SSE2__)
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wide_)));
#else
        return part(at, kBlock);
#endif
    }
    // The marks of the first n bytes at `at` (n at most kBlock), which may end the text.
    uint32_t part(const char* at, size_t n) const {
        uint32_t marks = 0;
        for (size_t i = 0; i < n; ++i)
            marks |= uint32_t{at[i] == wanted_} << i;
        return marks;
    }
    // Those of the bytes of `text` from `at` on, up to a block. Fewer than a
    // block's bytes left are marked as the end of the text's last block, when the
    // text holds one: the bytes before `at` are read, not marked.
    uint32_t from(std::string_view text, size_t at) const {
        const size_t n = text.size() - at;
        if (n >= kBlock) return block(text.data() + at);
        if (text.size() >= kBlock) return block(text.data() + text.size() - kBlock) >> (kBlock - n);
        return part(text.data() + at, n);
    }

  private:
    char wanted_;
#if defined(__SSE2__)
    __m128i wide_;
#endif
};

// How many bytes a block's marks mark. Marks are few (a line end or a ";" in
// sixteen bytes): one step each costs less than a call to the processor-neutral
// bit count, which is what std::popcount is where no instruction counts bits.
inline int CountMarks(uint32_t marks) {
    int n = 0;
    for (; marks != 0; marks &= marks - 1)
        ++n;
    return n;
}

// The first `wanted` of `text` from `from` on, or npos.
inline size_t FindByte(std::string_view text, char wanted, size_t from = 0) {
    const ByteMarks marks(wanted);
    for (size_t at = from; at < text.size(); at += ByteMarks::kBlock)
        if (const uint32_t m = marks.from(text, at)) return at + std::countr_zero(m);
    return std::string_view::npos;
}

// The first CR or LF of `text` from `from` on, or npos.
inline size_t FindLineEnd(std::string_view text, size_t from = 0) {
    const ByteMarks cr('\r'), lf('\n');
    for (size_t at = from; at < text.size(); at += ByteMarks::kBlock)
        if (const uint32_t m = cr.from(text, at) | lf.from(text, at))
            return at + std::countr_zero(m);
    return std::string_view::npos;
}

// How many times `wanted` stands in `text`.
inline size_t CountByte(std::string_view text, char wanted) {
    const ByteMarks marks(wanted);
    size_t n = 0;
    for (size_t at = 0; at < text.size(); at += ByteMarks::kBlock)
        n += static_cast<size_t>(CountMarks(marks.from(text, at)));
    return n;
}

} // namespace modvesk
