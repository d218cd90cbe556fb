#include "CTraceReader.h"

#include "CFileListReader.h"
#include "INetworkShares.h"
#include "ITraceFileSystem.h"
#include "ITraceNotifier.h"

#include <algorithm>
#include <new>
#include <set>

CTraceReader::CTraceReader(const CCommandTypeCatalog& catalog, ITraceFileSystem& fileSystem,
                           INetworkShares& shares, ITraceNotifier& notifier)
    : m_catalog(catalog), m_fileSystem(fileSystem), m_shares(shares), m_notifier(notifier) {}

CReadBatch CTraceReader::ReadFileList(IReadProgress* progress,
                                      const std::function<void(CReadBatch&&)>& onBatch) {
    m_bFirstRead = 0;
    std::set<std::string> canonical; // a file named twice is read once
    std::size_t start = 0;
    while (start <= m_strPath.size()) {
        const std::size_t bar = std::min(m_strPath.find('|', start), m_strPath.size());
        const std::string path = m_strPath.substr(start, bar - start);
        if (!path.empty() && canonical.insert(m_fileSystem.CanonicalPath(path)).second) {
            UpdateFileState(path, false);
        }
        start = bar + 1;
    }
    // A file under two names (hard links) is one file: it is read once, under its first name.
    std::set<std::pair<std::uint64_t, std::uint64_t>> files;
    std::set<std::string> others;
    std::int64_t total = 0;
    for (const auto& [path, state] : m_fileStates) {
        if (!files.emplace(state.identity.device, state.identity.inode).second) {
            others.insert(path);
            continue;
        }
        total += std::max<std::int64_t>(0, state.size - state.readPosition);
    }
    const CHeaderReader headers = Headers();
    CFileListReader reader(m_fileSystem, m_notifier, headers, progress, total, m_nPieceBytes,
                           m_nBatchRecords, [this] { return NextSerial(); });
    reader.SetLongestLine(m_nLongestLine);
    CReadBatch batch;
    for (auto& [path, state] : m_fileStates) {
        if (others.contains(path)) {
            continue;
        }
        CTraceProfile profile;
        const bool done = reader.Read(path, state, batch, onBatch, profile);
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
    CReadBatch batch;
    std::vector<std::string> paths;
    std::string error;
    NoteFolderState(m_fileSystem.ListTraceFiles(m_strPath, paths, error), error, batch);
    std::sort(paths.begin(), paths.end()); // new names of one file: the first is followed
    for (const std::string& path : paths) {
        UpdateFileState(path, true);
    }
    ReadNewData(batch);
    m_bFirstRead = 0;
    return batch;
}

void CTraceReader::NoteFolderState(bool listed, const std::string& error, CReadBatch& batch) {
    if (listed == m_bFolderListed) {
        return;
    }
    m_bFolderListed = listed;
    batch.folderChange =
        listed ? CReadBatch::FolderChange::Back : CReadBatch::FolderChange::Missing;
    batch.folderMessage = listed ? "Trace folder available, following it: " + m_strPath
                                 : "Trace folder unavailable, waiting for it: " + error;
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

void CTraceReader::ForgetFiles() {
    m_fileStates.clear();
    m_departed.clear();
}

// Brings one file's entry up to date. A new file in a live trace that was already there at
// the first read is followed from its end; a replaced or truncated file is read again from
// its first byte; a change shows in the modification time or the size. With
// `oneNamePerFile`, a name of a file followed under another name gets no entry.
void CTraceReader::UpdateFileState(const std::string& path, bool oneNamePerFile) {
    CFileStatus status;
    std::string error;
    if (!m_fileSystem.GetStatus(path, status, error)) {
        m_notifier.Notify("wrong at get filestatus");
        return;
    }
    auto it = m_fileStates.find(path);
    if (it != m_fileStates.end() && it->second.identity != status.identity) {
        m_departed.push_back(m_fileStates.extract(it));
        it = m_fileStates.end();
    }
    if (it == m_fileStates.end()) {
        if (oneNamePerFile && IsFollowedUnderAnotherName(path, status.identity)) {
            return;
        }
        it = AddFileState(path, status);
    }
    CTraceFileState& state = it->second;
    state.listedIn = m_nScan;
    if (status.size < state.readPosition) {
        Restart(state);
    } else if (state.modifiedNs == status.modifiedNs && state.statusSize == status.size) {
        return;
    }
    state.modifiedNs = status.modifiedNs;
    state.statusSize = status.size;
    state.size = status.size;
    state.unread = true;
}

// The entry of a path not known yet. A file renamed in the folder (its identity known under
// another name that no longer holds it) takes its entry along, with its read position and
// tracker; any other file gets a new one.
CTraceReader::CFileStates::iterator CTraceReader::AddFileState(const std::string& path,
                                                               const CFileStatus& status) {
    CFileStates::node_type renamed = TakeRenamedState(status.identity);
    if (!renamed.empty()) {
        renamed.key() = path;
        return m_fileStates.insert(std::move(renamed)).position;
    }
    CTraceFileState state;
    state.identity = status.identity;
    state.modifiedNs = status.modifiedNs;
    state.statusSize = status.size;
    state.size = status.size;
    state.readPosition = m_bFirstRead ? status.size : 0;
    state.unread = true;
    return m_fileStates.emplace(path, std::move(state)).first;
}

CTraceReader::CFileStates::node_type CTraceReader::TakeRenamedState(const CFileIdentity& identity) {
    if (identity == CFileIdentity{}) {
        return {};
    }
    for (auto it = m_departed.begin(); it != m_departed.end(); ++it) {
        if (it->mapped().identity == identity) {
            CFileStates::node_type node = std::move(*it);
            m_departed.erase(it);
            return node;
        }
    }
    for (auto it = m_fileStates.begin(); it != m_fileStates.end(); ++it) {
        CFileStatus status;
        std::string error;
        if (it->second.identity == identity &&
            !(m_fileSystem.GetStatus(it->first, status, error) && status.identity == identity)) {
            return m_fileStates.extract(it);
        }
    }
    return {};
}

// Whether the file of this identity is followed under another name that still holds it: a
// hard link to it, or a name replaced by one, is then not read a second time.
bool CTraceReader::IsFollowedUnderAnotherName(const std::string& path,
                                              const CFileIdentity& identity) const {
    if (identity == CFileIdentity{}) {
        return false;
    }
    return std::any_of(m_fileStates.begin(), m_fileStates.end(), [&](const auto& entry) {
        CFileStatus status;
        std::string error;
        return entry.first != path && entry.second.identity == identity &&
               m_fileSystem.GetStatus(entry.first, status, error) && status.identity == identity;
    });
}

// A file read again from its first byte starts with no cursor bound.
void CTraceReader::Restart(CTraceFileState& state) {
    state.readPosition = 0;
    state.tracker.reset();
    state.fingerprint = {};
    state.profile = {};
}

CHeaderReader CTraceReader::Headers() const {
    return CHeaderReader(m_catalog, m_bShowSys != 0, m_strTypeFlags);
}

// Reads the files of this folder scan that changed since their last read, or whose last read
// failed: a failed read is tried again at every scan.
void CTraceReader::ReadNewData(CReadBatch& batch) {
    for (auto& [path, state] : m_fileStates) {
        if (state.listedIn == m_nScan && state.unread) {
            ReadChangedFile(path, state, batch);
        }
    }
    m_departed.clear();
    ++m_nScan;
}

// A failure is reported once, and so is the first read that succeeds after it.
void CTraceReader::ReadChangedFile(const std::string& path, CTraceFileState& state,
                                   CReadBatch& batch) {
    std::string error;
    const bool read = ReadNewBytes(path, state, error);
    HandOver(path, state, batch);
    if (!read) {
        if (!state.failing) {
            state.failing = true;
            m_notifier.Notify(error);
            m_notifier.Notify("wrong at reading trace file");
        }
        return;
    }
    state.unread = false;
    if (state.failing) {
        state.failing = false;
        m_notifier.Notify(path + ": can be read again");
    }
}

// Reads what was written to a file since its last read, a piece of about m_nPieceBytes at a
// time (a longer line is read whole). Only whole lines are analysed: the bytes after the last
// line break wait for the next read. The bytes before the read position are read again with
// the first piece and must match the fingerprint of what was read; if they do not, the file
// was written anew and is read again from its first byte. false, with the reason in `error`,
// when reading failed.
bool CTraceReader::ReadNewBytes(const std::string& path, CTraceFileState& state,
                                std::string& error) {
    if (state.fingerprint.Position() != state.readPosition) {
        if (!TakeFingerprint(path, state, error)) {
            // A file followed from its end that cannot be read counts as failed once it has
            // new bytes to read.
            return state.readPosition == state.size && !state.failing;
        }
        if (state.readPosition == state.size) {
            return true;
        }
    }
    if (!CheckHead(path, state, error)) {
        return false;
    }
    std::int64_t start = state.readPosition - state.fingerprint.Length(); // where `bytes` start
    std::int64_t end = start;                                             // and end
    bool tailChecked = false;
    std::string bytes;
    while (end < state.size) {
        const std::size_t fresh = bytes.size();
        if (!ReadBytes(path, end,
                       std::min(state.size, std::max(end, state.readPosition) + m_nPieceBytes) -
                           end,
                       bytes, error)) {
            return false;
        }
        end = start + static_cast<std::int64_t>(bytes.size());
        if (!tailChecked) {
            tailChecked = true;
            const auto length = static_cast<std::size_t>(state.fingerprint.Length());
            if (bytes.size() < length || !state.fingerprint.TailMatches(bytes.substr(0, length))) {
                Restart(state);
                bytes.clear();
                start = end = 0;
                continue;
            }
        }
        if (bytes.size() == fresh || !AnalyzeWholeLines(bytes, start, fresh, path, state)) {
            break;
        }
        // What stays: the fingerprint's tail and the start of a line not yet whole.
        const std::int64_t keep = state.readPosition - state.fingerprint.Length();
        bytes.erase(0, static_cast<std::size_t>(keep - start));
        start = keep;
    }
    return true;
}

// A file followed from where it ended at the first read: takes the fingerprint there.
bool CTraceReader::TakeFingerprint(const std::string& path, CTraceFileState& state,
                                   std::string& error) {
    const std::int64_t length = CReadFingerprint::LengthAt(state.readPosition);
    std::string head;
    if (!ReadBytes(path, 0, length, head, error)) {
        return false;
    }
    std::string tail;
    if (state.readPosition > length &&
        !ReadBytes(path, state.readPosition - length, length, tail, error)) {
        return false;
    }
    state.fingerprint.Take(state.readPosition, head, state.readPosition > length ? tail : head);
    return true;
}

// The first bytes, where the bytes read again before the new ones do not cover them: a file
// whose first bytes changed is read again from its first byte.
bool CTraceReader::CheckHead(const std::string& path, CTraceFileState& state, std::string& error) {
    const std::int64_t length = state.fingerprint.Length();
    if (state.readPosition == length) {
        return true;
    }
    std::string head;
    if (!ReadBytes(path, 0, length, head, error)) {
        return false;
    }
    if (!state.fingerprint.HeadMatches(head)) {
        Restart(state);
    }
    return true;
}

// Appends up to `size` bytes at `offset` to `bytes`, fewer where the file ends.
bool CTraceReader::ReadBytes(const std::string& path, std::int64_t offset, std::int64_t size,
                             std::string& bytes, std::string& error) {
    const std::size_t old = bytes.size();
    bytes.resize(old + static_cast<std::size_t>(size));
    std::int64_t got = 0;
    const auto result = m_fileSystem.ReadSome(path, offset, size, bytes.data() + old, got, error);
    bytes.resize(old + static_cast<std::size_t>(got));
    return result == ITraceFileSystem::ReadResult::Done;
}

// Analyses the whole lines of `bytes`, the file's bytes from offset `start` on, from the read
// position up to a zero byte, and moves the read position and the fingerprint past them.
// The bytes from `fresh` on are new to this read; those before it hold no line break after
// the read position. false when a zero byte ends the text: the read position stays at the
// start of its line, which is read again once the file changed.
bool CTraceReader::AnalyzeWholeLines(std::string_view bytes, std::int64_t start, std::size_t fresh,
                                     const std::string& path, CTraceFileState& state) {
    const auto from = static_cast<std::size_t>(state.readPosition - start);
    const std::size_t scan = std::max(fresh, from);
    const std::size_t zero = bytes.find('\0', scan);
    const std::size_t end = std::min(zero, bytes.size());
    const std::size_t lineBreak = bytes.substr(scan, end - scan).find_last_of("\r\n");
    if (lineBreak != std::string_view::npos) {
        const std::size_t lines = scan + lineBreak + 1;
        AnalyzeNewText(bytes.substr(from, lines - from), path, state);
        state.readPosition = start + static_cast<std::int64_t>(lines);
        state.fingerprint.MoveTo(state.readPosition, bytes, start);
    }
    return zero == std::string_view::npos;
}

void CTraceReader::AnalyzeNewText(std::string_view text, const std::string& path,
                                  CTraceFileState& state) {
    if (!state.tracker) {
        state.tracker.emplace(Headers(), CHeaderReader::PidFromPath(path));
    }
    state.tracker->Feed(text);
}

// New statements become records at once, with the lines read so far; what the new lines add
// to statements handed over by earlier reads goes out as deltas. This happens once per file
// and read, after all its pieces: a batch's deltas add only to records of earlier batches.
void CTraceReader::HandOver(const std::string& path, CTraceFileState& state, CReadBatch& batch) {
    if (!state.tracker) {
        return;
    }
    batch.appended.Add(state.tracker->TakeRecords([this] { return NextSerial(); }));
    for (CRecordDelta& delta : state.tracker->TakeDeltas()) {
        batch.updated.push_back(std::move(delta));
    }
    CTraceProfile profile = state.tracker->TakeProfile();
    state.profile.Append(profile);
    batch.profiles.push_back({path, std::move(profile)});
}

void CTraceReader::ReportFailedRead() noexcept {
    try {
        std::string reason = "an unknown error";
        try {
            throw;
        } catch (const std::bad_alloc&) {
            reason = "not enough memory";
        } catch (const std::exception& exception) {
            reason = exception.what();
        } catch (...) {
        }
        m_notifier.Notify("the read stopped: " + reason);
        m_notifier.Notify("wrong at reading trace file");
    } catch (...) {
        // Not even the message could be given: there is no one left to tell.
    }
}
