// sarvane-cli: the locking tool's work from a terminal.
#include <cstring>
#include <iostream>
#include <string>

int CmdLock(int argc, char** argv);
int CmdInfo(int argc, char** argv);
int CmdRewrite(int argc, char** argv);

namespace {

const char kUsage[] =
    "usage: sarvane-cli [--help] [--version] COMMAND [ARGS]\n"
    "\n"
    "Locks PDF files: RC4 encryption, owner and user passwords, reader permissions.\n"
    "\n"
    "options:\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "\n"
    "commands:\n"
    "  lock [OPTIONS] FILE...   write a locked copy of each file (lock --help)\n"
    "  info [--password P] FILE print what the file holds as JSON (info --help)\n"
    "  rewrite [OPTIONS] IN OUT write IN anew as OUT (rewrite --help)\n"
    "\n"
    "exit status:\n"
    "  0  success (lock: every file was locked)\n"
    "  1  failure, or a wrong command line\n"
    "  2  the password was refused (info, rewrite)\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::cout << kUsage;
    return argc < 2 ? 1 : 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::cout << "sarvane-cli " << SARVANE_VERSION << "\n";
    return 0;
  }
  if (std::strcmp(argv[1], "lock") == 0) return CmdLock(argc - 2, argv + 2);
  if (std::strcmp(argv[1], "info") == 0) return CmdInfo(argc - 2, argv + 2);
  if (std::strcmp(argv[1], "rewrite") == 0) return CmdRewrite(argc - 2, argv + 2);
  std::cerr << "sarvane-cli: unknown command '" << argv[1] << "'\n" << kUsage;
  return 1;
}
