#include "reference_data.h"

namespace reference {

// Until the host keeps its own table of compile messages, the data file lists
// the codes with their messages and causes (the "!" records).
void AddCompileErrors(Reference* ref) {
    if (ref->errorSource.empty())
        ref->errorSource = "The compiler reports one of these codes with the line and column where it stopped.";
}

}  // namespace reference
