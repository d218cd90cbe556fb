#include "CWrittenTrace.h"

#include "EngineTestSupport.h"

CWrittenTrace::CWrittenTrace(const std::string& name, const std::string& text)
    : m_strPath(m_folder.File(name)), m_analyzer(TestCatalog(), m_fileSystem, m_notifier) {
    CTempFolder::Write(m_strPath, text);
    m_analyzer.SetFiles({m_strPath});
    m_analyzer.SetShowSys(1);
    m_analyzer.ReadFileList();
}
