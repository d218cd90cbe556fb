#pragma once

#include "CPlanSource.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CStatementRecord;

// The plans of a statement's plan dumps: the dumps of one plan (the same operations under the
// same ids and parents) summed up row source by row source, plans in the order they first
// came.
class CPlanDumps {
public:
    struct CPlan {
        std::size_t dumps = 0;
        std::vector<CPlanSource> sources; // in id order
    };

    // `operations` are the texts of the record's plan rows, as CRecordTexts::PlanOperations
    // gives them.
    static CPlanDumps Of(const CStatementRecord& record,
                         const std::vector<std::string>& operations);

    std::size_t DumpCount() const { return m_nDumps; }
    const std::vector<CPlan>& Plans() const { return m_plans; }

    // An operation's text without the figures in parentheses at its end.
    static std::string_view OperationName(std::string_view operation);
    // The value of `key` ("cr", "card", ...) in the figures at an operation's end; -1
    // without.
    static std::int64_t Figure(std::string_view operation, std::string_view key);

private:
    std::size_t m_nDumps = 0;
    std::vector<CPlan> m_plans;
};
