// Charges files and topologies come from other programs: any bytes must give
// charges or be skipped and counted, never crash, hang or read outside a
// line. The reader is driven as the structure reader drives it: atoms with
// rising serials take their charges, then the rest is counted.
//
// The input's first byte chooses the layout (topology, PQR columns) and the
// step between the atoms' serials; the rest is the file.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "FuzzSupport.h"
#include "dynamics/species/ChargesFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned options = data[0];
    const std::string path = fuzz_support::write_input("s.charges", fuzz_support::as_text(data + 1, size - 1));
    ChargesFile charges;
    if (!charges.open(path, (options & 1) != 0, (options & 2) != 0)) std::abort();
    const int step = 1 + static_cast<int>((options >> 2) & 3);
    for (int pass = 0; pass < 2; ++pass) {
        int taken = 0;
        for (int serial = -5; serial < 400; serial += step) {
            const std::optional<int> pending = charges.pending();
            const std::optional<float> q = charges.take(serial);
            if (q.has_value() != (pending == serial)) std::abort();
            if (q && !std::isfinite(*q)) std::abort();
            if (q) ++taken;
        }
        if (charges.charge_failures() > taken) std::abort();
        if (charges.unused_lines() < 0 || charges.pending()) std::abort();
        charges.restart();
    }
    return 0;
}
