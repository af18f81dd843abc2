#include "adaptsim/io/sound_file.h"

#include <sndfile.h>

#include <cmath>
#include <limits>

namespace {

bool IsFloatingSubtype(int format) {
  const int subtype = format & SF_FORMAT_SUBMASK;
  return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

}  // namespace

bool ReadSoundFile(const std::string& path, SampleTable* table, SoundFormat* format, std::string* error) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    *error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  table->columns = static_cast<size_t>(info.channels);
  table->values.clear();
  // A frame count the header cannot back with data is refused rather than
  // allocated.
  const uint64_t limit = std::numeric_limits<size_t>::max() / sizeof(double) / 2;
  if (info.channels <= 0 || info.frames < 0 || static_cast<uint64_t>(info.frames) > limit / static_cast<uint64_t>(info.channels)) {
    *error = path + ": implausible size (" + std::to_string(info.channels) + " channels)";
    sf_close(file);
    return false;
  }
  table->values.resize(static_cast<size_t>(info.frames) * table->columns);
  const sf_count_t got = sf_readf_double(file, table->values.data(), info.frames);
  table->values.resize(static_cast<size_t>(got) * table->columns);
  const int status = sf_error(file);
  if (status != SF_ERR_NO_ERROR) {
    *error = "error reading " + path + ": " + sf_error_number(status);
    sf_close(file);
    table->values.clear();
    return false;
  }
  sf_close(file);
  format->sampleRate = info.samplerate;
  format->format = info.format;
  return true;
}

bool WriteSoundFile(const std::string& path, const SoundFormat& format, const SampleTable& table, int64_t* clipped,
                    std::string* error) {
  SF_INFO info{};
  info.samplerate = format.sampleRate;
  info.channels = static_cast<int>(table.columns);
  info.format = format.format;
  if (!sf_format_check(&info)) {
    *error = "the format of the input cannot hold " + std::to_string(table.columns) + " channels at " +
             std::to_string(format.sampleRate) + " Hz; write CSV instead (an --out name ending in .csv)";
    return false;
  }
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  *clipped = 0;
  if (!IsFloatingSubtype(format.format)) {
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    for (double v : table.values) {
      if (!(std::fabs(v) <= 1.0)) ++*clipped;
    }
  }
  const sf_count_t frames = static_cast<sf_count_t>(table.rows());
  const sf_count_t written = sf_writef_double(file, table.values.data(), frames);
  const int closed = sf_close(file);
  if (written != frames || closed != 0) {
    *error = "error writing " + path;
    return false;
  }
  return true;
}
