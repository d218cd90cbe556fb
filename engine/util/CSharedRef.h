#pragma once

#include <atomic>
#include <utility>

// An owner of a T in one pointer, for objects many owners hold and nobody changes: the object
// counts its owners itself, in a member `mutable std::atomic<std::size_t> m_nOwners` that
// starts at 0, and the last owner to let go frees it with `T::Free(object)`. Owners may be
// copied and dropped on any thread.
template <class T> class CSharedRef {
public:
    CSharedRef() = default;
    // Becomes an owner of `object` (none for nullptr).
    explicit CSharedRef(T* object) noexcept : m_object(object) {
        if (m_object != nullptr) {
            m_object->m_nOwners.fetch_add(1, std::memory_order_relaxed);
        }
    }
    CSharedRef(const CSharedRef& other) noexcept : CSharedRef(other.m_object) {}
    CSharedRef(CSharedRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    CSharedRef& operator=(const CSharedRef& other) noexcept {
        CSharedRef copy(other);
        std::swap(m_object, copy.m_object);
        return *this;
    }
    CSharedRef& operator=(CSharedRef&& other) noexcept {
        if (this != &other) {
            Release();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    ~CSharedRef() { Release(); }

    // The object, or nullptr for none.
    T* Get() const { return m_object; }
    T& operator*() const { return *m_object; }
    T* operator->() const { return m_object; }

private:
    // The owners' count is dropped with release order and the freeing owner acquires, so every
    // owner's reads of the object come before it is freed.
    void Release() noexcept {
        if (m_object != nullptr &&
            m_object->m_nOwners.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            T::Free(m_object);
        }
        m_object = nullptr;
    }

    T* m_object = nullptr;
};
