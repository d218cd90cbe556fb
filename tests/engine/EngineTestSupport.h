#pragma once

#include "CCommandTypeCatalog.h"
#include "CLocalNetworkShares.h"
#include "CPosixFileSystem.h"
#include "CReferenceAnalyzer.h"
#include "CStderrNotifier.h"
#include "CTraceAnalyzer.h"

#include <string>
#include <vector>

const CCommandTypeCatalog& TestCatalog();

// Real trace files written by Oracle servers, or none when the folder is absent.
std::vector<std::string> RealTraces();

// The records a file-mode analyser makes of these files.
std::vector<CStatementRecord> FileModeRecords(const std::vector<std::string>& paths, bool showSys,
                                              const std::string& flags = "");

// Fails the test on the first field in which the records differ.
void ExpectSameRecords(const std::vector<CStatementRecord>& actual,
                       const std::vector<CReferenceRecord>& expected);
void ExpectSameRecords(const std::vector<CStatementRecord>& actual,
                       const std::vector<CStatementRecord>& expected);

std::vector<CStatementRecord> RecordsOf(const CTraceAnalyzer& analyzer);

// A small cursor block with the given user, command type and SQL, with one call of each kind.
std::string CursorBlock(int cursor, int uid, int oct, const std::string& sql);
