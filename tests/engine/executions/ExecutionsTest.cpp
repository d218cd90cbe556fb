#include "CBindSectionReader.h"
#include "CExecutionReader.h"
#include "CSkewHistogram.h"
#include "CTempFolder.h"
#include "CTimelineMaker.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

namespace {

std::vector<CExecution> ExecutionsOf(const CStatementRecord& record) {
    std::vector<CExecution> executions;
    std::string error;
    EXPECT_TRUE(CExecutionReader(PosixTexts()).Read(record, executions, error)) << error;
    return executions;
}

// The records of a file read in small pieces, so that pieces' joins count too; they keep
// their texts in the file.
class CFileRecords {
public:
    explicit CFileRecords(const std::string& path)
        : m_analyzer(TestCatalog(), m_fileSystem, m_shares, m_notifier) {
        m_analyzer.SetFiles({path});
        m_analyzer.SetShowSys(1);
        m_analyzer.Reader().SetPieceBytes(4096);
        m_analyzer.ReadFileList();
        for (std::int64_t row = 0; row < m_analyzer.GetCount(); ++row) {
            m_records.push_back(&m_analyzer.GetRecord(row));
        }
    }
    const std::vector<const CStatementRecord*>& Records() const { return m_records; }
    CTraceAnalyzer& Analyzer() { return m_analyzer; }
    // The time line of the file, read from it again.
    CTimeline Timeline() {
        CTimeline timeline;
        std::string error;
        EXPECT_TRUE(CTimelineMaker::Make(m_analyzer, m_fileSystem, 0, timeline, error)) << error;
        return timeline;
    }

private:
    CPosixFileSystem m_fileSystem;
    CLocalNetworkShares m_shares;
    CStderrNotifier m_notifier;
    CTraceAnalyzer m_analyzer;
    std::vector<const CStatementRecord*> m_records;
};

std::string ValueText(const CBindValue& bind) {
    return bind.value.has_value() ? *bind.value : "NULL";
}

// One trace with every form a bind value takes, sections before a header and a PARSE, an
// array execution, waits in and out of an execution's time, and two processes that use
// the same cursor number, the second switched to by a header whose session is its own (the
// whole header's session belongs to the process the header switches to).
constexpr std::string_view kBindForms =
    "Unix process pid: 100, image: oracle@host\n"
    "\n"
    "*** SESSION ID:(10.1) 2024-01-16 17:52:40.458\n"
    "BINDS #1:\n"
    "\n"
    " Bind#0\n"
    "  oacdty=01 mxl=32(05) mxlc=00 mal=00 scl=00 pre=00\n"
    "  kxsbbbfp=7f00  bln=32  avl=05  flg=05\n"
    "  value=\"first\n"
    "second\"\n"
    " Bind#1\n"
    "  oacdty=02 mxl=22(22) mxlc=00 mal=00 scl=00 pre=00\n"
    "  kxsbbbfp=7f00  bln=22  avl=00  flg=05\n"
    " Bind#2\n"
    "  No oacdef for this bind.\n"
    " Bind#3\n"
    "  oacdty=12 mxl=07(07) mxlc=00 mal=00 scl=00 pre=00\n"
    "  kxsbbbfp=7f00  bln=07  avl=07  flg=09\n"
    "  value=\"3/1/2023 17:27:25\"\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=60 dep=0 uid=5 oct=3 lid=5 tim=1000 hv=1 ad='1' sqlid='abc'\n"
    "select * from t where a = :a and b = :b and c = :a and d = ':x' and e = :e\n"
    "END OF STMT\n"
    "PARSE #1:c=1,e=2,p=0,cr=0,cu=0,mis=1,r=0,dep=0,og=1,plh=77,tim=1010\n"
    "BINDS #1:\n"
    " Bind#0\n"
    "  oacdty=23 mxl=32(04) mxlc=00 mal=00 scl=00 pre=00\n"
    "  kxsbbbfp=7f00  bln=32  avl=04  flg=05\n"
    "  value=\n"
    "  Dump of memory from 0x00007F00 to 0x00007F04\n"
    "  7F00 0A0B0C0D                             [....]\n"
    " Bind#1\n"
    "  oacdty=02 mxl=22(22) mxlc=00 mal=00 scl=00 pre=00\n"
    "  kxsbbbfp=7f00  bln=22  avl=02  flg=05\n"
    "  value=###\n"
    "  An invalid number has been seen.Memory contents are :\n"
    "  Dump of memory from 0x00007F10 to 0x00007F12\n"
    "  7F10 C102                                 [..]\n"
    " Bind#2\n"
    "  oacdty=11 mxl=16(16) mxlc=00 mal=00 scl=00 pre=00\n"
    "  value=0000168A.0004.0001\n"
    " Bind#3\n"
    "  oacdty=180 mxl=11(11) mxlc=00 mal=00 scl=00 pre=00\n"
    "  value=2024-01-16 17:52:40.458\n"
    "WAIT #1: nam='SQL*Net message from client' ela= 500 tim=990\n"
    "WAIT #1: nam='db file sequential read' ela= 30 tim=1095\n"
    "EXEC #1:c=10,e=100,p=1,cr=2,cu=3,mis=1,r=0,dep=0,og=1,plh=77,tim=1100\n"
    "WAIT #1: nam='db file sequential read' ela= 50 tim=1150\n"
    "FETCH #1:c=20,e=200,p=4,cr=5,cu=6,mis=0,r=7,dep=0,og=1,plh=77,tim=1300\n"
    "FETCH #1:c=1,e=1,p=0,cr=0,cu=0,mis=0,r=1,dep=0,og=1,plh=77,tim=1301\n"
    "*** SESSION ID:(20.2) 2024-01-16 17:52:41.000\n"
    "*** [ Unix process pid: 200 ]\n"
    "=====================\n"
    "PARSING IN CURSOR #1 len=20 dep=0 uid=5 oct=3 lid=5 tim=2000 hv=2 ad='2'\n"
    "select 2 from dual\n"
    "END OF STMT\n"
    "EXEC #1:c=0,e=5,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,tim=2005\n"
    "*** [ Unix process pid: 100 ]\n"
    "BINDS #1:\n"
    " bind 0: dty=1 mxl=32(05) mal=00 scl=00 pre=00 oacflg=03 oacfl2=10 size=32 offset=0\n"
    "   bfp=0a000 bln=32 avl=03 flg=05\n"
    "   value=\"old\"\n"
    "BINDS #1:\n"
    " bind 0: dty=96 mxl=32(05) mal=00 scl=00 pre=00 oacflg=03 oacfl2=10 size=32 offset=0\n"
    "   bfp=0a000 bln=32 avl=00 flg=05\n"
    "EXEC #1:c=3,e=30,p=0,cr=1,cu=0,mis=0,r=2,dep=0,og=1,plh=77,tim=3000\n"
    "PARSE #1:c=1,e=1,p=0,cr=0,cu=0,mis=0,r=0,dep=0,og=1,plh=77,tim=3010\n"
    "FETCH #1:c=1,e=1,p=0,cr=0,cu=0,mis=0,r=1,dep=0,og=1,plh=77,tim=3020\n";

} // namespace

