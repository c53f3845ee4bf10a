// Grouping and showing the run record.
#include "ctl/RunHistory.h"

#include <map>

#include "config/TweakConfig.h"
#include "ctl/TransferType.h"
#include "platform/AnsiText.h"
#include "platform/RegistryNames.h"
#include "runner/RunOutcomeText.h"
#include "runner/TsvField.h"

namespace {

std::string EventKey(const RunRecord& r) {
    return r.time + '\t' + r.profile + '\t' + std::to_string(r.type) + '\t' + r.localPath + '\t' + r.remotePath +
           '\t' + (r.fromRun ? "run" : "");
}

std::string ProfileText(const RunRecord& r, bool german) {
    if (r.profile.empty()) return german ? "kein Profil" : "no profile";
    return (german ? "Profil \"" : "profile \"") + r.profile + "\"";
}

std::string TransferHeading(const RunRecord& r, bool german) {
    return r.time + "  " + TransferTypeName(r.type) + "  " + ProfileText(r, german) +
           (r.fromRun ? "  (ZTTrevanelCtl run)" : "");
}

std::string TweakText(const RunRecord& r, bool german) {
    return TweakKeyName(r.index) + " \"" + r.name + "\": " + OutcomeText(r, german);
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

void PrintHistory(const std::vector<RecordedTransfer>& transfers, std::ostream& out, bool german) {
    for (const RecordedTransfer& t : transfers) {
        const RunRecord& first = t.records.front();
        out << "\n" << Utf8ToAnsiText(TransferHeading(first, german)) << "\n"
            << (german ? "  lokal:  " : "  local:  ") << Utf8ToAnsiText(first.localPath) << "\n"
            << (german ? "  Server: " : "  remote: ") << Utf8ToAnsiText(first.remotePath) << "\n";
        for (const RunRecord& r : t.records)
            out << (r.IsProblem() ? "  ! " : "    ") << Utf8ToAnsiText(TweakText(r, german)) << "\n";
    }
}

std::string HistoryPage(const std::vector<RecordedTransfer>& transfers, const std::string& file, bool on, bool german) {
    const std::string state = german ? (on ? "eingeschaltet" : "ausgeschaltet: neue Übertragungen werden nicht notiert "
                                                               "(ZTTrevanelCtl record on)")
                                     : (on ? "on" : "off: new transfers are not recorded (ZTTrevanelCtl record on)");
    std::string page = std::string("<!DOCTYPE html>\n<html lang=\"") + (german ? "de" : "en") +
                       "\"><head><meta charset=\"utf-8\"><title>" +
                       (german ? "Trevanel: was die Hilfsprogramme taten" : "Trevanel: what the tweaks did") +
                       "</title>\n"
                       "<style>body{font-family:sans-serif;margin:1em 2em}table{border-collapse:collapse;margin:1em 0;"
                       "min-width:40em}caption{text-align:left;font-weight:bold;padding:.3em 0}th,td{text-align:left;"
                       "padding:.2em .6em;border-bottom:1px solid #ddd}th{color:#555;font-weight:normal}"
                       ".problem td{color:#a00;font-weight:bold}</style></head><body>\n";
    if (german) {
        page += "<h1>Was die Hilfsprogramme nach jeder Übertragung taten</h1>\n<p>Die neueste Übertragung zuerst. "
                "Probleme sind mit \xE2\x80\x9E!\xE2\x80\x9C markiert und rot dargestellt. Das Protokoll steht in " + Html(file) +
                " und ist " + state + ".</p>\n";
    } else {
        page += "<h1>What the tweaks did after each transfer</h1>\n<p>Newest transfer first. Problems are marked "
                "with \xE2\x80\x9C!\xE2\x80\x9D and shown in red. The record is kept in " + Html(file) + " and is " +
                state + ".</p>\n";
    }
    if (transfers.empty()) page += german ? "<p>Keine Übertragung ist notiert.</p>\n" : "<p>No transfer is recorded.</p>\n";
    for (auto t = transfers.rbegin(); t != transfers.rend(); ++t) {
        const RunRecord& first = t->records.front();
        page += "<table><caption>" + Html(TransferHeading(first, german)) + "</caption>\n<tr><th>" +
                (german ? "lokal" : "local") + "</th><td colspan=\"3\">" + Html(first.localPath) + "</td></tr>\n<tr><th>" +
                (german ? "Server" : "remote") + "</th><td colspan=\"3\">" + Html(first.remotePath) + "</td></tr>\n";
        for (const RunRecord& r : t->records) {
            page += std::string(r.IsProblem() ? "<tr class=\"problem\"><td>!" : "<tr><td>") + "</td><td>" +
                    Html(TweakKeyName(r.index)) + "</td><td>" + Html(r.name) + "</td><td>" + Html(OutcomeText(r, german)) +
                    "</td></tr>\n";
        }
        page += "</table>\n";
    }
    return page + "</body></html>\n";
}
