// Sound files (WAV, AIFF, FLAC and the other formats of libsndfile) as sample
// tables: one column per channel, values as libsndfile scales them (integer
// formats to -1 ... 1). A build without libsndfile has no sound files: both
// calls then fail and say so.
#pragma once

#include <cstdint>
#include <string>

#include "adaptsim/io/csv.h"

struct SoundFormat {
  int sampleRate = 0;
  int format = 0;  // libsndfile's major format | subtype
};

// Reads every frame. False with the reason when the file cannot be opened or
// read.
bool ReadSoundFile(const std::string& path, SampleTable* table, SoundFormat* format, std::string* error);

// Writes `table` (one channel per column) in `format`. Values beyond full
// scale of an integer format are clipped; *clipped receives their count.
bool WriteSoundFile(const std::string& path, const SoundFormat& format, const SampleTable& table, int64_t* clipped,
                    std::string* error);
