// The answers file ([ui] answers): one line per step of a dialog, shared by every
// process of the machine. The dialog layer takes the lines itself; callers only
// name the dialogs the file cannot tell apart otherwise ("#<n>").
//
//   [PROGRAM.EXE:] <key> <answer> [set <id>=<text>] [select <id>=<i>[,<j>...]] [check <id>=0|1] [notify <id>=<code>]
//   <key>     <template id> | #<n> | "<caption>" | open <path> | save <path> | cancel
//   <answer>  <button id> | wait | until:<host file>:<button id>
//
// Blank lines and lines starting with ';' are skipped; a text with blanks is written in
// double quotes ("" for a quote). The full rules are in README.md.
#pragma once

namespace win {

// Gives the next dialog or message box the calling thread shows the key "#<number>" (besides
// its template id and caption); the name is used up by that dialog.
void nameNextDialog(int number);

}  // namespace win
