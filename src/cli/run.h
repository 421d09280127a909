// SPDX-License-Identifier: MIT
#pragma once

namespace cli {

// Whether the program runs as the command line instead of the window: an
// argument (other than an option's value) is a subcommand, --help or
// --version. Without one, options such as --interface belong to the window.
bool IsCommandLineMode(int argc, char** argv);

// The command-line mode's main: a QCoreApplication (no display), the socket
// layer, the subcommand. Returns the exit status: 0 all done, 1 the network
// failed, 2 a usage or plan error (nothing sent), 3 some devices failed or
// could not be verified.
int Run(int argc, char** argv);

} // namespace cli
