// The run record: what each tweak that the runner examined after a transfer did, one record a
// line in a UTF-8 file of the Windows user's own ("Runs.log" in the local application data
// folder), kept for the user to read with ZTTrevanelCtl history. Writing never fails aloud.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LocalTime;

enum class RunOutcome {
    Exit,        // started and ended; detail holds the exit code
    NoProcess,   // the shell accepted the launch but gave no process to wait for
    NotStarted,  // the shell refused the launch; detail holds the system's error code
    Skipped,     // DecideTweak said no; detail holds its reason word
    NotWaitedFor,  // the user stopped waiting in the long-wait window; the program ran on
    EndedByUser,   // the user ended the program in the long-wait window
    TimeLimit,     // the tweak's time limit ran out and the program was ended; detail holds the seconds
};

// "exit", "no-process", "not-started", "skipped", "not-waited-for", "ended-by-user" or "time-limit".
const char* RunOutcomeName(RunOutcome outcome);

// Whether the outcome left the tweak's work undone: a start that failed, a non-zero (or
// unreadable) exit code, a path the guard refused, a program the user or the time limit had to
// end. One rule for the record's problems, the failure notice and a chain that stops.
bool IsFailedOutcome(RunOutcome outcome, const std::string& detail);

// The detail of the one Skipped record of a transfer after which no set could be read.
const char* const kSetUnreadable = "set-unreadable";

struct RunRecord {
    std::string time;        // the transfer's local time, "YYYY-MM-DD HH:MM:SS.mmm"
    std::string profile;     // as the session has it; empty for a session without a profile
    int type = 0;            // the transfer type as the host gave it
    std::string localPath;
    std::string remotePath;
    size_t index = 0;        // the tweak's place in its set, from 0
    std::string name;        // the tweak's name
    RunOutcome outcome = RunOutcome::Skipped;
    std::string detail;      // see RunOutcome; empty for NoProcess
    std::string duration;    // for Exit, NotWaitedFor, EndedByUser and TimeLimit, how long the program ran
                             // (until the user's choice) in milliseconds; else empty
    bool fromRun = false;    // recorded by ZTTrevanelCtl run rather than after a host's transfer
    std::string guardReason; // for an unsafe-path skip, the path guard's reason in words

    // IsFailedOutcome.
    bool IsProblem() const;
};

// "YYYY-MM-DD HH:MM:SS.mmm".
std::string FormatLocalTime(const LocalTime& time);

// The record as the file keeps it: the 11 fields and then the guard's reason, escaped, and a line
// feed; never longer than kMaxRecordLineBytes, so that a file at the rotation size holds at least
// kKeptRecords records. A text field too long for its share is cut and ends in "…". The text is
// taken as it is: the caller gives UTF-8.
std::string FormatRecordLine(const RunRecord& record);

// A line of the file (without its line feed) back into a record; false for anything that
// FormatRecordLine cannot have written whole, such as a line cut short. Fields after the twelfth
// are left for later versions.
bool ParseRecordLine(const std::string& line, RunRecord* record);

const size_t kMaxRecordLineBytes = 2048;
const size_t kKeptRecords = 10000;
// The size at which Runs.log becomes the previous file: both together then hold at least the last
// kKeptRecords records.
const uint64_t kRotationBytes = static_cast<uint64_t>(kMaxRecordLineBytes) * kKeptRecords;

// The record's folder, "<local application data>\Tarku Software\FTP Zorvant Trevanel", or empty
// when the system names no local application data folder.
std::string RunRecordFolder();
// folder\Runs.log, and folder\Runs.previous.log, which holds the records before it.
std::string RunRecordFile(const std::string& folder);
std::string PreviousRunRecordFile(const std::string& folder);

// The switch: REG_DWORD "Run Record" below HKEY_CURRENT_USER\<kRunRecordKey>; 0 is off, anything
// else or nothing is on.
extern const char* const kRunRecordKey;
extern const char* const kRunRecordValue;
bool IsRunRecordOn();
// False when the registry refused the value.
bool SetRunRecordOn(bool on);

// Appends one record to folder's Runs.log, creating the folder when needed, and moves a full file
// to the previous one. A record that cannot be written is dropped: nothing is reported.
void AppendRunRecord(const std::string& folder, const RunRecord& record);

// The records of folder's files, oldest first: the previous file's, then Runs.log's. Lines that
// are not whole records are left out.
std::vector<RunRecord> ReadRunRecords(const std::string& folder);

// Deletes both files. False when one is left.
bool ClearRunRecord(const std::string& folder);
