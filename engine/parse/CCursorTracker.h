#pragma once

#include "CCursorMap.h"
#include "CHeaderReader.h"
#include "CRecordContext.h"
#include "CRecordDelta.h"
#include "CSessionTags.h"
#include "CSharedTexts.h"
#include "CStatementRecord.h"
#include "CTraceContext.h"
#include "CTraceProfile.h"
#include "TraceLines.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Reads the lines of one trace file, or of one piece of it, in order. Every line belongs to a
// context (CTraceContext): a line naming a process ("Unix process pid: N" at a line's start,
// "*** [ Unix process pid: N ]", the same with "Windows thread id") switches the process, a
// "*** SESSION ID:(...)" header the session of the current process. A run of "*** " lines is
// one header: its session applies to all of its lines. Each context keeps its own state
// (CContextState): cursor bindings, depths, call tree and session tags.
//
// Blocks start after separator lines; a block whose first line is a statement header makes a
// record and binds the header's cursor number to it in the current context (a hidden
// statement binds the number too, and its lines are dropped). Every call, plan and wait line
// of a cursor adds to the record its number is bound to in the line's context at that point,
// wherever the line stands. Lines of a number not bound here are collected per context and
// number ("leading" lines): the part of the file before this text decides whom they belong
// to. Self figures of calls are worked out with the depths of the context's calls. Every line
// also goes into the text's profile (CTraceProfile), in its context under the context's
// session tags; every call joins the context's call tree: the calls of the next depth written
// since the last call at its depth are its children.
//
// File mode reads each piece with a tracker of its own and joins the pieces in order
// (CBindingResolver); live mode keeps one tracker per file, hands its new records over
// after each read and from then on reports what later lines add to them as deltas.
class CCursorTracker {
public:
    // Where the lines of a cursor number go.
    struct CBinding {
        enum class EKind { Record, Emitted, Hidden };
        EKind kind = EKind::Hidden;
        std::size_t record = 0;   // Record: position among the records made here
        std::uint64_t serial = 0; // Emitted: the record handed over
        bool recursive = false;   // the header's "dep=" is above 0

        // The binding as one number, for a CCursorMap: the kind in the top bits, then
        // whether it is recursive.
        std::uint64_t Encode() const;
        static CBinding Decode(std::uint64_t value);

        bool operator==(const CBinding&) const = default;
    };
    // Who a call belongs to: a binding made here, or a number not bound here.
    struct COwner {
        bool leading = false;
        std::uint64_t cursor = 0; // leading: the number
        CBinding binding;         // otherwise
    };
    // The first call at a depth: its self figures lack the calls of the next depth that
    // were written before this text began.
    struct CFirstCall {
        bool seen = false;
        ECallKind kind = ECallKind::Parse;
        COwner owner;
    };

    // The bound number looked up last with its encoded binding, as most lines follow one of
    // the same cursor; forgotten whenever a binding changes.
    struct CLastBound {
        bool known = false;
        std::uint64_t cursor = 0;
        std::uint64_t binding = 0;
    };
    // What the tracker keeps for one context of its text: the cursor numbers bound there, each
    // to an encoded CBinding; the lines of numbers not bound there; per depth the calls of the
    // next depth written since the last call at this depth (as figures and as call-tree
    // nodes) and the first call; and the record context its records are made with.
    struct CContextState {
        CTraceContext key; // as this text states it
        CRecordContextRef record;
        CCursorMap bindings;
        CLastBound lastBound;
        std::vector<std::pair<std::uint64_t, CCursorFigures>> leading;
        CCursorMap leadingIndex;
        std::vector<CSelfFigures> pending;
        std::vector<CFirstCall> firstCalls;
        std::vector<std::vector<CCallTreeNode>> pendingTree;
    };

    // Deeper calls count as calls at this depth, so that a wrong "dep=" costs no memory.
    static constexpr std::int64_t kMaxDepth = 1000;

    // `file` is the plain trace file the text comes from, whose records keep the positions
    // of their texts in it; without one, the texts are copied into the records.
    CCursorTracker(CHeaderReader headers, std::string pid,
                   std::shared_ptr<const CTraceFileSnapshot> file = nullptr);

    // Reads `text`, which ends at a line break unless nothing of this file follows it and
    // starts at byte `offset` of the file. The file's text ends at its first zero byte: the
    // lines before it are read, and nothing after it.
    void Feed(std::string_view text, std::uint64_t offset = 0);
    // Where the zero byte that ended the text stands in the file, if one did.
    std::optional<std::uint64_t> ZeroAt() const { return m_zeroAt; }
    // Ends the text: the open block is closed, and texts made later share none with those
    // made before.
    void Finish();

    std::vector<CStatementRecord>& Records() { return m_records; }
    // The contexts of the text, in the order their first line came; the lines of two of them
    // that are one context of the file (the text not knowing it) come in this order too.
    std::deque<CContextState>& Contexts() { return m_contexts; }
    // The profile of the text read.
    CTraceProfile& Profile() { return m_profile; }

