// Save of a file of each container format against the least a program must do to put the
// same bytes on the disk, in place and through a new file (bench_tag_saving).
#pragma once

class BenchRun;
class ServerLibrary;

// Measures every format and prints a table of one line a format.  The files are those the
// format tests' tools make (tests/formats/make-fixtures.sh): from the folder named in
// TARVIK_FORMAT_FIXTURES (a Unix path, as the tests take it), else the build tree's.
void MeasureFormatSaving(const BenchRun& run, const ServerLibrary& library);
