// Any text as a template entry: the comma-text split never crashes and never reads past
// the text.
#include <cstdint>
#include <string>

#include "support/Configurazione.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)vombrel::SplitCommaText(text);
  (void)vombrel::CommaTextItemValue(text, "DefaultValue");
  return 0;
}
