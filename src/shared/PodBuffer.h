#pragma once
// A growable array of plain values for the large buffers of a result table. Small buffers live
// on the heap; from LargeBytes on a buffer gets a memory mapping of its own, asked to be backed
// by 2 MB pages, and grows in place with mremap. A million-row result then fills its columns
// without copying them on every growth. Where the kernel gives no 2 MB pages, the pages ahead of
// the end are made present a stretch at a time rather than by one fault per 4 KB: on virtual
// machines each fault is dear.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <type_traits>
#include <utility>

namespace vela {

template<typename T> class PodBuffer {
    static_assert(std::is_trivially_copyable_v<T>, "PodBuffer holds plain values only");

public:
    static constexpr size_t LargeBytes = size_t(2) << 20; // also the huge page size

    PodBuffer() = default;
    ~PodBuffer() { reset(); }
    PodBuffer(const PodBuffer &o) { append(o.m_data, o.m_size); }
    PodBuffer &operator=(const PodBuffer &o)
    {
        if (this != &o) {
            clear();
            append(o.m_data, o.m_size);
        }
        return *this;
    }
    PodBuffer(PodBuffer &&o) noexcept { swap(o); }
    PodBuffer &operator=(PodBuffer &&o) noexcept
    {
        if (this != &o) {
            reset();
            swap(o);
        }
        return *this;
    }
    void swap(PodBuffer &o) noexcept
    {
        std::swap(m_data, o.m_data);
        std::swap(m_size, o.m_size);
        std::swap(m_cap, o.m_cap);
        std::swap(m_ready, o.m_ready);
        std::swap(m_mappedBytes, o.m_mappedBytes);
    }

    size_t size() const { return m_size; }
    size_t capacity() const { return m_cap; }
    bool empty() const { return m_size == 0; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }
    T *begin() { return m_data; }
    T *end() { return m_data + m_size; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }

    // Values may be taken from the buffer itself (buf.push_back(buf[0]), buf.append(buf.data(),
    // n)): they are copied or found again before a growth moves or frees the old memory.
    void push_back(const T &v)
    {
        const T copy = v;
        if (m_size == m_ready)
            makeRoom(m_size + 1);
        m_data[m_size++] = copy;
    }
    void append(const T *p, size_t n)
    {
        if (!n)
            return;
        if (n > MaxCount - m_size)
            throw std::bad_alloc();
        if (m_size + n > m_ready) {
            const auto at = reinterpret_cast<std::uintptr_t>(p),
                       base = reinterpret_cast<std::uintptr_t>(m_data);
            const bool own = m_data && at >= base && at < base + m_size * sizeof(T);
            makeRoom(m_size + n);
            if (own)
                p = m_data + (at - base) / sizeof(T);
        }
        std::memmove(
            static_cast<void *>(m_data + m_size), static_cast<const void *>(p), n * sizeof(T));
        m_size += n;
    }
    void reserve(size_t n)
    {
        if (n > m_cap)
            grow(n, true);
    }
    void resize(size_t n, const T &fill)
    {
        const T copy = fill;
        if (n > m_cap)
            grow(n, true);
        if (n > m_ready)
            makeRoom(n);
        for (size_t i = m_size; i < n; ++i)
            m_data[i] = copy;
        m_size = n;
    }
    void assign(size_t n, const T &fill)
    {
        m_size = 0;
        resize(n, fill);
    }
    void clear() { m_size = 0; } // keeps the memory
    void reset() // gives the memory back
    {
        if (m_mappedBytes)
            munmap(m_data, m_mappedBytes);
        else
            std::free(m_data);
        m_data = nullptr;
        m_size = m_cap = m_ready = 0;
        m_mappedBytes = 0;
    }

private:
    // The most elements whose byte size, rounded up to whole large pages, still fits a size_t.
    static constexpr size_t MaxCount = (SIZE_MAX - LargeBytes) / sizeof(T);

    // Room for `need` elements: the buffer grows when its capacity is short, and a mapped
    // buffer has the pages ahead of its end made present a stretch at a time, in one call to
    // the kernel instead of one page fault for every 4 KB written.
    void makeRoom(size_t need)
    {
        if (need > m_cap)
            grow(need);
        if (!m_mappedBytes) {
            m_ready = m_cap;
            return;
        }
        const size_t from = m_ready * sizeof(T) / PageBytes * PageBytes;
        const size_t to = std::min(m_mappedBytes,
            std::max(
                (need * sizeof(T) + PageBytes - 1) / PageBytes * PageBytes, from + AheadBytes));
#ifdef MADV_POPULATE_WRITE
        // A request: where the kernel refuses it, the pages come one fault at a time.
        madvise(reinterpret_cast<char *>(m_data) + from, to - from, MADV_POPULATE_WRITE);
#endif
        m_ready = std::min(m_cap, to / sizeof(T));
    }

    void grow(size_t need, bool exact = false)
    {
        if (need > MaxCount)
            throw std::bad_alloc();
        size_t cap = exact
            ? need
            : std::min(MaxCount, std::max(need, m_cap ? m_cap + m_cap / 2 : size_t(16)));
        size_t bytes = cap * sizeof(T);
        if (bytes < LargeBytes) {
            void *p = std::realloc(m_data, bytes);
            if (!p)
                throw std::bad_alloc();
            m_data = static_cast<T *>(p);
            m_cap = m_ready = cap;
            return;
        }
        bytes = (bytes + LargeBytes - 1) / LargeBytes * LargeBytes;
        void *p;
        if (m_mappedBytes) {
            p = mremap(m_data, m_mappedBytes, bytes, MREMAP_MAYMOVE);
            if (p == MAP_FAILED)
                throw std::bad_alloc();
        } else {
            p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (p == MAP_FAILED)
                throw std::bad_alloc();
            if (m_size)
                std::memcpy(p, static_cast<const void *>(m_data), m_size * sizeof(T));
            std::free(m_data);
        }
        // The bytes already present: the heap contents copied into a new mapping, or the part
        // of an enlarged mapping that was made present before.
        const size_t present = m_mappedBytes ? m_ready * sizeof(T) : m_size * sizeof(T);
        m_mappedBytes = bytes;
        madvise(p, bytes, MADV_HUGEPAGE); // a request: without it the buffer still works
        m_data = static_cast<T *>(p);
        m_cap = bytes / sizeof(T);
        m_ready = present / sizeof(T);
    }

    T *m_data = nullptr;
    static constexpr size_t PageBytes = 4096;
    static constexpr size_t AheadBytes = size_t(256) << 10;
    size_t m_size = 0, m_cap = 0;
    size_t m_ready = 0; // elements whose pages are present; writes beyond go through makeRoom
    size_t m_mappedBytes = 0; // 0: on the heap
};

} // namespace vela
