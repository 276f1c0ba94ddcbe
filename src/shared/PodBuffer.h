#pragma once
// A growable array of plain values for the large buffers of a result table. Small buffers live
// on the heap; from LargeBytes on a buffer gets a memory mapping of its own, asked to be backed
// by 2 MB pages, and grows in place with mremap. A million-row result then fills its columns
// without copying them on every growth and with a few hundred page faults instead of tens of
// thousands; on virtual machines, where each 4 KB fault and TLB miss is dear, that halves the
// time to fetch the rows.
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
        if (m_size == m_cap)
            grow(m_size + 1);
        m_data[m_size++] = copy;
    }
    void append(const T *p, size_t n)
    {
        if (!n)
            return;
        if (n > MaxCount - m_size)
            throw std::bad_alloc();
        if (m_size + n > m_cap) {
            const auto at = reinterpret_cast<std::uintptr_t>(p),
                       base = reinterpret_cast<std::uintptr_t>(m_data);
            const bool own = m_data && at >= base && at < base + m_size * sizeof(T);
            grow(m_size + n);
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
        for (size_t i = m_size; i < n; ++i)
            m_data[i] = copy;
        m_size = n;
    }
    void assign(size_t n, const T &fill)
    {
        m_size = 0;
        resize(n, fill);
    }
    // Gives back a mapped buffer's room beyond its size, to the large page.
    void shrinkToFit()
    {
        if (!m_mappedBytes)
            return;
        const size_t bytes
            = std::max((m_size * sizeof(T) + LargeBytes - 1) / LargeBytes, size_t(1)) * LargeBytes;
        if (bytes >= m_mappedBytes)
            return;
        void *p = mremap(m_data, m_mappedBytes, bytes, 0); // shrinks in place
        if (p == MAP_FAILED)
            return; // the room stays: still a valid buffer
        m_mappedBytes = bytes;
        m_cap = bytes / sizeof(T);
    }
    void clear() { m_size = 0; } // keeps the memory
    void reset() // gives the memory back
    {
        if (m_mappedBytes)
            munmap(m_data, m_mappedBytes);
        else
            std::free(m_data);
        m_data = nullptr;
        m_size = m_cap = 0;
        m_mappedBytes = 0;
    }

private:
    // The most elements whose byte size, rounded up to whole large pages, still fits a size_t.
    static constexpr size_t MaxCount = (SIZE_MAX - LargeBytes) / sizeof(T);

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
            m_cap = cap;
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
        m_mappedBytes = bytes;
        madvise(p, bytes, MADV_HUGEPAGE); // a request: without it the buffer still works
        m_data = static_cast<T *>(p);
        m_cap = bytes / sizeof(T);
    }

    T *m_data = nullptr;
    size_t m_size = 0, m_cap = 0;
    size_t m_mappedBytes = 0; // 0: on the heap
};

} // namespace vela
