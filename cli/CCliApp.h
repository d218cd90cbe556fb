#pragma once

#include "CCliNotifier.h"
#include "CCliOptions.h"
#include "CCommandTypeCatalog.h"
#include "CPosixFileSystem.h"

#include <memory>
#include <string>
#include <vector>

class CMemoryFileSystem;
class CTraceAnalyzer;
class IRecordWriter;

// velquor-cli: the engine headless, for scripts. Runs one command and returns the exit
// status: 0 on success, 1 when reading or writing failed, 2 on a usage mistake, a missing
// input file or an unreadable folder.
class CCliApp {
public:
    CCliApp();
    ~CCliApp();

    int Run(const std::vector<std::string>& args);

private:
    int RunCommand(const CCliOptions& options);
    int RunList(const CCliOptions& options);
    int RunShow(const CCliOptions& options);
    int RunSave(const CCliOptions& options);
    int RunFollow(const CCliOptions& options);
    int RunProfile(const CCliOptions& options);
    static std::string WaitHistogramsText(const CTraceAnalyzer& analyzer, bool excludeIdle);
    int RunSqls(const CCliOptions& options);
    int RunTree(const CCliOptions& options);
    int RunExecs(const CCliOptions& options);
    int RunTimeline(const CCliOptions& options);

    // The command's analyser, kept by the app until it is destroyed.
    CTraceAnalyzer& MakeAnalyzer(const CCliOptions& options);
    // File mode over the options' files, sorted as asked.
    CTraceAnalyzer& Analyze(const CCliOptions& options);
    // Analyze, then, with --from or --to, file mode over the files cut to the time range.
    CTraceAnalyzer& AnalyzeRange(const CCliOptions& options);
    int FinishOutput();

    CCommandTypeCatalog m_catalog;
    CPosixFileSystem m_fileSystem;
    CCliNotifier m_notifier;
    std::unique_ptr<CMemoryFileSystem> m_cut; // the files cut to --from and --to
    std::unique_ptr<CTraceAnalyzer> m_analyzer;
};
