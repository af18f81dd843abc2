// Sound files in a build without libsndfile (the Windows adaptsim.exe): every
// call fails with the reason, so that `run` names it instead of misreading.
#include "adaptsim/io/sound_file.h"

#include <cctype>

namespace {

std::string Unsupported(const std::string& path) {
  return path + ": sound files need libsndfile, which this build of adaptsim does not have; "
                "use CSV (a file name ending in .csv)";
}

}  // namespace

// The common sound-file extensions, so that such a name gets the refusal
// rather than being read as CSV.
bool IsSoundFilePath(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return false;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* known : {"wav", "aif", "aiff", "aifc", "flac", "ogg", "oga", "opus", "au", "snd", "caf", "w64",
                            "rf64", "mp3", "raw", "voc", "wve", "sd2", "paf", "svx", "nist", "sf", "mat"}) {
    if (extension == known) return true;
  }
  return false;
}

int IntegerSampleBits(const SoundFormat&) { return 0; }

bool ReadSoundFile(const std::string& path, SampleTable*, SoundFormat*, std::string* error) {
  *error = Unsupported(path);
  return false;
}

bool ChooseSoundFormat(const std::string& path, const SoundFormat*, int, int, SoundFormat*, std::string* error) {
  *error = Unsupported(path);
  return false;
}

bool WriteSoundFile(const std::string& path, const SoundFormat&, const SampleTable&, int64_t* clipped,
                    std::string* error) {
  *clipped = 0;
  *error = Unsupported(path);
  return false;
}

SoundFileWriter::SoundFileWriter(const std::string& path, const SoundFormat& format, size_t channels)
    : path(path), format(format), channels(channels) {}

SoundFileWriter::~SoundFileWriter() = default;

bool SoundFileWriter::open(std::string* error) {
  *error = Unsupported(path);
  return false;
}

void SoundFileWriter::write(const double*) {}

void SoundFileWriter::flush() {}

bool SoundFileWriter::finish(std::string* error, std::string*) {
  *error = Unsupported(path);
  return false;
}
