// The program's output channels.
//
// Normal messages go through writeOutput: to standard output and, once a log file is named, to
// the log as well. The pattern file receives raw RLE text through writePatternText. Both files
// are opened on their first write, so a run that never writes to one creates no file; a file that
// cannot be created is dropped silently for the rest of the run.
#pragma once

#include <string>
#include <string_view>

#include "base/format.h"
#include "base/textsink.h"

namespace trelkan {

void setLogFile(std::string name);
void setPatternFile(std::string name);

void writeOutput(std::string_view text);
// writeOutput as a sink, for the layers below that write to the one they are given.
TextSink& consoleOutput();

bool patternEnabled();
void writePatternText(std::string_view text);

void flushFiles();
// Closes the log, and the pattern file after its closing "!\n". Nothing may be written after it.
void closeFiles();

}  // namespace trelkan
