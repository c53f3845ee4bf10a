// Formatting, parsing, keeping and finding the run record.
#include "runner/RunRecord.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "config/AppBase.h"
#include "config/RegistryValues.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "runner/TsvField.h"
#include "runner/TweakDecision.h"

const char* const kRunRecordKey = kUserKey;
const char* const kRunRecordValue = "Run Record";

namespace {

const RunOutcome kOutcomes[] = {RunOutcome::Exit, RunOutcome::NoProcess, RunOutcome::NotStarted,
                                RunOutcome::Skipped, RunOutcome::NotWaitedFor, RunOutcome::EndedByUser,
                                RunOutcome::TimeLimit};

// What each text field may take of a line, escaped: with the short fields (at most about 120
// bytes) a record stays within kMaxRecordLineBytes.
const size_t kProfileShare = 200;
const size_t kPathShare = 510;
const size_t kNameShare = 200;
const size_t kReasonShare = 420;
const size_t kWordShare = 40;

// The field escaped, cut at a character's start to fit share with the ellipsis after it.
std::string Fitted(const std::string& text, size_t share) {
    std::string escaped = EscapeTsvField(text);
    if (escaped.size() <= share) return escaped;
    size_t end = share - 3;
    // Neither inside an escape ("\\", "\t", ...) nor inside a UTF-8 sequence.
    size_t backslashes = 0;
    while (backslashes < end && escaped[end - 1 - backslashes] == '\\') ++backslashes;
    if (backslashes % 2 == 1) --end;
    while (end > 0 && (static_cast<unsigned char>(escaped[end]) & 0xC0) == 0x80) --end;
    return escaped.substr(0, end) + "\xE2\x80\xA6";
}

// A decimal number of digits only, within limit.
bool ParseNumber(const std::string& text, unsigned long long limit, unsigned long long* number) {
    if (text.empty() || text.size() > 20) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    errno = 0;
    *number = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0 && *number <= limit;
}

bool ParseType(const std::string& text, int* type) {
    const bool negative = !text.empty() && text[0] == '-';
    unsigned long long magnitude = 0;
    if (!ParseNumber(negative ? text.substr(1) : text, negative ? 2147483648ull : 2147483647ull, &magnitude))
        return false;
    *type = static_cast<int>(negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude));
    return true;
}

bool IsRecordTime(const std::string& text) {
    const char* const pattern = "dddd-dd-dd dd:dd:dd.ddd";
    if (text.size() != 23) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (pattern[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != pattern[i]) return false;
    }
    return true;
}

void AppendRecordsOf(const std::string& path, std::vector<RunRecord>* records) {
    std::vector<uint8_t> bytes;
    std::string errorText;
    if (!GetFileSystem().ReadFile(path, &bytes, &errorText)) return;
    const std::string text(bytes.begin(), bytes.end());
    // Only lines that end in a line feed are whole; one being written may not be yet.
    size_t from = 0;
    for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
        RunRecord record;
        if (ParseRecordLine(text.substr(from, end - from), &record)) records->push_back(record);
    }
}

}  // namespace

const char* RunOutcomeName(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Exit: return "exit";
        case RunOutcome::NoProcess: return "no-process";
        case RunOutcome::NotStarted: return "not-started";
        case RunOutcome::Skipped: return "skipped";
        case RunOutcome::NotWaitedFor: return "not-waited-for";
        case RunOutcome::EndedByUser: return "ended-by-user";
        case RunOutcome::TimeLimit: return "time-limit";
    }
    return "unknown";
}

bool RunRecord::IsProblem() const { return IsFailedOutcome(outcome, detail); }

