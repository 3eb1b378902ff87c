#pragma once
// The command line as the suite's texts are: UTF-8. Linux hands a program its arguments as the
// bytes that were typed (UTF-8 on the suite's systems); Windows hands a main() its arguments in
// the ANSI code page, which cannot hold every file name, so there they are read again from the
// UTF-16 command line (platform/<os>/program_arguments.cpp).
#include <string>
#include <vector>

// The program's arguments, argv[0] included, as UTF-8. On Windows the console also shows what the
// program prints as UTF-8 from then on.
std::vector<std::string> programArguments(int argc, char** argv);
