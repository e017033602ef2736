// The Qt programs' command line: an unknown option or a missing value is a
// usage error like the programs' own checks (the message, a pointer to
// --help, exit status 2); --help and --help-all answer as Qt does.
#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace zen {

inline void parseCommandLineOrExit(QCommandLineParser& parser, const QCoreApplication& app,
                                   const char* program) {
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "%s: %s\nTry %s --help.\n", program, qPrintable(parser.errorText()), program);
    std::exit(2);
  }
  parser.process(app);
}

}  // namespace zen