// Bind values: every form, each type name, the sections before a header and a PARSE going to
// the next EXEC, k sections as k bind sets, and each process's own cursor.
TEST(ExecutionsTest, BindFormsAndExecutionsOfAHandWrittenTrace) {
    CTempFolder folder;
    const std::string path = folder.File("forms_100.trc");
    CTempFolder::Write(path, kBindForms);
    const CFileRecords file(path);
    const std::vector<const CStatementRecord*>& records = file.Records();
    ASSERT_EQ(records.size(), 2u);

    // One pass over the whole file knows every line's process; the reader of one statement
    // stops at the calls its record counted and reads from the file's start when another
    // context's lines stand among its own.
    std::vector<std::vector<CExecution>> all;
    std::string error;
    ASSERT_TRUE(CExecutionReader(PosixTexts()).ReadAll(records, all, error)) << error;
    const std::vector<CExecution>& first = all[0];
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(ExecutionsOf(*records[0]), first);
    const CExecution& one = first[0];
    EXPECT_EQ(one.number, 1);
    EXPECT_EQ(one.line, 47);
    EXPECT_EQ(one.start, 1000);
    EXPECT_EQ(one.end, 1301);
    // The session's time stamp anchors the PARSE's tim; each process keeps its own anchor.
    ASSERT_TRUE(one.wall.has_value());
    EXPECT_EQ(one.wall->Text(), "2024-01-16T17:52:40.457990");
    ASSERT_TRUE(first[1].wall.has_value());
    EXPECT_EQ(first[1].wall->Text(), "2024-01-16T17:52:40.459960");
    EXPECT_EQ(one.elapsed, 301);
    EXPECT_EQ(one.cpu, 31);
    EXPECT_EQ(one.disk, 5);
    EXPECT_EQ(one.query, 7);
    EXPECT_EQ(one.current, 9);
    EXPECT_EQ(one.rows, 8);
    EXPECT_EQ(one.fetches, 2);
    EXPECT_EQ(one.misses, 1);
    EXPECT_EQ(one.plh, 77);
    // The wait that ended before the execution began is not its.
    ASSERT_EQ(one.waits.size(), 1u);
    EXPECT_EQ(one.waits[0].event, "db file sequential read");
    EXPECT_EQ(one.waits[0].count, 2);
    EXPECT_EQ(one.waits[0].max, 50);
    EXPECT_EQ(one.waits[0].total, 80);

    ASSERT_EQ(one.binds.size(), 2u);
    std::vector<std::string> values;
    std::vector<std::string> types;
    for (const CBindSet& set : one.binds) {
        for (const CBindValue& bind : set) {
            values.push_back(ValueText(bind));
            types.push_back(BindTypeName(bind.type));
        }
    }
    EXPECT_EQ(values, (std::vector<std::string>{"first\nsecond", "NULL", "first\nsecond",
                                                "3/1/2023 17:27:25", "0A0B0C0D", "### C102",
                                                "0000168A.0004.0001", "2024-01-16 17:52:40.458"}));
    EXPECT_EQ(types, (std::vector<std::string>{"VARCHAR2", "NUMBER", "VARCHAR2", "DATE", "RAW",
                                               "NUMBER", "type 11", "TIMESTAMP"}));

    // Older servers' layout; a PARSE ends the execution before the FETCH after it.
    const CExecution& two = first[1];
    EXPECT_EQ(two.rows, 2);
    EXPECT_EQ(two.fetches, 0);
    ASSERT_EQ(two.binds.size(), 2u);
    EXPECT_EQ(two.binds[0][0].value, "old");
    EXPECT_EQ(BindTypeName(two.binds[0][0].type), "VARCHAR2");
    EXPECT_FALSE(two.binds[1][0].value.has_value());
    EXPECT_EQ(BindTypeName(two.binds[1][0].type), "CHAR");

    const std::vector<CExecution>& other = all[1];
    ASSERT_EQ(other.size(), 1u);
    EXPECT_EQ(other[0].elapsed, 5);
    EXPECT_EQ(other[0].wall->Text(), "2024-01-16T17:52:40.999995");
    EXPECT_TRUE(other[0].binds.empty());
    EXPECT_EQ(ExecutionsOf(*records[1]), other);

    EXPECT_EQ(BindTypeName(112), "CLOB");
    EXPECT_EQ(BindTypeName(113), "BLOB");
    EXPECT_EQ(BindTypeName(181), "TIMESTAMP WITH TIME ZONE");
    EXPECT_EQ(CBindSectionReader::Placeholders("x = :1 and y = ':2' and z := :B1"),
              (std::vector<std::string>{"1", "B1"}));
}

