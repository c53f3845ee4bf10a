// Telling what became of a tweak in words, English or German.
#include "runner/RunOutcomeText.h"

namespace {

// The record's duration in milliseconds; 0 for a field that holds no such number.
uint64_t DurationMs(const std::string& ms) {
    if (ms.empty() || ms.size() > 18 || ms.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoull(ms);
}

// Why the shell could not start a program, in words, with the system's number for it: the causes
// ShellExecuteEx reports for a tweak; another one by its number alone.
std::string NotStartedText(const std::string& code, bool german) {
    static const struct {
        const char* code;
        const char* english;
        const char* german;
    } kCauses[] = {
        {"2", "the program file was not found", "die Programmdatei wurde nicht gefunden"},
        {"3", "the program's folder was not found", "der Ordner des Programms wurde nicht gefunden"},
        {"5", "access to the program was denied", "der Zugriff auf das Programm wurde verweigert"},
        {"8", "there was not enough memory", "nicht genügend Arbeitsspeicher"},
        {"32", "another program holds the program file", "die Programmdatei wird von einem anderen Programm verwendet"},
        {"53", "the network path was not found", "der Netzwerkpfad wurde nicht gefunden"},
        {"67", "the network name was not found", "der Netzwerkname wurde nicht gefunden"},
        {"193", "the file is no program that Windows can run", "die Datei ist kein Programm, das Windows ausführen kann"},
        {"216", "the program is made for another kind of processor", "das Programm ist für einen anderen Prozessortyp erstellt"},
        {"225", "the virus scanner blocked the program", "der Virenscanner hat das Programm gesperrt"},
        {"740", "the program asks for administrator rights, which a tweak is not given",
         "das Programm verlangt Administratorrechte, die ein Hilfsprogramm nicht bekommt"},
        {"1155", "no program is associated with the file's type", "dem Dateityp ist kein Programm zugeordnet"},
        {"1223", "the start was cancelled", "der Start wurde abgebrochen"},
        {"1260", "a policy of the administrator blocks the program", "eine Richtlinie des Administrators sperrt das Programm"},
    };
    const std::string number = std::string(german ? "Systemfehler " : "system error ") + code;
    for (const auto& cause : kCauses) {
        if (code == cause.code) return std::string(german ? cause.german : cause.english) + " (" + number + ")";
    }
    return number;
}

}  // namespace

std::string OutcomeText(const RunRecord& r, bool german) {
    switch (r.outcome) {
        case RunOutcome::Exit:
            if (r.detail.empty())
                return german ? "nach " + r.duration + " ms beendet; sein Exitcode war nicht lesbar"
                              : "ended after " + r.duration + " ms; its exit code could not be read";
            return german ? "Exitcode " + r.detail + " nach " + r.duration + " ms"
                          : "exit code " + r.detail + " after " + r.duration + " ms";
        case RunOutcome::NoProcess:
            return german ? "gestartet; die Shell gab keinen Prozess, auf den zu warten war"
                          : "started; the shell gave no process to wait for";
        case RunOutcome::NotStarted:
            return (german ? "konnte nicht starten: " : "could not start: ") + NotStartedText(r.detail, german);
        case RunOutcome::Skipped:
            return (german ? "übersprungen (" : "skipped (") + r.detail + ")" +
                   (r.guardReason.empty() ? "" : ": " + r.guardReason);
        case RunOutcome::NotWaitedFor: return StoppedWaitText(false, DurationMs(r.duration), german);
        case RunOutcome::EndedByUser: return StoppedWaitText(true, DurationMs(r.duration), german);
        case RunOutcome::TimeLimit:
            return german ? "nach dem Zeitlimit von " + r.detail + " s beendet"
                          : "ended after the time limit of " + r.detail + " s";
    }
    return "";
}

std::string StoppedWaitText(bool endedByUser, uint64_t elapsedMs, bool german) {
    const std::string seconds = std::to_string(elapsedMs / 1000) + " s";
    if (german) return (endedByUser ? "nach " + seconds + " vom Benutzer beendet" : "nach " + seconds + " nicht mehr abgewartet");
    return std::string(endedByUser ? "ended by the user" : "no longer waited for") + " after " + seconds;
}

