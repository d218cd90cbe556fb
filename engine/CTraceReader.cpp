#include "CTraceReader.h"

#include "CFileListReader.h"
#include "INetworkShares.h"
#include "ITraceFileSystem.h"
#include "ITraceNotifier.h"

namespace {

// The byte count up to and including the last line break of `text`; 0 without one.
std::size_t WholeLines(std::string_view text) {
    const std::size_t last = text.find_last_of("\r\n");
    return last == std::string_view::npos ? 0 : last + 1;
}

} // namespace

CTraceReader::CTraceReader(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                           INetworkShares& shares, ITraceNotifier& notifier)
    : m_catalog(catalog), m_fileSystem(fileSystem), m_shares(shares), m_notifier(notifier) {}

CReadBatch CTraceReader::ReadFileList(IReadProgress* progress) {
    m_bFirstRead = 0;
    std::size_t start = 0;
    while (start <= m_strPath.size()) {
        const std::size_t bar = std::min(m_strPath.find('|', start), m_strPath.size());
        if (bar > start) {
            UpdateFileState(m_strPath.substr(start, bar - start));
        }
        start = bar + 1;
    }
    std::int64_t total = 0;
    for (const auto& [path, state] : m_fileStates) {
        total += std::max<std::int64_t>(0, state.size - state.readPosition);
    }
    const CHeaderReader headers = Headers();
    CFileListReader reader(m_fileSystem, m_notifier, headers, progress, total, m_nPieceBytes,
                           [this] { return NextSerial(); });
    CReadBatch batch;
    for (auto& [path, state] : m_fileStates) {
        CTraceProfile profile;
        const bool done = reader.Read(path, state, batch.appended, profile);
        state.profile.Append(profile);
        batch.profiles.push_back({path, std::move(profile)});
        if (!done) {
            batch.cancelled = true;
            break;
        }
    }
    return batch;
}

CReadBatch CTraceReader::ReadFolder() {
    ConnectTraceShare();
    for (const std::string& path : m_fileSystem.ListTraceFiles(m_strPath)) {
        UpdateFileState(path);
    }
    CReadBatch batch;
    ReadNewData(batch);
    m_bFirstRead = 0;
    return batch;
}

bool CTraceReader::ConnectTraceShare() {
    std::string remote;
    if (m_strPath.size() >= 2 && m_strPath[1] == ':') {
        const std::string drive = m_strPath.substr(0, 2);
        const int type = m_shares.GetDriveType(drive);
        if (type == INetworkShares::kDriveUnknown) {
            return false;
        }
        if (type != INetworkShares::kDriveNoRootDir) {
            return true;
        }
        if (!m_shares.GetRemoteName(drive, remote) || !remote.starts_with("\\\\")) {
            return false;
        }
    } else if (m_strPath.starts_with("\\\\")) {
        remote = m_strPath;
    } else {
        return false;
    }
    if (remote.ends_with('\\')) {
        remote.pop_back();
    }
    return m_shares.AddConnection(remote);
}

// Brings one file's entry up to date. A new file in a live trace that was already there at
// the first read is followed from its end; a replaced or truncated file is read again from
// its first byte; a change shows in the modification time or the size.
void CTraceReader::UpdateFileState(const std::string& path) {
    CFileStatus status;
    std::string error;
    if (!m_fileSystem.GetStatus(path, status, error)) {
        m_notifier.Notify("wrong at get filestatus");
        return;
    }
    const auto it = m_fileStates.find(path);
    if (it == m_fileStates.end()) {
        CTraceFileState& state = m_fileStates[path];
        state.identity = status.identity;
        state.modifiedNs = status.modifiedNs;
        state.size = status.size;
        state.statusSize = status.size;
        state.readPosition = m_bFirstRead ? status.size : 0;
        return;
    }
    CTraceFileState& state = it->second;
    if (state.identity != status.identity || status.size < state.readPosition) {
        Restart(state);
    } else if (state.modifiedNs == status.modifiedNs && state.statusSize == status.size) {
        return;
    }
    state.identity = status.identity;
    state.modifiedNs = status.modifiedNs;
    state.statusSize = status.size;
    state.size = status.size;
}

// A file read again from its first byte starts with no cursor bound.
void CTraceReader::Restart(CTraceFileState& state) {
    state.readPosition = 0;
    state.tracker.reset();
    state.profile = {};
}

CHeaderReader CTraceReader::Headers() const {
    return CHeaderReader(m_catalog, m_bShowSys != 0, m_strTypeFlags);
}

void CTraceReader::ReadNewData(CReadBatch& batch) {
    for (auto& [path, state] : m_fileStates) {
        if (state.size < state.readPosition) {
            Restart(state);
        }
        if (state.readPosition != state.size) {
            ReadNewBytes(path, state, batch);
        }
    }
}

// Reads what was appended to a file. Only whole lines are analysed: the bytes after the
// last line break wait for the next read, unless a zero byte ends the text before them.
void CTraceReader::ReadNewBytes(const std::string& path, CTraceFileState& state,
                                CReadBatch& batch) {
    const std::int64_t size = state.size - state.readPosition;
    std::string buffer(static_cast<std::size_t>(size), '\0');
    std::string error;
    const auto result = m_fileSystem.ReadAt(path, state.readPosition, size, buffer.data(), error);
    if (result != ITraceFileSystem::ReadResult::Done) {
        if (result == ITraceFileSystem::ReadResult::Error) {
            m_notifier.Notify(error);
            m_notifier.Notify("wrong at reading trace file");
        }
        state.size = state.readPosition;
        return;
    }
    std::string_view text(buffer);
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos) {
        text = text.substr(0, zero);
        state.readPosition = state.size;
    } else {
        text = text.substr(0, WholeLines(text));
        state.readPosition += static_cast<std::int64_t>(text.size());
    }
    AnalyzeNewText(text, path, state, batch);
}

// New statements become records at once, with the lines read so far; what the new lines add
// to statements handed over by earlier reads goes out as deltas.
void CTraceReader::AnalyzeNewText(std::string_view text, const std::string& path,
                                  CTraceFileState& state, CReadBatch& batch) {
    if (!state.tracker) {
        state.tracker.emplace(Headers(), CHeaderReader::PidFromPath(path));
    }
    state.tracker->Feed(text);
    for (CStatementRecord& record : state.tracker->TakeRecords([this] { return NextSerial(); })) {
        batch.appended.push_back(std::move(record));
    }
    for (CRecordDelta& delta : state.tracker->TakeDeltas()) {
        batch.updated.push_back(std::move(delta));
    }
    CTraceProfile profile = state.tracker->TakeProfile();
    state.profile.Append(profile);
    batch.profiles.push_back({path, std::move(profile)});
}
