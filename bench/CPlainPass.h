#pragma once

#include <cstdint>
#include <string>

// The plain full pass over a trace that the file-mode analysis is measured against: on one
// thread per core, every line is classified, the figures of every call line are summed per
// cursor number and the ela of every wait line is summed. It keeps no records, texts, plans,
// profile or call tree, so it shows how fast this machine can read and take apart a trace.
class CPlainPass {
public:
    explicit CPlainPass(std::string path);

    // Runs the pass; answers a checksum of every sum, so that none of the work can be left
    // out. Throws when the file cannot be read.
    std::int64_t Run() const;

private:
    std::string m_strPath;
};
