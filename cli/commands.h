#pragma once
// The sub-commands of veltrano-cli. Each takes the arguments after the program
// name (argv[0] is the sub-command's own name) and returns the exit code:
// 0 on success, 2 with a usage message on standard error for bad arguments.

int RunAccountsCommand(int argc, char** argv);
int RunFoldersCommand(int argc, char** argv);
