// What "history" shows of the run record: the records grouped by transfer, chosen by profile,
// problems and number, as text, as tab-separated lines or as an HTML page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "runner/RunRecord.h"

struct HistoryQuery {
    bool hasProfile = false;
    std::string profile;  // compared as the registry compares names; ANSI code page
    bool problems = false;
    size_t last = 0;      // the last this many transfers; 0 for all
};

// One transfer event: the records of the tweaks it examined, in their order.
struct RecordedTransfer {
    std::vector<RunRecord> records;
    bool problem = false;
};

// The records (oldest first) grouped by transfer: consecutive indexes of one event, which share
// its time, profile, type and paths, even where another process wrote between them.
std::vector<RecordedTransfer> SelectTransfers(const std::vector<RunRecord>& records, const HistoryQuery& query);

// A header row, then one line per record, in the ANSI code page: the time, profile, type number,
// local and remote path, index, tweak name, outcome, detail, duration in ms, "run" for the
// console tool's runs, the transfer type's name and the reason a tweak was skipped, escaped.
void PrintHistoryTsv(const std::vector<RecordedTransfer>& transfers, std::ostream& out);
// One block per transfer, problems marked with "!", in the ANSI code page; german: the words in
// German (the user's interface language, as for the help), the tweaks' names and paths as recorded.
void PrintHistory(const std::vector<RecordedTransfer>& transfers, std::ostream& out, bool german);
// A page in UTF-8, newest transfer first, in German or English as PrintHistory; file is where the
// record is kept.
std::string HistoryPage(const std::vector<RecordedTransfer>& transfers, const std::string& file, bool on,
                        bool german);