// Per statement of every real trace, its executions add up to the statement's execute and
// fetch figures, each read alone and all of a file in one pass alike.
TEST(ExecutionsTest, ExecutionsAddUpToTheirStatementOnEveryRealTrace) {
    const std::vector<std::string> traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    for (const std::string& path : traces) {
        const CFileRecords file(path);
        const std::vector<const CStatementRecord*>& records = file.Records();
        std::vector<std::vector<CExecution>> all;
        std::string error;
        ASSERT_TRUE(CExecutionReader(PosixTexts()).ReadAll(records, all, error)) << error;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const CStatementRecord& record = *records[i];
            SCOPED_TRACE(path + " record " + std::to_string(i));
            const std::vector<CExecution> executions = ExecutionsOf(record);
            ASSERT_EQ(executions, all[i]);
            CCallFigures sum;
            std::int64_t fetches = 0;
            for (const CExecution& execution : executions) {
                sum.Add({1, execution.cpu, execution.elapsed, execution.disk, execution.query,
                         execution.current, execution.misses, execution.rows});
                fetches += execution.fetches;
            }
            CCallFigures expected = record.Exec();
            expected.Add(record.Fetch());
            expected.count = record.Exec().count;
            expected.misses = record.Exec().misses;
            EXPECT_EQ(sum, expected);
            EXPECT_EQ(fetches, record.Fetch().count);
        }
    }
}

