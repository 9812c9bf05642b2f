// The developer commands of kestrin-engine.
#pragma once

namespace kestrin {

// argv holds the arguments after the command's own name.
int RunPerftCommand(int argc, char** argv);
int RunBenchCommand(int argc, char** argv);
int RunEvalBenchCommand(int argc, char** argv);
int RunBookBenchCommand(int argc, char** argv);
int RunBookLinesCommand(int argc, char** argv);

} // namespace kestrin
