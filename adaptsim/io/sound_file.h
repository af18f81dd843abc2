// Sound files (WAV, AIFF, FLAC and the other formats of libsndfile) as sample
// tables: one column per channel, values as libsndfile scales them (integer
// formats to -1 ... 1). A build without libsndfile has no sound files: every
// call then fails and says so.
#pragma once

#include <cstdint>
#include <string>

#include "adaptsim/io/csv.h"
#include "adaptsim/io/sample_writer.h"

struct SoundFormat {
  int sampleRate = 0;
  int format = 0;  // libsndfile's major format | subtype
};

// True when the name of `path` ends in the extension of a sound-file format
// ("x.wav", "x.FLAC", "x.aif"); everything else is CSV.
bool IsSoundFilePath(const std::string& path);

// Reads every frame. False with the reason when the file cannot be opened or
// read.
bool ReadSoundFile(const std::string& path, SampleTable* table, SoundFormat* format, std::string* error);

// The bits per sample of an integer encoding (8, 16, 24, 32); 0 for float,
// compressed and other encodings.
int IntegerSampleBits(const SoundFormat& format);

// The format that writing `path` takes: the format its extension names, with
// the input's encoding when `input` is given and that format can hold it,
// else the first of 24-bit, 16-bit, float and Vorbis encodings that it can
// hold with `channels` channels at `sampleRate`. False with the reason when
// none fits.
bool ChooseSoundFormat(const std::string& path, const SoundFormat* input, int sampleRate, int channels,
                       SoundFormat* format, std::string* error);

// Writes `table` (one channel per column) in `format`. Values beyond full
// scale of an integer format are clipped; *clipped receives their count.
bool WriteSoundFile(const std::string& path, const SoundFormat& format, const SampleTable& table, int64_t* clipped,
                    std::string* error);

// A sound file written frame by frame as a run computes them.
class SoundFileWriter : public SampleWriter {
 public:
  SoundFileWriter(const std::string& path, const SoundFormat& format, size_t channels);
  ~SoundFileWriter() override;
  SoundFileWriter(const SoundFileWriter&) = delete;
  SoundFileWriter& operator=(const SoundFileWriter&) = delete;

  bool open(std::string* error);
  void write(const double* row) override;
  void flush() override;
  // Reports the values clipped at full scale in *notes.
  bool finish(std::string* error, std::string* notes) override;
  int64_t clippedValues() const { return clipped; }

 private:
  std::string path;
  SoundFormat format;
  size_t channels;
  void* file = nullptr;  // the library's handle
  std::vector<double> pending;
  int64_t clipped = 0;
  bool failed = false;
};
