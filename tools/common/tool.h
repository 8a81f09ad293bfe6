#pragma once
// The frame every command of vcore and dlink stands on. A command is one
// file holding a handler and a static Command that registers it:
//
//   int dump(const Args& args)
//   {
//       bool ldap = false;
//       OptionSet options;
//       options.flag("--ldap", &ldap, "check that the file holds one LDAP message");
//       Args files = options.parse(args, 1, 1);        // --help, usage errors
//       std::vector<unsigned char> bytes = InputFile(files[0]).readAll();
//       ...
//       OutputFile out(name);                          // temporary file beside the target
//       out.write(data, size);
//       out.commit();                                  // renamed over the target only now
//       return 0;
//   }
//   const Command command("dump", "[--ldap] FILE", "diagnostic listing of DER or PEM", kHelp, dump);
//
// What the frame does so that commands need not:
// - options before or after operands, "--" ends them, "-h"/"--help" print
//   the usage and the option table to standard output and exit 0;
// - UsageError prints the reason and a short usage to standard error and
//   exits 2; Failure prints "tool: reason" and exits 1 (or its own status);
//   an uncaught library exception becomes such a line too;
// - the final flush and close of standard output are checked, so a full disk
//   or a closed pipe ends the run with status 1;
// - Ctrl-C removes the temporary files of unfinished outputs, or cancels
//   long library work run through runCancellable.
#include "common/command.h"
#include "common/input_file.h"
#include "common/interrupt.h"
#include "common/options.h"
#include "common/output_file.h"
#include "common/pem.h"
#include "common/terminal_progress.h"
