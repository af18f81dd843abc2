#include "adaptsim/io/sound_file.h"

#include <sndfile.h>

#include <cctype>
#include <cmath>
#include <limits>

namespace {

// Frames gathered before each write to the library.
constexpr size_t kFramesPerWrite = 4096;

bool IsFloatingSubtype(int format) {
  const int subtype = format & SF_FORMAT_SUBMASK;
  return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

// One spelling for the extensions that have two.
std::string Canonical(std::string extension) {
  if (extension == "aif") return "aiff";
  if (extension == "oga") return "ogg";
  return extension;
}

// The major format whose extension `path` has, or 0: the library's own list,
// with both spellings of AIFF's and Ogg's.
int MajorFormatOf(const std::string& path) {
  const std::string extension = Canonical(LowerExtension(path));
  if (extension.empty()) return 0;
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
  for (int k = 0; k < count; ++k) {
    SF_FORMAT_INFO info{};
    info.format = k;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info);
    if (info.extension != nullptr && extension == Canonical(info.extension)) return info.format;
  }
  return 0;
}

bool Fits(int format, int sampleRate, int channels) {
  SF_INFO info{};
  info.format = format;
  info.samplerate = sampleRate;
  info.channels = channels;
  return sf_format_check(&info) != 0;
}

}  // namespace

bool IsSoundFilePath(const std::string& path) { return MajorFormatOf(path) != 0; }

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

int IntegerSampleBits(const SoundFormat& format) {
  switch (format.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32: return 32;
    default: return 0;
  }
}

bool ChooseSoundFormat(const std::string& path, const SoundFormat* input, int sampleRate, int channels,
                       SoundFormat* format, std::string* error) {
  const int major = MajorFormatOf(path);
  format->sampleRate = sampleRate;
  if (major == 0) {
    *error = path + " does not name a sound-file format";
    return false;
  }
  if (input != nullptr && Fits(major | (input->format & SF_FORMAT_SUBMASK), sampleRate, channels)) {
    format->format = major | (input->format & SF_FORMAT_SUBMASK);
    return true;
  }
  for (int subtype : {SF_FORMAT_PCM_24, SF_FORMAT_PCM_16, SF_FORMAT_FLOAT, SF_FORMAT_VORBIS}) {
    if (Fits(major | subtype, sampleRate, channels)) {
      format->format = major | subtype;
      return true;
    }
  }
  *error = "the format of " + path + " cannot hold " + std::to_string(channels) + " channels at " +
           std::to_string(sampleRate) + " Hz; choose other --outputs, or write CSV (a name ending in .csv)";
  return false;
}

bool WriteSoundFile(const std::string& path, const SoundFormat& format, const SampleTable& table, int64_t* clipped,
                    std::string* error) {
  SoundFileWriter writer(path, format, table.columns);
  *clipped = 0;
  if (!writer.open(error)) return false;
  for (size_t n = 0; n < table.rows(); ++n) writer.write(table.row(n));
  std::string notes;
  const bool written = writer.finish(error, &notes);
  *clipped = writer.clippedValues();
  return written;
}

SoundFileWriter::SoundFileWriter(const std::string& path, const SoundFormat& format, size_t channels)
    : path(path), format(format), channels(channels) {}

SoundFileWriter::~SoundFileWriter() {
  if (file != nullptr) sf_close(static_cast<SNDFILE*>(file));
}

bool SoundFileWriter::open(std::string* error) {
  SF_INFO info{};
  info.samplerate = format.sampleRate;
  info.channels = static_cast<int>(channels);
  info.format = format.format;
  if (!sf_format_check(&info)) {
    *error = "the format of the input cannot hold " + std::to_string(channels) + " channels at " +
             std::to_string(format.sampleRate) + " Hz; write CSV instead (an --out name ending in .csv)";
    return false;
  }
  SNDFILE* opened = sf_open(path.c_str(), SFM_WRITE, &info);
  if (opened == nullptr) {
    *error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (!IsFloatingSubtype(format.format)) sf_command(opened, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  file = opened;
  pending.reserve(kFramesPerWrite * channels);
  return true;
}

void SoundFileWriter::write(const double* row) {
  for (size_t c = 0; c < channels; ++c) {
    if (!IsFloatingSubtype(format.format) && !(std::fabs(row[c]) <= 1.0)) ++clipped;
    pending.push_back(row[c]);
  }
  if (pending.size() >= kFramesPerWrite * channels) flush();
}

void SoundFileWriter::flush() {
  if (file == nullptr || pending.empty() || channels == 0) return;
  const sf_count_t frames = static_cast<sf_count_t>(pending.size() / channels);
  if (sf_writef_double(static_cast<SNDFILE*>(file), pending.data(), frames) != frames) failed = true;
  pending.clear();
}

bool SoundFileWriter::finish(std::string* error, std::string* notes) {
  flush();
  const int closed = file != nullptr ? sf_close(static_cast<SNDFILE*>(file)) : 0;
  file = nullptr;
  if (failed || closed != 0) {
    *error = "error writing " + path;
    return false;
  }
  if (clipped > 0) {
    *notes += "warning: " + std::to_string(clipped) + " values beyond full scale were clipped in " + path + "\n";
  }
  return true;
}