bool IsFailedOutcome(RunOutcome outcome, const std::string& detail) {
    switch (outcome) {
        case RunOutcome::Exit: return detail != "0";
        case RunOutcome::NoProcess: return false;
        case RunOutcome::NotStarted: return true;
        // Refused for what the paths hold, not for what the user chose.
        case RunOutcome::Skipped:
            return detail == kSetUnreadable || detail == VerdictName(TweakVerdict::UnsafePath) ||
                   detail == VerdictName(TweakVerdict::WildcardPath) ||
                   detail == VerdictName(TweakVerdict::DevicePath) ||
                   detail == VerdictName(TweakVerdict::ProgramNotFound);
        // The user may have been right to end it; its work is undone all the same. A program
        // that was left running may still finish its work.
        case RunOutcome::EndedByUser:
        case RunOutcome::TimeLimit: return true;
        case RunOutcome::NotWaitedFor: return false;
    }
    return false;
}

std::string FormatLocalTime(const LocalTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second, time.millisecond);
    return text;
}

std::string FormatRecordLine(const RunRecord& r) {
    return Fitted(r.time, kWordShare) + "\t" + Fitted(r.profile, kProfileShare) + "\t" + std::to_string(r.type) +
           "\t" + Fitted(r.localPath, kPathShare) + "\t" + Fitted(r.remotePath, kPathShare) + "\t" +
           std::to_string(r.index) + "\t" + Fitted(r.name, kNameShare) + "\t" + RunOutcomeName(r.outcome) + "\t" +
           Fitted(r.detail, kWordShare) + "\t" + Fitted(r.duration, kWordShare) + "\t" + (r.fromRun ? "run" : "") +
           "\t" + Fitted(r.guardReason, kReasonShare) + "\n";
}

bool ParseRecordLine(const std::string& line, RunRecord* record) {
    const std::vector<std::string> f = SplitTsvLine(line);
    if (f.size() < 12 || !IsRecordTime(f[0]) || (f[10] != "" && f[10] != "run")) return false;
    RunRecord r;
    unsigned long long index = 0;
    if (!ParseType(f[2], &r.type) || !ParseNumber(f[5], SIZE_MAX, &index)) return false;
    bool known = false;
    for (RunOutcome outcome : kOutcomes) {
        if (f[7] == RunOutcomeName(outcome)) {
            r.outcome = outcome;
            known = true;
        }
    }
    if (!known) return false;
    r.time = f[0];
    r.profile = f[1];
    r.localPath = f[3];
    r.remotePath = f[4];
    r.index = static_cast<size_t>(index);
    r.name = f[6];
    r.detail = f[8];
    r.duration = f[9];
    r.fromRun = f[10] == "run";
    r.guardReason = f[11];
    *record = r;
    return true;
}

std::string RunRecordFolder() { return UserDataFolder(); }

std::string RunRecordFile(const std::string& folder) { return folder + "\\Runs.log"; }

std::string PreviousRunRecordFile(const std::string& folder) { return folder + "\\Runs.previous.log"; }

bool IsRunRecordOn() { return ReadRegDword(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue, 1) != 0; }

bool SetRunRecordOn(bool on) {
    WriteRegDword(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue, on ? 1 : 0);
    return ReadRegDword(HKEY_CURRENT_USER, kRunRecordKey, kRunRecordValue, -1) == (on ? 1 : 0);
}

void AppendRunRecord(const std::string& folder, const RunRecord& record) {
    IFileSystem& files = GetFileSystem();
    const std::string path = RunRecordFile(folder);
    const std::string line = FormatRecordLine(record);
    uint64_t size = 0;
    // The folder is made at the first record only. The append is never repeated: a write that
    // failed half way would leave a part and then the whole of the line.
    if (!files.FileExists(path)) files.CreateFolders(folder);
    if (!files.AppendToFile(path, line, &size)) return;
    if (size >= kRotationBytes) files.RenameFileIfAtLeast(path, PreviousRunRecordFile(folder), kRotationBytes);
}

std::vector<RunRecord> ReadRunRecords(const std::string& folder) {
    std::vector<RunRecord> records;
    AppendRecordsOf(PreviousRunRecordFile(folder), &records);
    AppendRecordsOf(RunRecordFile(folder), &records);
    return records;
}

bool ClearRunRecord(const std::string& folder) {
    IFileSystem& files = GetFileSystem();
    const bool previous = files.RemoveFile(PreviousRunRecordFile(folder));
    return files.RemoveFile(RunRecordFile(folder)) && previous;
}
