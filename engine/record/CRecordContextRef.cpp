#include "CRecordContextRef.h"

#include "CRecordContext.h"

#include <utility>

CRecordContextRef::CRecordContextRef(const CRecordContext* context) noexcept : m_context(context) {
    if (m_context != nullptr) {
        m_context->m_nOwners.fetch_add(1, std::memory_order_relaxed);
    }
}

CRecordContextRef::CRecordContextRef(const CRecordContextRef& other) noexcept
    : CRecordContextRef(other.m_context) {}

CRecordContextRef::CRecordContextRef(CRecordContextRef&& other) noexcept
    : m_context(std::exchange(other.m_context, nullptr)) {}

CRecordContextRef& CRecordContextRef::operator=(const CRecordContextRef& other) noexcept {
    CRecordContextRef copy(other);
    std::swap(m_context, copy.m_context);
    return *this;
}

CRecordContextRef& CRecordContextRef::operator=(CRecordContextRef&& other) noexcept {
    if (this != &other) {
        Release();
        m_context = std::exchange(other.m_context, nullptr);
    }
    return *this;
}

CRecordContextRef::~CRecordContextRef() {
    Release();
}

// The owners' count is dropped with release order and the deleting owner acquires, so every
// owner's reads of the context come before its deletion.
void CRecordContextRef::Release() noexcept {
    if (m_context != nullptr && m_context->m_nOwners.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete m_context;
    }
    m_context = nullptr;
}
