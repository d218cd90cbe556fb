#include "CStatementRecord.h"

#include "CBlockAnalyzer.h"

std::string_view CStatementRecord::GetSql() const {
    return std::string_view(m_strNode).substr(m_nSqlStart, m_nSqlLength);
}

std::string_view CStatementRecord::GetRest() const {
    if (!m_bCursorBlock) {
        return {};
    }
    return std::string_view(m_strNode).substr(m_nRestStart);
}

std::string CStatementRecord::GetCallStats() const {
    if (GetRest().empty()) {
        return {};
    }
    return CBlockAnalyzer::FormatCallStats(*this);
}

std::string CStatementRecord::GetRowSource() const {
    const std::string_view rest = GetRest();
    if (rest.empty()) {
        return {};
    }
    return CBlockAnalyzer::ParseStatLines(rest, GetCursorId());
}

std::string_view CStatementRecord::GetCursorId() const {
    if (!m_bCursorBlock) {
        return {};
    }
    const std::string_view node(m_strNode);
    return CBlockAnalyzer::CursorIdOf(node.substr(0, node.find("\r\n")));
}
