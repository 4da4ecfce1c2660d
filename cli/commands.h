#pragma once
// The sub-commands of veltrano-cli. Each takes the arguments after the program
// name (argv[0] is the sub-command's own name) and returns the exit code:
// 0 on success, 2 with a usage message on standard error for bad arguments.

int RunAccountsCommand(int argc, char** argv);
int RunFoldersCommand(int argc, char** argv);
// message [--flags HEX] [--forced] [--header] [--utf8 [--find TEXT]] FILE: the
// text the viewer shows, its links and what the find bar finds in it; 1 when
// the file cannot be opened.
int RunMessageCommand(int argc, char** argv);
// parts FILE: one line per leaf part, "N TAB TYPE TAB BYTES TAB NAME".
int RunPartsCommand(int argc, char** argv);
// part FILE N [--save DIR]: part N's decoded bytes to standard output, or saved
// into DIR under its safe name (the path printed); 1 when the file cannot be
// read, there is no part N or DIR cannot be written.
int RunPartCommand(int argc, char** argv);
// command KIND ...: the texts handed to the mail client; 1 when the program
// would send nothing (a file not below the mailbox, an unsafe address).
int RunCommandCommand(int argc, char** argv);
// veltrano-cli threads [--references] [--subject] [--tab-default N] [--cache]
//                      [--filter TEXT] [--collapsed] [--muted] FOLDER_DIR
int RunThreadsCommand(int argc, char** argv);
// mute|unmute [--references] [--subject] [--cache] FOLDER_DIR NAME: the thread
// of message NAME muted or unmuted in the folder's "VLTR.fol"; 1 when there
// is no such message or the file cannot be written.
int RunMuteCommand(int argc, char** argv);
int RunUnmuteCommand(int argc, char** argv);
// index MAILBOX_DIR: brings the full-text index up to date; 1 when it cannot.
int RunIndexCommand(int argc, char** argv);
// search [--limit N] [--count] MAILBOX_DIR TEXT: the hits, newest first; 1 when the index
// cannot be opened or brought up to date.
int RunSearchCommand(int argc, char** argv);
