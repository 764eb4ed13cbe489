#pragma once
// The output formats the installed libsndfile really writes. Its format table also lists
// formats it only reads or cannot write here (SD2 needs a file name, MPEG only some layers), so
// each is tried by writing a short file into memory.
#include <string>
#include <vector>

struct WritableFormat {
  std::string extension;  // as libsndfile's table names it
  int major;              // the container
  int subtype;            // the first sample encoding of the table that it writes
};

// Raw headerless files are left out: they cannot be read back as what they are.
const std::vector<WritableFormat>& WritableFormats();  // tried once, on the first call

// Whether libsndfile writes the format (container | encoding) at these channels and rate.
bool Writes(int format, int channels, int sampleRate);
