#pragma once

#include <map>
#include <string>

// One configured live trace: a map from key to value. The keys in use are kTraceName,
// kTracePath, kSys and kOctCheck; a missing key reads as the empty text.
class CTraceSettings {
public:
    static constexpr const char* kTraceName = "TRACENAME";
    static constexpr const char* kTracePath = "TRACEPATH";
    static constexpr const char* kSys = "SYS";
    static constexpr const char* kOctCheck = "OCTCHECK";

    void SetValue(const std::string& key, const std::string& value);
    std::string GetValue(const std::string& key) const;

    bool operator==(const CTraceSettings&) const = default;

private:
    std::map<std::string, std::string> m_mapValues;
};
