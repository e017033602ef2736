// The command-line tools' getopt_long loops start their option string with
// ':', so getopt stays quiet and a missing value is told apart from an
// unknown option; this says which, naming what was given.
#pragma once

#include <getopt.h>

#include <string>

namespace zen {

inline std::string optionProblem(int code, char** argv) {
  const std::string given = argv[optind - 1];
  return code == ':' ? given + " needs a value" : "unknown option " + given;
}

}  // namespace zen