// The wall clock of every execution of every real trace is that of its EXEC's start on the
// time line, which reads the same time stamps; a trace without them gives none.
TEST(ExecutionsTest, WallClockOfEveryExecutionIsItsStartOnTheTimeLine) {
    const std::vector<std::string> traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    for (const std::string& path : traces) {
        SCOPED_TRACE(path);
        CFileRecords file(path);
        const CTimeline timeline = file.Timeline();
        std::set<std::string> callStarts;
        for (const CTimelineEvent& event : timeline.Events()) {
            if (event.kind == ETimelineKind::Call && timeline.NameOf(event) == "EXEC") {
                if (const std::optional<CWallClock> wall = timeline.ClockOf(event, event.start)) {
                    callStarts.insert(wall->Text());
                }
            }
        }
        for (const CStatementRecord* record : file.Records()) {
            for (const CExecution& execution : ExecutionsOf(*record)) {
                ASSERT_EQ(execution.wall.has_value(), timeline.HasWallClock());
                if (execution.wall.has_value()) {
                    EXPECT_TRUE(callStarts.contains(execution.wall->Text()))
                        << execution.wall->Text() << " line " << execution.line;
                }
            }
        }
    }
}

// The array insert of the TRUNC-TEST trace is one execution of 10 bind sets; every one of
// DBM11106's 1,000 bind sections goes to an execution, its 19 binds without a definition
// taking the value they repeat.
TEST(ExecutionsTest, BindSetsOfRealTraces) {
    const std::vector<std::string> traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    const auto find = [&](std::string_view name) {
        return *std::find_if(traces.begin(), traces.end(),
                             [&](const std::string& p) { return p.ends_with(name); });
    };
    std::vector<std::string> firsts;
    const CFileRecords trunc(find("oracle-trace__cdb1_ora_5390_TRUNC-TEST.trc"));
    for (const CStatementRecord* record : trunc.Records()) {
        for (const CExecution& execution : ExecutionsOf(*record)) {
            if (execution.binds.size() > 1) {
                EXPECT_EQ(execution.binds.size(), 10u);
                for (const CBindSet& set : execution.binds) {
                    firsts.push_back(ValueText(set.at(0)));
                }
            }
        }
    }
    ASSERT_EQ(firsts.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(firsts.begin(), firsts.begin() + 3),
              (std::vector<std::string>{"Block Size", "Block Count Max", "Block Count Current"}));

    std::int64_t sets = 0;
    std::int64_t repeated = 0;
    const CFileRecords dbm(find("troubleshooting-oracle-perf__DBM11106_ora_6334.trc"));
    for (const CStatementRecord* record : dbm.Records()) {
        const std::vector<CExecution> executions = ExecutionsOf(*record);
        for (const CExecution& execution : executions) {
            sets += static_cast<std::int64_t>(execution.binds.size());
            for (const CBindSet& set : execution.binds) {
                for (const CBindValue& bind : set) {
                    EXPECT_FALSE(bind.undefined);
                    repeated += bind.position == 1 && bind.value == set.at(0).value &&
                                set.at(0).value.has_value();
                }
            }
        }
    }
    EXPECT_EQ(sets, 1000);
    EXPECT_GE(repeated, 19);
}

