// Links against the installed package and asks the keyword tables about CLOSE.
#include <abacor/abacor.h>

#include <cstdio>

int main() {
  // The tables are built by the first compilation in the process.
  const bool before = CParserHelper::IsFunc("CLOSE");
  IIndexParser* parser = IndexObjCreator::CreateIndexParserObj();
  const bool compiled = parser->Compile("m:ma(close,5);", {}, {});
  IndexObjCreator::ReleaseIndexParserObj(&parser);
  const bool after = CParserHelper::IsFunc("CLOSE");
  std::printf("before %d compiled %d after %d\n", before, compiled, after);
  return (!before && compiled && after && parser == nullptr) ? 0 : 1;
}
