#pragma once

#include <string>
#include <string_view>

// A folder of its own under the system's temporary folder, removed with its files.
class CTempFolder {
public:
    CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    ~CTempFolder();

    const std::string& Path() const { return m_strPath; }
    std::string File(std::string_view name) const { return m_strPath + "/" + std::string(name); }

    static void Write(const std::string& path, std::string_view bytes);
    static void Append(const std::string& path, std::string_view bytes);
    static std::string Read(const std::string& path);

private:
    std::string m_strPath;
};
