// The fast conversion against the step-by-step oracle: on bytes, whole and streamed in pieces of
// a size taken from the input, and on the same bytes read as UTF-16 units, which reach lone
// surrogates that decoding never makes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tests/notes_export/oracle.h"
#include "tests/notes_export/streamed.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brackwater;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto expected = oracle::ExportNotesText(bytes, kNotesPath, u"d", u"t");
  if (ExportNotesText(bytes, kNotesPath, u"d", u"t") != expected) std::abort();
  if (!StreamsAs(bytes, size == 0 ? 1 : 1 + data[0] % 97, expected.value_or(u""))) std::abort();
  std::u16string units(size / 2, u'\0');
  std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
  if (ExtractNotes(units) != oracle::ExtractNotes(units)) std::abort();
  return 0;
}
