// The picture atlas: the size controller run over a fixed matrix of inputs,
// menu settings, broadcast signals, window states and regions, each case on
// a fresh stand-in, written as atlas.json (one record per line) and a page
// that draws every case from it.
#pragma once

#include <ostream>
#include <string>

#include "Interpreter.h"

namespace avctl {

struct AtlasOptions {
    std::string outDir;     // atlas.json and index.html go here ("" = write nothing)
    std::string setupFile;  // console lines run on every fresh stand-in before its case
    std::string checkFile;  // compare with this snapshot; print the changed cases
};

// Exit status: 0 written (and the same as the snapshot), 1 the snapshot
// differs or a set-up line failed, 2 a file could not be read or written.
int Atlas(const AtlasOptions& options, std::ostream& out, std::ostream& err);

}  // namespace avctl
