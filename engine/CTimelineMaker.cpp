#include "CTimelineMaker.h"

#include "CMemoryFileSystem.h"
#include "CTimelineScan.h"
#include "CTraceAnalyzer.h"

#include <map>
#include <unordered_map>

namespace {

// The rows of the listed records of one plain file, by block offset.
using FRows = std::unordered_map<std::uint64_t, std::int64_t>;

// The rows of the listed records of plain files, and each file as it was read.
std::map<std::string, FRows> RowsOf(const CTraceAnalyzer& analyzer,
                                    std::map<std::string, CTraceFileSnapshot>& files) {
    std::map<std::string, FRows> rows;
    const CTraceFileSnapshot* lastFile = nullptr;
    FRows* fileRows = nullptr;
    for (std::int64_t row = 0; row < analyzer.GetCount(); ++row) {
        const CStatementRecord& record = analyzer.GetRecord(row);
        if (record.File() == nullptr) {
            continue;
        }
        if (record.File() != lastFile) {
            lastFile = record.File();
            files.try_emplace(lastFile->path, *lastFile);
            fileRows = &rows[lastFile->path];
        }
        fileRows->try_emplace(record.m_nBlockOffset, row);
    }
    return rows;
}

// The analyser's files, each as it was read when its records say so.
std::vector<CTimelineScan::CFile>
FilesOf(const CTraceAnalyzer& analyzer,
        const std::map<std::string, CTraceFileSnapshot>& snapshots) {
    std::vector<CTimelineScan::CFile> files;
    for (const std::string& path : analyzer.ProfiledFiles()) {
        CTimelineScan::CFile& file = files.emplace_back(CTimelineScan::CFile{path, std::nullopt});
        if (const auto known = snapshots.find(path); known != snapshots.end()) {
            file.snapshot = known->second;
        }
    }
    return files;
}

void AddProblem(std::string& error, const std::string& problem) {
    error += (error.empty() ? "" : "\n") + problem;
}

} // namespace

bool CTimelineMaker::Make(const CTraceAnalyzer& analyzer, ITraceFileSystem& fileSystem,
                          std::int64_t minGap, CTimeline& timeline, std::string& error) {
    std::map<std::string, CTraceFileSnapshot> snapshots;
    const std::map<std::string, FRows> rows = RowsOf(analyzer, snapshots);
    timeline = CTimeline();
    bool complete = true;
    for (const CTimelineScan::CFile& file : FilesOf(analyzer, snapshots)) {
        CTimeline scanned;
        std::string problem;
        if (!CTimelineScan::Scan(fileSystem, file, minGap, scanned, problem)) {
            AddProblem(error, problem);
            complete = false;
            continue;
        }
        timeline.Append(std::move(scanned));
    }
    for (CTimeline::CStatement& statement : timeline.Statements()) {
        const auto file = rows.find(timeline.Files()[statement.file]);
        if (file != rows.end()) {
            const auto row = file->second.find(statement.blockOffset);
            statement.row = row == file->second.end() ? -1 : row->second;
        }
    }
    timeline.Sort();
    return complete;
}

bool CTimelineMaker::Cut(const CTraceAnalyzer& analyzer, ITraceFileSystem& fileSystem,
                         const CTimeRange& range, CMemoryFileSystem& cut, std::string& error) {
    std::map<std::string, CTraceFileSnapshot> snapshots;
    RowsOf(analyzer, snapshots);
    bool complete = true;
    for (const CTimelineScan::CFile& file : FilesOf(analyzer, snapshots)) {
        std::string text;
        std::string problem;
        if (!CTimelineScan::Cut(fileSystem, file, range, text, problem)) {
            AddProblem(error, problem);
            complete = false;
            continue;
        }
        cut.Add(file.path, std::move(text));
    }
    return complete;
}
