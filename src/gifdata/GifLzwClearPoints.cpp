#include "gifdata/GifLzwClearPoints.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

#include "gifdata/GifLzwEncoder.h"
#include "gifdata/GifStream.h"

namespace {

// Walks the encoder's greedy parse from start with a fresh table, as the
// encoder does after a clear code. For every code it writes, step(end, bits)
// is told where its string ends and what the walk has cost if the data clears
// (or ends) right after it: the codes so far and the clear or end code, at
// the widths the encoder writes them. The walk stops at the code after which
// the table is full (the encoder clears there by itself) or at the end.
// The table is emptied first the way the encoder empties it between
// frames: only the slots the last walk filled.
template <class TStep>
void WalkSegment(const std::uint8_t* pixels, std::size_t count, std::size_t start, int bits,
                 THashTable& table, TStep&& step) {
    table.ResetFilled(0); // the walk sets no pairs
    const int initialCodeSize = bits + 1;
    int codeSize = initialCodeSize;
    int maxCode = (1 << codeSize) - 1;
    int freeCode = (1 << bits) + 2;
    std::uint64_t spent = 0;
    std::uint32_t prefix = pixels[start];
    std::size_t i = start + 1;
    for (;;) {
        while (i < count) {
            const int code = table.Lookup((prefix << 8) | pixels[i]);
            if (code == THashTable::NotFound) break;
            prefix = std::uint32_t(code);
            ++i;
        }
        spent += std::uint64_t(codeSize);
        if (freeCode > maxCode) {
            ++codeSize;
            maxCode = codeSize == 12 ? 4096 : (1 << codeSize) - 1;
        }
        step(i, spent + std::uint64_t(codeSize));
        if (i >= count || freeCode >= 0xFFF) return;
        table.NoteFilled(table.Insert((prefix << 8) | pixels[i], freeCode++));
        prefix = pixels[i++];
    }
}

// Where the search may clear: one state per window of pixels, the cheapest
// way found to clear at some point inside it.
struct TState {
    std::uint64_t Bits = std::numeric_limits<std::uint64_t>::max();
    std::uint32_t Position = 0;
    std::int32_t Parent = -1; // the window cleared in before, -1 for the start
    bool Reached() const { return Bits != std::numeric_limits<std::uint64_t>::max(); }
};

// Windows per table fill: more find better points and cost a walk each.
constexpr std::size_t WindowsPerFill = 3;
constexpr std::size_t MinWindow = 256;

} // namespace

std::vector<std::uint32_t> ChooseClearPoints(const std::uint8_t* pixels, std::size_t count, int bits) {
    if (pixels == nullptr || count < 2 || count > std::numeric_limits<std::uint32_t>::max()) return {};
    bits = std::clamp(bits, 2, 8);
    auto table = std::make_unique<THashTable>();

    // The encoder's own choice: clear where the table fills. The steps of its
    // first segment are kept: the search's first walk is the same one.
    std::uint64_t standardBits = 0;
    std::size_t fills = 0, lastCodes = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> firstSteps; // end, bits
    for (std::size_t start = 0; start < count;) {
        std::size_t end = count;
        std::uint64_t spent = 0;
        lastCodes = 0;
        WalkSegment(pixels, count, start, bits, *table, [&](std::size_t at, std::uint64_t cost) {
            end = at;
            spent = cost;
            ++lastCodes;
            if (start == 0) firstSteps.emplace_back(std::uint32_t(at), std::uint32_t(cost));
        });
        standardBits += spent;
        if (end < count) ++fills;
        start = end;
    }
    // Codes that never grow to 12 bits have little width for a clear to
    // win back, while the strings it throws away are all still of use.
    if (fills == 0 && (std::size_t(1) << bits) + 2 + lastCodes <= 2048) return {};

    // Windows about a third of a table fill wide. Among the ways to clear in
    // one window the one kept is cheapest when the pixels it has not yet
    // coded are counted at the encoder's average rate.
    const std::size_t window = std::max(MinWindow, count / ((fills + 1) * WindowsPerFill));
    const double rate = double(standardBits) / double(count);
    const std::size_t windowCount = (count - 1) / window + 1;
    std::vector<TState> states(windowCount);
    states[0].Bits = 0;
    TState final;
    for (std::size_t w = 0; w < windowCount; ++w) {
        const TState from = states[w];
        if (!from.Reached()) continue;
        const auto step = [&](std::size_t at, std::uint64_t cost) {
            const std::uint64_t total = from.Bits + cost;
            if (at >= count) {
                if (total < final.Bits) final = {total, std::uint32_t(count), std::int32_t(w)};
                return;
            }
            const std::size_t to = at / window;
            if (to == w) return;
            TState& state = states[to];
            const auto score = [rate](std::uint64_t b, std::uint32_t p) {
                return double(b) - rate * double(p);
            };
            if (!state.Reached() || score(total, std::uint32_t(at)) < score(state.Bits, state.Position))
                state = {total, std::uint32_t(at), std::int32_t(w)};
        };
        if (w == 0) {
            for (const auto& [at, cost] : firstSteps) step(at, cost);
        } else {
            WalkSegment(pixels, count, from.Position, bits, *table, step);
        }
    }
    if (!final.Reached() || final.Bits >= standardBits) return {};

    std::vector<std::uint32_t> points;
    for (std::int32_t w = final.Parent; w > 0; w = states[std::size_t(w)].Parent)
        points.push_back(states[std::size_t(w)].Position);
    std::reverse(points.begin(), points.end());
    return points;
}

std::int64_t LzwEncodedSize(const std::uint8_t* pixels, std::size_t count, int bits,
                            const std::vector<std::uint32_t>& clearPoints) {
    if (count > std::size_t(std::numeric_limits<int>::max())) return -1;
    TMemoryStream stream;
    TLZWEncoder encoder;
    encoder.SetClearPoints(&clearPoints);
    if (!encoder.Encode(stream, bits, 256, pixels, false, count == 0 ? 0 : 1, int(count))) return -1;
    return stream.Size();
}
