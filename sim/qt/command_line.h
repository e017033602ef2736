// The Qt programs' command line: an unknown option or a missing value is a
// usage error like the programs' own checks (the message, a pointer to
// --help, exit status 2); --help and --help-all answer as Qt does.
#pragma once

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace zen {

inline void parseCommandLineOrExit(QCommandLineParser& parser, const QCoreApplication& app,
                                   const char* program) {
  if (!parser.parse(QCoreApplication::arguments())) {
    std::fprintf(stderr, "%s: %s\nTry %s --help.\n", program, qPrintable(parser.errorText()), program);
    std::exit(2);
  }
  parser.process(app);
}

// The last resort for an error nobody caught (a file system error, say): its
// message on standard error and exit status 1, rather than an abort.
inline const char* uncaughtErrorProgram = "";
inline void reportUncaughtErrors(const char* program) {
  uncaughtErrorProgram = program;
  std::set_terminate([] {
    const char* text = "stopped by an unexpected error";
    try {
      if (const std::exception_ptr error = std::current_exception()) std::rethrow_exception(error);
    } catch (const std::exception& e) {
      text = e.what();
    } catch (...) {
    }
    std::fprintf(stderr, "%s: %s\n", uncaughtErrorProgram, text);
    std::_Exit(1);
  });
}

}  // namespace zen
