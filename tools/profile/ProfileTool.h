#pragma once
// The profile tool: runs the program's own profile loader and writer on files, so that a file made
// elsewhere can be checked against the format.
//   profile check FILE      whether a scene (.spf) or whole (.wpf) profile loads; if not, the message the
//                           program shows and why
//   profile resave IN OUT   loads IN and writes it to OUT (the same kind) with the program's writer
//   profile reset OUT       writes the configuration's reset state as a scene profile (.spf)
#include <string>
#include <vector>

// args are the words after the program name; what the tool prints is appended to `out`. Returns the
// exit code: 0 done, 1 a file did not load or could not be written, 2 a usage error.
int RunProfileTool(const std::vector<std::wstring>& args, std::wstring& out);
