#pragma once

#include <string>

struct COpenRequest;

// The document of one analysis window. It holds no data and is never modified; it exists
// to carry the window's title, taken from the open request when it is created.
class CVelquorDoc {
public:
    bool OnNewDocument(const COpenRequest& request);

    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(std::string title) { m_strTitle = std::move(title); }

private:
    std::string m_strTitle;
};
