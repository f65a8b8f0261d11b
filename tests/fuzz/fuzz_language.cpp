// Language-file parsing and the "§" rules must accept any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/Supportlanguage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto file = vombrel::LanguageFile::FromBytes(bytes);
  for (const auto& line : file.Lines()) {
    const auto key = line.substr(0, line.find('='));
    const auto value = file.Text(key, "default");
    (void)vombrel::SplitLanguageLines(value);
    (void)vombrel::SplitLanguageItems(value);
    (void)vombrel::LabelCaptionText(value);
  }
  (void)vombrel::LanguageFile(file.MessageLines()).Find("MSG_RECBUSY");
  return 0;
}
