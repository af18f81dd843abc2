#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "adaptsim/cli/cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  CommandIo io{std::cin, std::cout, std::cerr};
  try {
    return RunCommandLine(std::vector<std::string>(argv + 1, argv + argc), io);
  } catch (const std::bad_alloc&) {
    std::cerr << "adaptsim: out of memory\n";
    return 1;
  }
}
