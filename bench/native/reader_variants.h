// The three ways the native benchmark reads a file, by name: the bare loop of the
// reader's reads, this project's reader, TagLib's FileRef; and "none", which reads
// nothing (the baseline of a traced pass).  Each returns a sum of what it saw.
#pragma once
#include <cstdint>

#include "native_file_set.h"

enum class Reader { None, Bare, Tarvik, TagLib };

constexpr Reader kReaders[] = {Reader::Bare, Reader::Tarvik, Reader::TagLib};

const char* NameOf(Reader reader);
// False for an unknown name.
bool ReaderNamed(const char* name, Reader* reader);

uint64_t ReadFile(Reader reader, const SetFile& file);
