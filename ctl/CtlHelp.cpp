// Help texts, in English.
#include "ctl/CtlHelp.h"

namespace {

struct HelpEntry {
    const char* command;
    const char* text;
};

const HelpEntry kHelp[] = {
    {"",
     "ZTTrevanelCtl: see why a tweak runs or not, try a configuration, check it, and move it\n"
     "between machines.\n"
     "\n"
     "Usage: ZTTrevanelCtl COMMAND [--profile NAME] [options] [arguments]\n"
     "\n"
     "  list                                 the stored sets and their tweak keys\n"
     "  show    [--profile NAME]             the set a profile uses, every tweak in full\n"
     "  explain [--profile NAME] [--tsv] TYPE LOCAL [REMOTE]\n"
     "                                       which tweaks would start for a transfer, and why not\n"
     "  run     [--profile NAME] TYPE LOCAL [REMOTE]\n"
     "                                       start them as after such a transfer\n"
     "  check   [--profile NAME]             problems that keep tweaks from working\n"
     "  export  [--profile NAME | --all] FILE\n"
     "                                       write a .reg file of a set, or of all sets\n"
     "  import  FILE [--profile NAME] [--add] store the sets of a .reg file\n"
     "  history [--profile NAME] [--last N] [--problems] [--tsv | --html FILE]\n"
     "                                       what each tweak did after the recorded transfers\n"
     "  record  [on | off | clear]           switch the run record on or off, or empty it\n"
     "  finish  [--discard]                  put in place a write that a program left unfinished;\n"
     "                                       --discard removes set-aside writes\n"
     "\n"
     "Without --profile: the global configuration. TYPE is download, view, open, move-local,\n"
     "upload, move-server or a number. \"ZTTrevanelCtl COMMAND --help\" tells more.\n"
     "Exit status: 0 done, 1 problems found or tweaks that could not start, 2 wrong usage,\n"
     "3 a file that cannot be read or written, or a refused registry write, 5 administrator\n"
     "rights needed (import, finish); in a console window import offers to ask Windows for\n"
     "an administrator's consent, as the tweak list's OK does; elsewhere it asks nobody.\n"},
    {"list",
     "Usage: ZTTrevanelCtl list\n"
     "\n"
     "Lists the global configuration and every profile with a configuration of its own, each\n"
     "with its number of tweaks. Marks tweak keys that are never read (at or above \"Count\")\n"
     "and tweak keys missing below \"Count\".\n"},
    {"show",
     "Usage: ZTTrevanelCtl show [--profile NAME]\n"
     "\n"
     "Shows the set the profile uses (its own, or the global one when it has none) and every\n"
     "tweak with all its fields.\n"},
    {"explain",
     "Usage: ZTTrevanelCtl explain [--profile NAME] [--tsv] TYPE LOCAL [REMOTE]\n"
     "\n"
     "For each tweak in list order: whether it would start after this transfer, with the exact\n"
     "program and parameter line, or why not (disabled, type, filter, wildcard-path,\n"
     "device-path, program-not-found, unsafe-path), and the variables every started tweak gets\n"
     "in its environment. Nothing is started.\n"
     "\n"
     "--tsv: one record a line, fields separated by TAB (TAB, CR, LF and \\ inside a field as\n"
     "\\t, \\r, \\n, \\\\): first \"set\", own or global, the key below HKEY_USERS; then per tweak\n"
     "its index, RUN or SKIP, the reason, the name, the Exe as stored, the parameter line.\n"},
    {"run",
     "Usage: ZTTrevanelCtl run [--profile NAME] TYPE LOCAL [REMOTE]\n"
     "\n"
     "Starts the tweaks exactly as the add-on does after such a transfer, one after the other,\n"
     "each waited for, and reports each one's exit code and run time, or why it could not start.\n"
     "Exit status 1 when a tweak could not start. The run record keeps each tweak's outcome,\n"
     "marked as coming from run (see history).\n"},
    {"check",
     "Usage: ZTTrevanelCtl check [--profile NAME]\n"
     "\n"
     "Checks every stored set (or the one the profile uses) for what makes a tweak silently do\n"
     "nothing or do harm: a missing or relative program, no transfer type ticked, a misspelt\n"
     "placeholder, a line that refuses ordinary names, the server's path written into a\n"
     "destination, a filter that names a folder or a range or never matches, values of the\n"
     "wrong registry type, tweak keys missing below \"Count\" or left above it. Exit status 1\n"
     "when it found any.\n"},
    {"export",
     "Usage: ZTTrevanelCtl export [--profile NAME | --all] FILE\n"
     "\n"
     "Writes the global set, the profile's own set, or (--all) every set to FILE in the registry\n"
     "editor's form (\"Windows Registry Editor Version 5.00\", UTF-16LE). The file can be\n"
     "imported here or with the registry editor (regedit /s FILE).\n"},
    {"import",
     "Usage: ZTTrevanelCtl import FILE [--profile NAME] [--add]\n"
     "\n"
     "Stores the sets of a .reg file (either the registry editor's Unicode form or REGEDIT4).\n"
     "Only sets below the configuration's \"Configurations\" key with the values the add-on\n"
     "knows are accepted. The whole file is checked first; when anything is wrong nothing is\n"
     "written and the line and the problem are named. With --profile the file's one set is\n"
     "stored under that profile. Each set replaces the stored one, as the tweak list's OK does;\n"
     "profiles nested below it keep their sets. All sets of the file are stored, or none.\n"
     "With --add the file's tweaks come after those the set holds of its own instead of\n"
     "replacing them (so two examples combine; a profile that runs the global set gets the\n"
     "file's tweaks alone). Look at the result with ZTTrevanelCtl show [--profile NAME] and\n"
     "ZTTrevanelCtl check before the next transfer.\n"
     "Where the registry refuses the write for want of rights, import offers (in a console\n"
     "window) to ask Windows for an administrator's consent; the elevated helper then checks and\n"
     "writes the sets. Exit status 5 when rights were needed and not given.\n"},
    {"history",
     "Usage: ZTTrevanelCtl history [--profile NAME] [--last N] [--problems] [--tsv | --html FILE]\n"
     "\n"
     "Shows the run record of this Windows user, oldest first: one block per transfer with its\n"
     "time, type, profile and paths, and under it each tweak that the add-on examined: its exit\n"
     "code and run time, that it could not start (with the system's error code), or why it was\n"
     "skipped (disabled, type, filter, wildcard-path, device-path, program-not-found, unsafe-path\n"
     "with the path guard's reason; set-unreadable: the set could not be read, nothing ran).\n"
     "Problems (could not start, a non-zero exit code, wildcard-path, device-path,\n"
     "program-not-found, unsafe-path, set-unreadable) are marked with \"!\".\n"
     "\n"
     "--profile NAME: only the transfers of that profile (\"\" for sessions without one).\n"
     "--problems:     only the transfers that had a problem.\n"
     "--last N:       only the last N of the transfers chosen.\n"
     "--tsv:          a header row, then one record a line, fields separated by TAB (TAB, CR,\n"
     "                LF and \\ inside a field as \\t, \\r, \\n, \\\\): local time (YYYY-MM-DD\n"
     "                HH:MM:SS.mmm), profile, transfer type as a number, local path, remote path,\n"
     "                tweak index from 0, tweak name, outcome (exit, no-process, not-started,\n"
     "                skipped), detail (exit code, system error code or reason), run time in ms\n"
     "                for exit, \"run\" for records of ZTTrevanelCtl run, the transfer type's name\n"
     "                (download, upload ...) and why a tweak was skipped.\n"
     "--html FILE:    write the same as a page (newest transfer first) to FILE instead.\n"},
    {"record",
     "Usage: ZTTrevanelCtl record [on | off | clear]\n"
     "\n"
     "The run record keeps, for every transfer, what each tweak did (see history), in\n"
     "Runs.log in the folder \"Tarku Software\\FTP Zorvant Trevanel\" of this user's local\n"
     "application data; at about 20 MB it becomes Runs.previous.log, so the last 10,000 records\n"
     "at least are always kept. It is on unless switched off.\n"
     "\n"
     "on, off: switch it for this Windows user (registry value \"Run Record\" below\n"
     "         HKEY_CURRENT_USER\\Software\\Tarku Software\\FTP Zorvant Trevanel). FTP Zorvant\n"
     "         follows the switch from its next connection on.\n"
     "clear:   delete the record.\n"
     "Without an argument: whether it is on and where it is kept.\n"},
    {"finish",
     "Usage: ZTTrevanelCtl finish [--discard]\n"
     "\n"
     "Puts in place a committed write of the configuration that a program which ended left\n"
     "unfinished (sessions already read it as written), or discards an uncommitted one; the next\n"
     "write would do the same. A committed write changed after it was made is set aside by the\n"
     "next writer (\"Set Aside Write\" beside \"Pending Write\"), never deleted; --discard\n"
     "removes the set-aside writes. Both need the rights to write the configuration\n"
     "(administrator rights on current Windows); finish asks nobody for consent: run it in a\n"
     "command prompt opened as administrator. Exit status 3 when the registry refused, 5 when\n"
     "rights were needed.\n"},
    {"apply",
     "Usage: ZTTrevanelCtl apply FILE\n"
     "\n"
     "Started by the add-on with administrator rights when the registry refuses FTP Zorvant's own\n"
     "write of the configuration. FILE holds the write as the add-on hands it over; it is read\n"
     "once, and every set in it is checked as import checks a file's sets. Only sets below\n"
     "\"Configurations\", and renames and deletes of profile sets, are written. Exit status 0\n"
     "written, 1 refused (nothing written), 3 the file or the registry failed, 4 interrupted,\n"
     "5 a set no longer held what the write expected (nothing written from there on).\n"},
};

}  // namespace

const char* CtlHelpText(const std::string& command) {
    for (const HelpEntry& entry : kHelp) {
        if (command == entry.command) return entry.text;
    }
    return nullptr;
}
