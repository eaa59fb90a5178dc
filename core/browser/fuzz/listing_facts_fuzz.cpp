// Fuzz entry of the listing's record file: any bytes as the file of the
// folder "C:\f", read as they are and once more with their last four bytes
// made the CRC of the rest (so that mutations reach the structure checks).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/browser/listing_facts.h"
#include "core/imagelib/png_check.h"

namespace {

void Check(std::string_view bytes) {
  const std::optional<zv::ListingFacts> facts = zv::ReadListingFacts(bytes, "C:\\f");
  if (!facts) return;
  // What was accepted is what a writer makes of it: it writes back to as
  // many bytes and reads back to the same facts.
  const std::vector<uint8_t> again = zv::WriteListingFacts("C:\\f", *facts);
  if (again.size() != bytes.size()) __builtin_trap();
  const std::optional<zv::ListingFacts> reread =
      zv::ReadListingFacts(std::string_view(reinterpret_cast<const char*>(again.data()), again.size()), "C:\\f");
  if (!reread || reread->size() != facts->size()) __builtin_trap();
  for (const auto& [name, file] : facts->byName()) {
    const zv::ListedFileFacts* found = reread->Find(name, file.fileSize, file.lastWrite);
    if (found == nullptr || !zv::CanKeep(name, *found) || found->isPicture != file.isPicture ||
        found->width != file.width || found->height != file.height || found->colors != file.colors)
      __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  Check(bytes);
  if (bytes.size() < 4) return 0;
  bytes.resize(bytes.size() - 4);
  const uint32_t crc = zv::Crc32(bytes.data(), bytes.size());
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(crc >> shift));
  Check(bytes);
  return 0;
}