    // Live mode: hands the records made since the last call over, giving each a serial;
    // later lines for them become deltas. (A live file is read by one tracker from its
    // start, so its first calls need no correction and are not looked at.)
    std::vector<CStatementRecord> TakeRecords(const std::function<std::uint64_t()>& nextSerial);
    // Live mode: what lines read since the last call added to records handed over before.
    std::vector<CRecordDelta> TakeDeltas();
    // Live mode: the profile of the lines read since the last call. The tracker has read its
    // file from the start, so cursors it found no header for are bound to no statement: their
    // waits count at depth 0, and their lines are dropped.
    CTraceProfile TakeProfile();

private:
    // The block after the last separator.
    struct COpenBlock {
        bool open = false;
        bool statement = false; // it began with a statement header, shown or hidden
        bool cursorBlock = false;
        bool inSql = false;     // a cursor block before its "END OF STMT"
        bool sqlInFile = false; // its record's SQL text is left in the file, not copied
        bool shown = false;
        bool hasRest = false;
        CBinding target; // shown: the record the block's lines go to
    };

    // `lastColon`: where the line's last ":" stands in it, npos when it holds none.
    void ReadLine(std::string_view line, std::size_t lastColon);
    void StartBlock(std::string_view line);
    void ContinueBlock(std::string_view line, std::size_t lastColon);
    void AppendToBlock(std::string_view line, std::size_t endOfSql);
    void AppendToSql(std::string_view text);
    void FlushBlockLines();
    void CloseBlock();
    unsigned Dispatch(std::string_view line, const CCursorLine& kind);
    void CountCallsAnywhere(std::string_view line, std::size_t from, unsigned counted,
                            std::size_t lastColon);
    CSelfFigures TakeRecursive(const CCallFigures& call, std::int64_t depth, ECallKind kind,
                               const COwner& owner);
    CCursorFigures* SinkOf(std::uint64_t cursor, COwner& owner);
    CCursorFigures* SinkOf(const CBinding& binding);
    CRecordDelta& DeltaOf(std::uint64_t serial);
    std::uint64_t OffsetOf(std::string_view line) const;
    // A wait event met here: its number in CEventNames and in the profile being made, which
    // numbers its events anew after each TakeProfile.
    struct CEvent {
        static constexpr std::size_t kNotInProfile = ~std::size_t{0};

        std::string name;
        std::uint32_t id = 0;
        std::size_t profileEvent = kNotInProfile;
    };
    const CEvent& EventOf(std::string_view name);
    void ReadHeaderLine(std::string_view line);
    // Applies the open header (m_header.open).
    void EndHeader();
    void SwitchProcess(std::string_view process);
    void SwitchTo(const CTraceContext& key);
    std::size_t Slice();
    void AddToProfile(std::string_view line, ETraceLine kind);
    void AddToCallTree(const CCallLine& call, const CSelfFigures& self, std::size_t depth,
                       bool first, CStatementRef statement, CCursorFigures* sink);
    static CStatementRef RefOf(const COwner& owner, std::uint64_t cursor);
    void ResolveHandedOver(const std::vector<std::uint64_t>& serials);

    CHeaderReader m_headers;
    // The pid from the file's name and the file, for the record contexts of every context.
    CRecordContextRef m_file;
    std::deque<CContextState> m_contexts;
    std::map<CTraceContext, CContextState*> m_contextIndex;
    // Each process's current context.
    std::map<std::optional<std::string>, CContextState*> m_processes;
    CContextState* m_pContext = nullptr; // the current context
    // The header ("*** " lines) being read, applied at the first line after it.
    struct CHeader {
        bool open = false;
        std::optional<std::string> process;
        std::optional<std::string> session;
        std::vector<std::pair<ESessionTag, std::string>> tags;
    };
    CHeader m_header;
    const char* m_pText = nullptr;   // the text being read
    std::uint64_t m_nTextOffset = 0; // and where it starts in the file
    std::optional<std::uint64_t> m_zeroAt;
    COpenBlock m_block;
    // "<cursor id>:" of the open block when it is a shown cursor block, for its call patterns
    // anywhere in its rest; kept apart from the block so that its room serves every block.
    std::string m_strNeedle;
    // Lines of the open block in the text being read, not yet copied into its record.
    std::vector<std::string_view> m_blockLines;
    // SQL lines of the open cursor block before its "END OF STMT", or of the open parse
    // error not yet copied into its record.
    std::string m_strPendingSql;
    // The SQL texts of the records made here, one copy of each, until the text ends.
    CSharedTexts m_sqlTexts;
    // Wait events met here with their numbers, so most lines need one search of a few names.
    std::vector<CEvent> m_events;
    std::vector<CStatementRecord> m_records;
    std::vector<CRecordDelta> m_deltas;
    CCursorMap m_deltaIndex; // serial to position in m_deltas
    CTraceProfile m_profile;
    std::size_t m_nSlice = kNoSlice; // m_profile's slice of the current tags
    static constexpr std::size_t kNoSlice = ~std::size_t{0};
};
