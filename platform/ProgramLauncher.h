#pragma once

#include <string>
#include <vector>

namespace zorbel {

// Starts another program from one command line, the way the updater is started: the line is
// split into words, the first word names the program and is looked up on PATH, the others are
// its arguments. The program runs on its own: nothing waits for it and no handle is kept, but
// it is reaped when it ends, so it never lingers as a zombie.
//
// false when the line is empty or the program cannot be started (not found, not executable,
// no process left); nothing is reported.
bool LaunchCommandLine(const std::string& commandLine);

// The words of a command line as a program started with it receives them:
// - runs of blanks (spaces and tabs) separate words, so a name with a blank becomes two words;
// - double quotes group blanks into a word and are dropped ("a b" is one word, "" an empty one);
//   inside quotes, "" stands for one quote;
// - backslashes are plain characters, except before a quote: 2n backslashes and a quote give
//   n backslashes and a grouping quote, 2n+1 give n backslashes and a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

}  // namespace zorbel
