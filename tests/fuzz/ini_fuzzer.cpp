// Feeds arbitrary bytes to the settings reader, whole and in two pieces split at a position taken from the
// input: both must give the same value, and the value must survive the code-page round trip.
#include <cstdlib>

#include "core/platform_text.h"
#include "core/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorbel;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
    KeyLineScanner whole, pieces;
    whole.feed(bytes);
    pieces.feed(bytes.substr(0, split));
    pieces.feed(bytes.substr(split));
    const std::string value = whole.finish(), text = platform::FromAnsi(value);
    if (pieces.finish() != value || value.size() > KeyLineScanner::kValueLimit ||
        platform::ToAnsi(text) != value) {
        std::abort();
    }
    (void)platform::ToLower(text);
    return 0;
}
