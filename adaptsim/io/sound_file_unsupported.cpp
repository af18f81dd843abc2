// Sound files in a build without libsndfile (the Windows adaptsim.exe): every
// call fails with the reason, so that `run` names it instead of misreading.
#include "adaptsim/io/sound_file.h"

namespace {

std::string Unsupported(const std::string& path) {
  return path + ": sound files need libsndfile, which this build of adaptsim does not have; "
                "use CSV (a file name ending in .csv)";
}

}  // namespace

bool ReadSoundFile(const std::string& path, SampleTable*, SoundFormat*, std::string* error) {
  *error = Unsupported(path);
  return false;
}

bool WriteSoundFile(const std::string& path, const SoundFormat&, const SampleTable&, int64_t* clipped,
                    std::string* error) {
  *clipped = 0;
  *error = Unsupported(path);
  return false;
}
