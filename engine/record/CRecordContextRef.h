#pragma once

class CRecordContext;

// An owner of a CRecordContext in one pointer, where a record holds its context: the context
// keeps its owners' count itself, and the last owner to let go deletes it. Owners may be
// copied and dropped on any thread.
class CRecordContextRef {
public:
    CRecordContextRef() = default;
    CRecordContextRef(const CRecordContextRef& other) noexcept;
    CRecordContextRef(CRecordContextRef&& other) noexcept;
    CRecordContextRef& operator=(const CRecordContextRef& other) noexcept;
    CRecordContextRef& operator=(CRecordContextRef&& other) noexcept;
    ~CRecordContextRef();

    // The context, or nullptr for none.
    const CRecordContext* Get() const { return m_context; }
    const CRecordContext& operator*() const { return *m_context; }
    const CRecordContext* operator->() const { return m_context; }

private:
    friend class CRecordContext;

    // Becomes an owner of `context`, which was made on the heap by CRecordContext.
    explicit CRecordContextRef(const CRecordContext* context) noexcept;
    void Release() noexcept;

    const CRecordContext* m_context = nullptr;
};
