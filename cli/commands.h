#pragma once
// The subcommands of veltrano-cli. Each takes the arguments from the
// subcommand's own name on (argv[0] is the subcommand) and returns the exit
// status.

// veltrano-cli threads [--references] [--subject] [--tab-default N] [--cache] FOLDER_DIR
int RunThreadsCommand(int argc, char** argv);
