#include "adaptive/final_weights_name.h"

#include "tokens/final_weights_name.h"

namespace adaptive {

std::vector<std::string> FinalWeightsPaths(const std::string& fileName, int channels) {
  std::vector<std::string> paths;
  if (fileName.empty()) return paths;
  const int files = channels < 1 ? 1 : channels;
  for (int c = 0; c < files; ++c) {
    char name[kMaxFinalWeightsName + 1];
    ComposeFinalWeightsName(fileName.c_str(), files, c, name);
    paths.push_back(name);
  }
  return paths;
}

}  // namespace adaptive