// Skew histograms: each duration in the bucket of its power of ten (edges, 0, below 0 and
// beyond 1000 s included), the buckets' counts, totals, least and greatest durations and
// shares those of the durations in them, and two halves merged equal to all added at once.
// On every real trace each statement's histogram of elapsed times holds its executions.
TEST(ExecutionsTest, SkewHistograms) {
    std::vector<std::int64_t> durations = {-5, 0,   1,         9,          10,
                                           99, 100, 999999999, 1000000000, 5000000000};
    std::mt19937_64 random(33);
    for (int i = 0; i < 1000; ++i) {
        durations.push_back(static_cast<std::int64_t>(random() % 20000000000u) >> (random() % 34));
    }
    CSkewHistogram all;
    CSkewHistogram first;
    CSkewHistogram second;
    std::map<std::size_t, std::vector<std::int64_t>> byBucket;
    for (std::size_t i = 0; i < durations.size(); ++i) {
        const std::int64_t duration = std::max<std::int64_t>(durations[i], 0);
        const std::size_t bucket = CSkewHistogram::BucketOf(duration);
        EXPECT_GE(duration, CSkewHistogram::LowerBound(bucket)) << duration;
        if (bucket + 1 < CSkewHistogram::kBuckets) {
            EXPECT_LT(duration, CSkewHistogram::LowerBound(bucket + 1)) << duration;
        }
        byBucket[bucket].push_back(duration);
        all.Add(durations[i]);
        (i % 2 == 0 ? first : second).Add(durations[i]);
    }
    EXPECT_EQ(CSkewHistogram::BucketOf(999999999), 9u);
    EXPECT_EQ(CSkewHistogram::BucketOf(1000000000), 10u);
    first.Merge(second);
    EXPECT_EQ(first, all);
    double timeShares = 0;
    double countShares = 0;
    const std::vector<CSkewHistogram::CRow> rows = all.Rows();
    ASSERT_EQ(rows.size(), byBucket.size());
    for (const CSkewHistogram::CRow& row : rows) {
        const std::vector<std::int64_t>& in = byBucket[row.bucket];
        EXPECT_EQ(row.count, static_cast<std::int64_t>(in.size()));
        EXPECT_EQ(row.min, *std::min_element(in.begin(), in.end()));
        EXPECT_EQ(row.max, *std::max_element(in.begin(), in.end()));
        EXPECT_LE(row.min, row.mean);
        EXPECT_LE(row.mean, row.max);
        timeShares += row.timeShare;
        countShares += row.countShare;
    }
    EXPECT_NEAR(countShares, 1.0, 1e-9);
    EXPECT_NEAR(timeShares, 1.0, 1e-6);

    const std::vector<std::string> traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    for (const std::string& path : traces) {
        const CFileRecords file(path);
        for (const CStatementRecord* record : file.Records()) {
            const CSkewHistogram histogram = CSkewHistogram::OfElapsed(ExecutionsOf(*record));
            EXPECT_EQ(histogram.Count(), record->Exec().count) << path;
            EXPECT_EQ(histogram.Total(),
                      SaturatingAdd(record->Exec().elapsed, record->Fetch().elapsed))
                << path;
        }
    }
}

// The wait histograms of a file hold every wait line: per event, the count, total, least and
// greatest duration of the profile, on every real trace.
TEST(ExecutionsTest, WaitHistogramsHoldTheProfilesWaits) {
    const std::vector<std::string> traces = RealTraces();
    SKIP_WITHOUT_REAL_TRACES(traces.empty());
    for (const std::string& path : traces) {
        SCOPED_TRACE(path);
        CFileRecords file(path);
        if (file.Records().empty()) {
            continue;
        }
        std::map<std::string, CSkewHistogram, std::less<>> histograms;
        std::string error;
        ASSERT_TRUE(CExecutionReader(PosixTexts())
                        .ReadWaitHistograms(*file.Records().front()->File(), histograms, error))
            << error;
        const CProfileReport report = file.Analyzer().Profile({}, std::nullopt, false);
        std::size_t events = 0;
        for (const CProfileRow& row : report.tables.at(0).rows) {
            if (row.kind != CProfileRow::EKind::Wait) {
                continue;
            }
            ++events;
            const CSkewHistogram& histogram = histograms[row.name];
            EXPECT_EQ(histogram.Count(), row.count) << row.name;
            EXPECT_EQ(histogram.Total(), row.time) << row.name;
            const std::vector<CSkewHistogram::CRow> rows = histogram.Rows();
            ASSERT_FALSE(rows.empty()) << row.name;
            EXPECT_EQ(rows.front().min, row.min) << row.name;
            EXPECT_EQ(rows.back().max, row.max) << row.name;
        }
        EXPECT_EQ(histograms.size(), events);
    }
}
