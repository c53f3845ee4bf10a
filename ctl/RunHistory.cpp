// Grouping and showing the run record.
#include "ctl/RunHistory.h"

#include <map>

#include "config/TweakConfig.h"
#include "ctl/TransferType.h"
#include "platform/AnsiText.h"
#include "platform/RegistryNames.h"
#include "runner/TsvField.h"

namespace {

std::string EventKey(const RunRecord& r) {
    return r.time + '\t' + r.profile + '\t' + std::to_string(r.type) + '\t' + r.localPath + '\t' + r.remotePath +
           '\t' + (r.fromRun ? "run" : "");
}

// The record's duration in milliseconds; 0 for a field that holds no such number.
uint64_t DurationMs(const std::string& ms) {
    if (ms.empty() || ms.size() > 18 || ms.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoull(ms);
}

// Why the shell could not start a program, in words, with the system's number for it: the causes
// ShellExecuteEx reports for a tweak; another one by its number alone.
std::string NotStartedText(const std::string& code) {
    static const struct {
        const char* code;
        const char* words;
    } kCauses[] = {
        {"2", "the program file was not found"},
        {"3", "the program's folder was not found"},
        {"5", "access to the program was denied"},
        {"8", "there was not enough memory"},
        {"32", "another program holds the program file"},
        {"53", "the network path was not found"},
        {"67", "the network name was not found"},
        {"193", "the file is no program that Windows can run"},
        {"216", "the program is made for another kind of processor"},
        {"225", "the virus scanner blocked the program"},
        {"740", "the program asks for administrator rights, which a tweak is not given"},
        {"1155", "no program is associated with the file's type"},
        {"1223", "the start was cancelled"},
        {"1260", "a policy of the administrator blocks the program"},
    };
    for (const auto& cause : kCauses) {
        if (code == cause.code) return std::string(cause.words) + " (system error " + code + ")";
    }
    return "system error " + code;
}

// What became of the tweak, in words (UTF-8).
std::string OutcomeText(const RunRecord& r) {
    switch (r.outcome) {
        case RunOutcome::Exit:
            return r.detail.empty() ? "ended after " + r.duration + " ms; its exit code could not be read"
                                    : "exit code " + r.detail + " after " + r.duration + " ms";
        case RunOutcome::NoProcess: return "started; the shell gave no process to wait for";
        case RunOutcome::NotStarted: return "could not start: " + NotStartedText(r.detail);
        case RunOutcome::Skipped:
            return "skipped (" + r.detail + ")" + (r.guardReason.empty() ? "" : ": " + r.guardReason);
        case RunOutcome::NotWaitedFor: return StoppedWaitText(false, DurationMs(r.duration));
        case RunOutcome::EndedByUser: return StoppedWaitText(true, DurationMs(r.duration));
    }
    return "";
}

std::string ProfileText(const RunRecord& r) {
    return r.profile.empty() ? "no profile" : "profile \"" + r.profile + "\"";
}

std::string TransferHeading(const RunRecord& r) {
    return r.time + "  " + TransferTypeName(r.type) + "  " + ProfileText(r) +
           (r.fromRun ? "  (ZTTrevanelCtl run)" : "");
}

std::string TweakText(const RunRecord& r) {
    return TweakKeyName(r.index) + " \"" + r.name + "\": " + OutcomeText(r);
}

std::string Html(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::string StoppedWaitText(bool endedByUser, uint64_t elapsedMs) {
    return std::string(endedByUser ? "ended by the user" : "no longer waited for") + " after " +
           std::to_string(elapsedMs / 1000) + " s";
}

std::vector<RecordedTransfer> SelectTransfers(const std::vector<RunRecord>& records, const HistoryQuery& query) {
    std::vector<RecordedTransfer> transfers;
    std::map<std::string, size_t> open;
    for (const RunRecord& r : records) {
        if (query.hasProfile && !IsSameRegistryName(Utf8ToAnsiText(r.profile), query.profile)) continue;
        const std::string key = EventKey(r);
        const auto it = open.find(key);
        if (it != open.end() && transfers[it->second].records.back().index < r.index) {
            transfers[it->second].records.push_back(r);
            transfers[it->second].problem = transfers[it->second].problem || r.IsProblem();
            continue;
        }
        open[key] = transfers.size();
        transfers.push_back(RecordedTransfer{{r}, r.IsProblem()});
    }
    if (query.problems) {
        std::vector<RecordedTransfer> kept;
        for (RecordedTransfer& t : transfers) {
            if (t.problem) kept.push_back(std::move(t));
        }
        transfers.swap(kept);
    }
    if (query.last > 0 && transfers.size() > query.last)
        transfers.erase(transfers.begin(), transfers.end() - static_cast<std::ptrdiff_t>(query.last));
    return transfers;
}

void PrintHistoryTsv(const std::vector<RecordedTransfer>& transfers, std::ostream& out) {
    out << "time\tprofile\ttype\tlocal\tremote\tindex\ttweak\toutcome\tdetail\tms\tfrom\ttransfer\treason\n";
    for (const RecordedTransfer& t : transfers) {
        for (const RunRecord& r : t.records) {
            const std::string line =
                EscapeTsvField(r.time) + "\t" + EscapeTsvField(r.profile) + "\t" + std::to_string(r.type) + "\t" +
                EscapeTsvField(r.localPath) + "\t" + EscapeTsvField(r.remotePath) + "\t" + std::to_string(r.index) +
                "\t" + EscapeTsvField(r.name) + "\t" + RunOutcomeName(r.outcome) + "\t" + EscapeTsvField(r.detail) +
                "\t" + EscapeTsvField(r.duration) + "\t" + (r.fromRun ? "run" : "") + "\t" +
                TransferTypeName(r.type) + "\t" + EscapeTsvField(r.guardReason) + "\n";
            out << Utf8ToAnsiText(line);
        }
    }
}

void PrintHistory(const std::vector<RecordedTransfer>& transfers, std::ostream& out) {
    for (const RecordedTransfer& t : transfers) {
        const RunRecord& first = t.records.front();
        out << "\n" << Utf8ToAnsiText(TransferHeading(first)) << "\n"
            << "  local:  " << Utf8ToAnsiText(first.localPath) << "\n"
            << "  remote: " << Utf8ToAnsiText(first.remotePath) << "\n";
        for (const RunRecord& r : t.records) out << (r.IsProblem() ? "  ! " : "    ") << Utf8ToAnsiText(TweakText(r)) << "\n";
    }
}

std::string HistoryPage(const std::vector<RecordedTransfer>& transfers, const std::string& file, bool on) {
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Trevanel: what the tweaks did</title>\n"
        "<style>body{font-family:sans-serif;margin:1em 2em}table{border-collapse:collapse;margin:1em 0;"
        "min-width:40em}caption{text-align:left;font-weight:bold;padding:.3em 0}th,td{text-align:left;"
        "padding:.2em .6em;border-bottom:1px solid #ddd}th{color:#555;font-weight:normal}"
        ".problem td{color:#a00;font-weight:bold}</style></head><body>\n"
        "<h1>What the tweaks did after each transfer</h1>\n<p>Newest transfer first. Problems are marked "
        "with \xE2\x80\x9C!\xE2\x80\x9D and shown in red. The record is kept in " + Html(file) + " and is " +
        (on ? "on" : "off: new transfers are not recorded (ZTTrevanelCtl record on)") + ".</p>\n";
    if (transfers.empty()) page += "<p>No transfer is recorded.</p>\n";
    for (auto t = transfers.rbegin(); t != transfers.rend(); ++t) {
        const RunRecord& first = t->records.front();
        page += "<table><caption>" + Html(TransferHeading(first)) + "</caption>\n<tr><th>local</th><td colspan=\"3\">" +
                Html(first.localPath) + "</td></tr>\n<tr><th>remote</th><td colspan=\"3\">" + Html(first.remotePath) +
                "</td></tr>\n";
        for (const RunRecord& r : t->records) {
            page += std::string(r.IsProblem() ? "<tr class=\"problem\"><td>!" : "<tr><td>") + "</td><td>" +
                    Html(TweakKeyName(r.index)) + "</td><td>" + Html(r.name) + "</td><td>" + Html(OutcomeText(r)) +
                    "</td></tr>\n";
        }
        page += "</table>\n";
    }
    return page + "</body></html>\n";
}
