#include "CTraceSettings.h"

void CTraceSettings::SetValue(const std::string& key, const std::string& value) {
    m_mapValues[key] = value;
}

std::string CTraceSettings::GetValue(const std::string& key) const {
    const auto it = m_mapValues.find(key);
    return it == m_mapValues.end() ? std::string() : it->second;
}
