// Appends one line for the transfer that the Trevanel add-on hands its tweaks in the environment
// to "Trevanel uploads.log" in the user's Documents folder, or to the file named as the first
// argument: time, transfer type, profile, local path, remote path, separated by tabs.
// Run as a tweak: cscript.exe //Nologo //B "<add-on folder>\examples\log-upload.js"
var shell = WScript.CreateObject("WScript.Shell");
var environment = shell.Environment("PROCESS");

// %USERPROFILE%\Documents, where Windows keeps Documents unless it was moved (then name the log
// file as the argument); the scripting host's SpecialFolders is not there under Wine.
var log = WScript.Arguments.length > 0
              ? WScript.Arguments(0)
              : shell.ExpandEnvironmentStrings("%USERPROFILE%\\Documents\\Trevanel uploads.log");

function two(n) { return (n < 10 ? "0" : "") + n; }
var now = new Date();
var time = now.getFullYear() + "-" + two(now.getMonth() + 1) + "-" + two(now.getDate()) + " " +
           two(now.getHours()) + ":" + two(now.getMinutes()) + ":" + two(now.getSeconds());

var fields = [time];
var names = ["TREVANEL_TRANSFER", "TREVANEL_PROFILE", "TREVANEL_LOCAL_FILE_PATH", "TREVANEL_REMOTE_FILE_PATH"];
for (var i = 0; i < names.length; ++i) fields.push(environment(names[i]));

var files = WScript.CreateObject("Scripting.FileSystemObject");
var file = files.OpenTextFile(log, 8 /* append */, true /* create */);
file.WriteLine(fields.join("\t"));
file.Close();
