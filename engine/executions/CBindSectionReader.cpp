#include "CBindSectionReader.h"

#include "TraceLines.h"
#include "TraceText.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kUndefined = "No oacdef for this bind.";
constexpr std::string_view kDump = "Dump of memory from";
constexpr std::string_view kInvalidNumber = "###";

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsHexWord(std::string_view word) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// The number after `key` up to the next blank; -1 without the key.
std::int64_t NumberAfter(std::string_view line, std::string_view key) {
    const std::size_t at = line.find(key);
    return at == std::string_view::npos ? -1 : ParseInteger(line.substr(at + key.size()));
}

bool IsPlaceholderChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$' || c == '#';
}

} // namespace

bool CBindSectionReader::EndsSection(std::string_view line) {
    if (ClassifyLine(line).kind != ETraceLine::Other || IsSeparatorLine(line)) {
        return true;
    }
    return line.starts_with("BINDS #") || line.starts_with("PARSING IN CURSOR") ||
           line.starts_with("PARSE ERROR");
}

void CBindSectionReader::Add(std::string_view line) {
    if (m_bInQuotes) {
        ReadValue(line);
        return;
    }
    if (m_bInDump && ReadDumpLine(line)) {
        return;
    }
    m_bInDump = false;
    const std::string_view text = TrimRight(TrimLeft(line));
    if (text.starts_with("Bind#")) {
        StartBind(ParseInteger(text.substr(5)), 0);
    } else if (text.starts_with("bind ") && text.find("dty=") != std::string_view::npos) {
        StartBind(ParseInteger(text.substr(5)), NumberAfter(text, "dty="));
    } else if (!m_bOpen) {
        return;
    } else if (text.starts_with("oacdty=")) {
        m_bind.type = ParseInteger(text.substr(7));
    } else if (text.starts_with(kUndefined)) {
        m_bUndefined = true;
    } else if (text.starts_with("value=")) {
        m_bHasValue = true;
        m_strValue.clear();
        ReadValue(text.substr(6));
    } else if (text.starts_with(kDump)) {
        m_bInDump = true;
    }
}

void CBindSectionReader::StartBind(std::int64_t position, std::int64_t type) {
    CloseBind();
    m_bOpen = true;
    m_bind = {position, type, std::nullopt};
}

// A quoted value is its text between the quotes; a value is read from the line after
// "value=" and, while its quote is open, from the whole of each next line.
void CBindSectionReader::ReadValue(std::string_view value) {
    if (m_bInQuotes) {
        m_strValue += '\n';
        const std::size_t close = value.rfind('"');
        m_strValue.append(value.substr(0, close));
        m_bInQuotes = close == std::string_view::npos;
        return;
    }
    if (!value.starts_with('"')) {
        m_strValue.assign(value);
        return;
    }
    const std::size_t close = value.rfind('"');
    m_bInQuotes = close == 0;
    m_strValue.assign(value.substr(1, m_bInQuotes ? std::string_view::npos : close - 1));
}

// A line of a memory dump: an address, then words of hex digits up to the "[" of the
// dump's characters.
bool CBindSectionReader::ReadDumpLine(std::string_view line) {
    std::string_view rest = TrimLeft(line);
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos || !IsHexWord(rest.substr(0, blank))) {
        return false;
    }
    rest = rest.substr(blank, rest.find('[') - blank);
    std::string words;
    while (!(rest = TrimLeft(rest)).empty()) {
        const std::string_view word = rest.substr(0, rest.find(' '));
        if (!IsHexWord(word)) {
            return false;
        }
        words.append(word);
        rest.remove_prefix(word.size());
    }
    m_strDump += words;
    return true;
}

void CBindSectionReader::CloseBind() {
    if (!m_bOpen) {
        return;
    }
    if (m_bHasValue && m_strValue == kInvalidNumber) {
        m_bind.value = m_strDump.empty() ? m_strValue : m_strValue + " " + m_strDump;
    } else if (m_bHasValue && !(m_strValue.empty() && !m_strDump.empty())) {
        m_bind.value = m_strValue;
    } else if (!m_strDump.empty()) {
        m_bind.value = m_strDump;
    }
    m_bind.undefined = m_bUndefined && !m_bind.value.has_value();
    m_binds.push_back(std::move(m_bind));
    m_bind = {};
    m_bOpen = m_bHasValue = m_bInQuotes = m_bInDump = m_bUndefined = false;
    m_strValue.clear();
    m_strDump.clear();
}

CBindSet CBindSectionReader::Finish() {
    CloseBind();
    CBindSet binds = std::move(m_binds);
    m_binds.clear();
    return binds;
}

void CBindSectionReader::ResolveUndefined(CBindSet& binds,
                                          const std::vector<std::string>& placeholders) {
    for (CBindValue& bind : binds) {
        if (!bind.undefined || bind.position < 0 ||
            static_cast<std::size_t>(bind.position) >= placeholders.size()) {
            continue;
        }
        const std::string& name = placeholders[static_cast<std::size_t>(bind.position)];
        const auto first = std::find(placeholders.begin(), placeholders.end(), name);
        const auto earlier = static_cast<std::int64_t>(first - placeholders.begin());
        for (const CBindValue& other : binds) {
            if (other.position == earlier && earlier != bind.position && !other.undefined) {
                bind.value = other.value;
                bind.type = other.type;
                bind.undefined = false;
            }
        }
    }
}

std::vector<std::string> CBindSectionReader::Placeholders(std::string_view sql) {
    std::vector<std::string> names;
    bool quoted = false;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] == '\'') {
            quoted = !quoted;
        } else if (!quoted && sql[i] == ':' && i + 1 < sql.size() &&
                   IsPlaceholderChar(sql[i + 1]) && (i == 0 || sql[i - 1] != ':')) {
            std::size_t end = i + 1;
            while (end < sql.size() && IsPlaceholderChar(sql[end])) {
                ++end;
            }
            std::string name(sql.substr(i + 1, end - i - 1));
            std::transform(name.begin(), name.end(), name.begin(), [](char c) {
                return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            });
            names.push_back(std::move(name));
            i = end - 1;
        }
    }
    return names;
}
