#include <iostream>

#include "cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = numerella::cli::ParseArguments(args, error);
  if (!options) {
    std::cerr << "numerella-eval: " << error << "\n" << numerella::cli::kUsage;
    return 2;
  }
  if (options->help) {
    std::cout << numerella::cli::kUsage;
    return 0;
  }
  return numerella::cli::Run(*options, std::cin, std::cout, std::cerr);
}
