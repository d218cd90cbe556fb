#pragma once

#include <memory>

// A value that is empty for almost every owner, kept outside it: while nothing was put in,
// it takes the room of one pointer. Copies are deep, and two are equal when their values
// are, one never filled counting as an empty (default) value.
template <class T> class CSparse {
public:
    CSparse() = default;
    CSparse(const CSparse& other) : m_value(CopyOf(other)) {}
    CSparse(CSparse&&) noexcept = default;
    ~CSparse() = default;

    CSparse& operator=(const CSparse& other) {
        if (this != &other) {
            m_value = CopyOf(other);
        }
        return *this;
    }
    CSparse& operator=(CSparse&&) noexcept = default;

    const T& Get() const {
        static const T s_empty;
        return m_value ? *m_value : s_empty;
    }

    // The value to change, made empty on first use.
    T& Edit() {
        if (!m_value) {
            m_value = std::make_unique<T>();
        }
        return *m_value;
    }

    // Asks the processor for the value's memory ahead of a read of it.
    void Prefetch() const { __builtin_prefetch(m_value.get()); }

    bool operator==(const CSparse& other) const { return Get() == other.Get(); }

private:
    static std::unique_ptr<T> CopyOf(const CSparse& other) {
        return other.m_value ? std::make_unique<T>(*other.m_value) : nullptr;
    }

    std::unique_ptr<T> m_value;
};
