#include "compile_messages.h"
#include "reference_data.h"

namespace reference {

// The host's own table of compile messages is the one source of the error codes.
void AddCompileErrors(Reference* ref) {
  ref->errors.clear();
  for (const abacor_host::CompileErrorCode& c : abacor_host::kCompileErrorCodes)
    ref->errors.push_back(ErrorCode{c.code, c.summary, c.cause});
  ref->errorSource =
      "The compiler stops at the first error and reports its code with the line and column; `abacor run` "
      "prints the message below after them. The messages are the host's (`host/compile_messages.h`).";
}

}  // namespace reference
