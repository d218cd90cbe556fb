#pragma once

#include <string>
#include <string_view>

// Saves a file the way every save of the program does. A symbolic link is saved through: the
// file at the end of its chain of links gets the content and the links stay. A regular file,
// or a name that does not exist yet, is replaced only when the new content was written whole:
// the bytes go into a new file beside it ("<name>.<number>.new"), which Commit renames over
// it; a replaced file keeps its permissions. Anything else, a device or a FIFO, is written
// into directly, as a shell redirection would: /dev/null takes the bytes, /dev/full fails.
// A FIFO without a reader fails at once with ENXIO instead of waiting for one.
class CFileReplacer {
public:
    explicit CFileReplacer(std::string path);
    // A save that was not committed is abandoned; its new file is removed.
    ~CFileReplacer();
    CFileReplacer(const CFileReplacer&) = delete;
    CFileReplacer& operator=(const CFileReplacer&) = delete;

    // Each returns false on failure, with the system's error number in GetError().
    bool Open();
    bool Write(std::string_view bytes);
    bool Commit();

    int GetError() const { return m_nError; }
    // The system's text for GetError().
    std::string GetErrorText() const;

    // The name a path leads to after following its links (up to 40 of them): the path itself
    // when it is no link.
    static std::string ResolveLinks(const std::string& path);
    // Whether `name` is that of a new file made beside the file named `targetName`.
    static bool IsNewFileName(std::string_view targetName, std::string_view name);

private:
    bool OpenDirect();
    bool OpenNewFile();
    bool Flush();
    bool WriteAll(std::string_view bytes);
    bool Fail();
    void Abandon();

    std::string m_strPath;
    std::string m_strTarget;  // the file replaced by Commit
    std::string m_strNewFile; // empty when writing directly
    std::string m_buffer;     // bytes not written yet
    int m_fd = -1;
    int m_nError = 0;
};
