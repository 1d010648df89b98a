// Feeds arbitrary bytes to the settings reader, whole and in two pieces split at a position taken from the
// input: both must give the same value, and the value must survive the code-page round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/platform_text.h"
#include "core/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    quorbel::KeyLineScanner whole;
    whole.feed(bytes);
    const std::string value = whole.finish();

    const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
    quorbel::KeyLineScanner pieces;
    pieces.feed(bytes.substr(0, split));
    pieces.feed(bytes.substr(split));
    if (pieces.finish() != value || value.size() > quorbel::KeyLineScanner::kValueLimit) {
        std::abort();
    }

    const std::string text = quorbel::platform::FromAnsi(value);
    const auto back = quorbel::platform::ToAnsi(text);
    if (!back || *back != value) {
        std::abort();
    }
    (void)quorbel::platform::ToLower(text);
    return 0;
}
