// Freezing a script: writing back the expectations that hold now.
#pragma once

#include <iosfwd>
#include <string>

#include "Interpreter.h"

namespace avctl {

// Runs the script and returns its text with, after each operation line, the
// expectations that hold now (see Interpreter::FrozenExpectations). Other
// lines stay in place; earlier expectations are dropped unless they end in
// "# keep" (those run, and one that no longer holds is reported on err).
// On a line that cannot be parsed writes "FILE:LINE: error: WHY" to err and
// returns false.
bool Freeze(std::istream& in, const std::string& file, const Options& options, bool logs, std::string& frozen,
            std::ostream& err);

// Freezes FILE to out, or into outPath through a temporary file renamed
// over it (nothing is written when the freeze fails). Returns the exit status.
int FreezeFile(const std::string& file, const std::string& outPath, const Options& options, bool logs,
               std::ostream& out, std::ostream& err);

// Unified diff (three lines of context) from oldText to newText; empty when
// they are equal.
std::string UnifiedDiff(const std::string& oldName, const std::string& oldText, const std::string& newName,
                        const std::string& newText);

}  // namespace avctl
