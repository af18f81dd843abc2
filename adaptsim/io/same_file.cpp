#include "adaptsim/io/same_file.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A file to compare: one that exists, or the path that would create it.
struct Place {
  bool compared = false;
  bool exists = false;
  fs::path path;  // as given when it exists, else its normal absolute form
};

Place PlaceOf(const std::string& path) {
  Place place;
  if (path.empty() || path == "-") return place;
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (fs::exists(status)) {
    place.compared = fs::is_regular_file(status);
    place.exists = true;
    place.path = path;
    return place;
  }
  const fs::path normal = fs::weakly_canonical(fs::absolute(path, error), error);
  if (error) return place;  // it cannot be created either: its opening says why
  place.compared = true;
  place.path = normal;
  return place;
}

bool Same(const Place& a, const Place& b) {
  if (!a.compared || !b.compared || a.exists != b.exists) return false;
  if (!a.exists) return a.path == b.path;
  std::error_code error;
  return fs::equivalent(a.path, b.path, error) && !error;
}

}  // namespace

std::string SameFileConflict(const std::vector<NamedFile>& files) {
  std::vector<Place> places;
  for (const NamedFile& file : files) places.push_back(PlaceOf(file.path));
  for (size_t j = 1; j < files.size(); ++j) {
    for (size_t i = 0; i < j; ++i) {
      if (Same(places[i], places[j])) return files[i].role + " and " + files[j].role + " are the same file";
    }
  }
  return "";
}
